#include "AppTestSupport.h"
#include "FileSizeLimit.h"

#include "files/KvxFile.h"
#include "image/ToolVersion.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QAction>
#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

// The image files through the main window: the dialogs answered by the test, the files in a temporary folder.
class ImageFilesWindow : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return ini.dir.filePath(QString::fromStdString(name)).toStdString(); }
    static std::string FileBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    size_t FilesInFolder() const { return static_cast<size_t>(std::distance(fs::directory_iterator(ini.dir.path().toStdString()), {})); }
    // An image with two marked edits, a caption and a status of its own, to be seen unchanged after a fault.
    void MarkedImage()
    {
        for (int a = 0; a < kKvxImageBytes; ++a)
            form.Image.Image.Put(a, static_cast<uint8_t>(a * 11), false);
        form.Image.WriteImageString(std::string("Tank/3", 7), 0, 1);
        form.Image.WriteImageNumber(1204, 41, 2, 1);
        form.setWindowTitle("before");
        form.SetStatus("before");
    }

    TTempIni ini;
    TScriptedDialogs dialogs;
    TScopedDialogs useDialogs{dialogs};
    TForm1 form{OptionsWith(ini)};
};

TEST_F(ImageFilesWindow, SavedFileLoadsBackByteForByte)
{
    MarkedImage();
    form.Variant.modemType = "TARN";
    const std::string path = PathOf("unit.kvx");
    dialogs.AnswerFile(true, path);
    form.FileSave->trigger();

    EXPECT_EQ(form.Status(), std::string("Save File OK : KVX-file ") + kVersionTag);
    EXPECT_EQ(form.windowTitle().toStdString(), path);
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, kKvxImageBytes));
    EXPECT_EQ(form.Image.ReadImageNumber(183, 2), ConfigToolNr);
    EXPECT_EQ(form.Image.ReadImageNumber(185, 2), 5318u);
    ASSERT_EQ(dialogs.ProposedFileNames.size(), 1u);
    EXPECT_EQ(dialogs.ProposedFileNames[0].rfind("KIV-TARN_75318_1204_Tank_3_", 0), 0u);
    EXPECT_EQ(FilesInFolder(), 1u) << "no temporary file left beside it";
    const std::string saved = form.Image.Image.Bytes(0, kKvxImageBytes);

    form.Image.Image.Fill(0);
    form.setWindowTitle("before");
    dialogs.AnswerFile(true, path);
    form.FileOpen->trigger();
    EXPECT_EQ(form.Image.Image.Bytes(0, kKvxImageBytes), saved);
    EXPECT_EQ(form.Status(), std::string("Open File OK : KVX-file Version ") + kVersionTag);
    EXPECT_EQ(form.windowTitle().toStdString(), path);
    EXPECT_EQ(form.Memo4Text(), "SWT:\r\nSWT1=\r\nSWT2=\r\nSWT3=\r\nSWT4=\r\nSWT5=\r\n");
    EXPECT_EQ(form.Label74->text(), "75318") << "the variant decoded from the loaded bytes";
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(ImageFilesWindow, FaultyFileChangesNothingButTheReport)
{
    dialogs.AnswerFile(true, PathOf("good.kvx"));
    form.FileSave->trigger();
    const std::string good = FileBytes(PathOf("good.kvx"));
    ASSERT_EQ(good.size(), 9216u + 2 + 17 + 6 + 5 * 7 + 5);
    struct Case {
        std::string name, bytes, report;
    } const cases[] = {
        {"missing.kvx", "", "Cannot open " + PathOf("missing.kvx") + ": No such file or directory"},
        {"empty.kvx", "", "after 0 of 3072 bytes"},
        {"short.kvx", good.substr(0, 3000 * 3) + "\r\nVersion 2.14.02\r\n", "token 3001 (line 2)"},
        {"badtoken.kvx", "4G" + good.substr(2), "token 1 (line 1)"},
    };
    for (const Case& c : cases) {
        if (c.name != "missing.kvx")
            std::ofstream(PathOf(c.name), std::ios::binary) << c.bytes;
        MarkedImage();
        const std::string before = form.Image.Image.Bytes(0, kKvxImageBytes);
        dialogs.AnswerFile(true, PathOf(c.name));
        form.FileOpen->trigger();
        EXPECT_EQ(form.Image.Image.Bytes(0, kKvxImageBytes), before) << c.name;
        EXPECT_TRUE(form.Image.Image.Marked(0) && form.Image.Image.Marked(42)) << c.name;
        EXPECT_EQ(form.windowTitle(), "before") << c.name;
        EXPECT_EQ(form.Status().rfind("ERROR: ", 0), 0u) << c.name;
        EXPECT_NE(form.Status().find(c.report), std::string::npos) << form.Status();
        EXPECT_EQ(dialogs.Messages().back(), form.Status());
    }
}

TEST_F(ImageFilesWindow, FailedOrCancelledSavesKeepTheOldFileAndTheMarks)
{
    const std::string path = PathOf("unit.kvx");
    std::ofstream(path, std::ios::binary) << "old file";
    MarkedImage();
    dialogs.AnswerFile(true, path);
    {
        TFileSizeLimit fullDisk(64);
        form.FileSave->trigger();
    }
    EXPECT_EQ(form.Status(), "ERROR: Cannot write " + path + ": File too large");
    EXPECT_EQ(FileBytes(path), "old file");
    EXPECT_EQ(FilesInFolder(), 1u);
    EXPECT_TRUE(form.Image.Image.Marked(0));
    EXPECT_EQ(form.windowTitle(), "before");

    // The ".bin" export: cancelled, failed, then written; only the written one clears the marks.
    const std::string bin = PathOf("no folder/unit.bin");
    dialogs.AnswerFile(false);
    dialogs.AnswerFile(true, bin);
    dialogs.AnswerFile(true, PathOf("unit.bin"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        form.ToolButton12->click();
        EXPECT_TRUE(form.Image.Image.Marked(0)) << attempt;
    }
    EXPECT_EQ(form.Status(), "ERROR: Cannot write " + bin + ": No such file or directory");
    const std::string image = form.Image.Image.Bytes(0, kKvxImageBytes);
    form.ToolButton12->click();
    EXPECT_EQ(dialogs.ProposedFileNames.back(), "KIV_CT.bin");
    const std::string file = FileBytes(PathOf("unit.bin"));
    ASSERT_EQ(file.size(), 3088u);
    EXPECT_EQ(file.substr(16), image);
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, kKvxImageBytes));
}
