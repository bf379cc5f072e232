#include "AppTestSupport.h"
#include "FileSizeLimit.h"

#include "files/KvxFile.h"
#include "files/ProfileTestSupport.h"
#include "image/ToolVersion.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

// The image files through the main window: the dialogs answered by the test, the files in a temporary folder.
class ImageFilesWindow : public ::testing::Test, protected TWindowRig
{
  protected:
    long FilesInFolder() const { return std::distance(std::filesystem::directory_iterator(ini.Dir), {}); }
    // Marked edits, a caption and a status of its own, each to be seen unchanged after a fault.
    void MarkedImage()
    {
        // The channel settings all 0, digital inputs: no channel rule mends them on a redraw or a commit.
        for (int a = 0; a < kKvxImageBytes; ++a)
            form.Image.Image.Put(a, static_cast<uint8_t>(a < 141 || a > 290 ? a * 11 : 0), false);
        form.Image.WriteImageString(std::string("Tank/3", 7), 0, 1);
        form.Image.WriteImageNumber(1204, 41, 2, 1);
        form.ImageToControls(); // the pages show what the save's commit then takes
        form.setWindowTitle("before");
        form.SetStatus("before");
    }
    void Choose(QAction* action, const std::string& path)
    {
        dialogs.AnswerFile(true, path);
        action->trigger();
    }
    QAction* MenuItem(const char* name) { return form.menuBar()->findChild<QAction*>(name); }
    std::string HexCell(int a) const { return CellAt(form, ByteTable::Hex, a); }

    TForm1 form{OptionsWith(ini)};
};

TEST_F(ImageFilesWindow, SavedFileLoadsBackByteForByte)
{
    MarkedImage();
    form.Variant.modemType = "TARN";
    const std::string path = ini.Path("unit.kvx");
    for (int n = 1; n <= 5; ++n)
        form.SetTimerText(n, std::to_string(n * 15));
    const std::string date = form.Image.Image.Bytes(43, 3);
    form.Control<QLineEdit>("DateEdit1")->setText("991231"); // typed, not left: a write commits it, a save not
    form.Control<QLineEdit>("ConfigID")->setText("01204");   // the image holds 1204: the name takes the text
    Choose(MenuItem("FileSave1"), path);
    EXPECT_EQ(form.Status(), std::string("Save File OK : KVX-file ") + kVersionTag);
    EXPECT_EQ(form.Image.Image.Bytes(43, 3), date);
    EXPECT_EQ(form.windowTitle().toStdString(), path);
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, kKvxImageBytes));
    EXPECT_EQ(form.Image.ReadImageNumber(183, 4), ConfigToolNr * 65536u + 5318);
    EXPECT_EQ(dialogs.ProposedFileNames.at(0).rfind("KIV-TARN_75318_01204_Tank_3_", 0), 0u);
    EXPECT_EQ(FilesInFolder(), 1) << "no temporary file left beside it";
    const std::string saved = form.Image.Image.Bytes(0, kKvxImageBytes);
    std::string file = ini.Read(path);
    EXPECT_EQ(file, FormatKvx(saved, {"15", "30", "45", "60", "75"}, kVersionTag));

    // Loaded back with lower-case digits and a leading zero: the hexadecimal cells show the tokens as they
    // stood until their byte is written.
    ASSERT_EQ(file.substr(0, 12), "54 61 6E 6B ");
    file.replace(0, 12, "054 61 6e 6b ");
    std::ofstream(path, std::ios::binary) << file;
    form.Image.Image.Fill(0);
    Choose(MenuItem("FileOpen1"), path);
    EXPECT_EQ(form.Image.Image.Bytes(0, kKvxImageBytes), saved);
    EXPECT_EQ(HexCell(0) + HexCell(1) + HexCell(2) + HexCell(3), "054616e6b");
    form.Image.WriteImageString("n", 2, 1);
    EXPECT_EQ(HexCell(2), "(6E)");
    EXPECT_EQ(form.Status(), std::string("Open File OK : KVX-file Version ") + kVersionTag);
    EXPECT_EQ(form.Memo4Text(), "SWT:\r\nSWT1=15\r\nSWT2=30\r\nSWT3=45\r\nSWT4=60\r\nSWT5=75\r\n")
        << "the timer edits as they stood at the save";
    EXPECT_EQ(form.Label74->text(), "75318") << "the variant decoded from the loaded bytes";
    EXPECT_TRUE(dialogs.Messages().empty());

    Choose(form.FileSave, path); // a save redraws every cell from the image
    EXPECT_EQ(HexCell(0) + HexCell(3), "546B");
}

// A byte token spelled otherwise than the tool writes it shows as the file has it in the hexadecimal table
// only: the decimal and character tables show the value it reads as.
TEST_F(ImageFilesWindow, FileSpellingShowsInTheHexadecimalTableOnly)
{
    MarkedImage();
    const std::string image = form.Image.Image.Bytes(0, kKvxImageBytes);
    const TSpelledKvx spelled = KvxSpelled(image, {{1, "%03X"}, {10, "%02x"}, {300, "%04x"}, {2001, "%03x"}});
    const std::string path = ini.Path("spelled.kvx");
    ini.Put(path, spelled.file);
    Choose(form.FileOpen, path);
    ASSERT_EQ(form.Image.Image.Bytes(0, kKvxImageBytes), image);
    for (const auto& [a, token] : spelled.tokens) {
        const auto value = static_cast<uint8_t>(image[size_t(a)]);
        EXPECT_EQ(HexCell(a), token);
        EXPECT_EQ(CellAt(form, ByteTable::Dec, a), std::to_string(value)) << token;
        EXPECT_EQ(CellAt(form, ByteTable::Ascii, a), std::string(1, static_cast<char>(value))) << token;
    }
}

TEST_F(ImageFilesWindow, FaultyFileChangesNothingButTheReport)
{
    Choose(form.FileSave, ini.Path("good.kvx"));
    const std::string good = ini.Read(ini.Path("good.kvx"));
    const std::pair<std::string, std::string> cases[] = {
        {"missing.kvx", "Cannot open " + ini.Path("missing.kvx") + ": No such file or directory"},
        // A pipe no program writes to would hold the window for ever.
        {"pipe.kvx", "Cannot open " + ini.Path("pipe.kvx") + ": not a regular file"},
        {good.substr(0, 3000 * 3) + "\r\nVersion 2.14.02\r\n", "token 3001 (line 2)"}, // no byte taken before it
    };
    for (const auto& [bytes, report] : cases) {
        const bool named = bytes.size() < 20;
        const std::string path = ini.Path(named ? bytes : "bad.kvx");
        if (bytes == "pipe.kvx")
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        else if (!named)
            std::ofstream(path, std::ios::binary) << bytes;
        MarkedImage();
        const std::string before = form.Image.Image.Bytes(0, kKvxImageBytes);
        Choose(form.FileOpen, path);
        EXPECT_EQ(form.Image.Image.Bytes(0, kKvxImageBytes), before) << report;
        EXPECT_TRUE(form.Image.Image.Marked(0) && form.Image.Image.Marked(42)) << report;
        EXPECT_EQ(form.windowTitle(), "before") << report;
        EXPECT_EQ(form.Status().rfind("ERROR: ", 0), 0u) << report;
        EXPECT_NE(form.Status().find(report), std::string::npos) << form.Status();
        EXPECT_EQ(dialogs.Messages().back(), form.Status());
    }
}

TEST_F(ImageFilesWindow, FailedOrCancelledSavesKeepTheOldFileAndTheMarks)
{
    const std::string path = ini.Path("unit.kvx");
    std::ofstream(path, std::ios::binary) << "old file";
    MarkedImage();
    {
        TFileSizeLimit fullDisk(64);
        Choose(form.FileSave, path);
    }
    EXPECT_EQ(form.Status(), "ERROR: Cannot write " + path + ": File too large");
    EXPECT_EQ(ini.Read(path), "old file");
    EXPECT_EQ(FilesInFolder(), 1);
    EXPECT_TRUE(form.Image.Image.Marked(0));
    EXPECT_EQ(form.windowTitle(), "before");

    // The ".bin" export: cancelled, failed, then written; only the written one clears the marks.
    const std::string bin = ini.Path("no folder/unit.bin");
    for (const std::string& chosen : {std::string(), bin, ini.Path("unit.bin")}) {
        EXPECT_TRUE(form.Image.Image.Marked(0)) << chosen;
        dialogs.AnswerFile(!chosen.empty(), chosen);
        form.ToolButton12->click();
        if (chosen == bin) {
            EXPECT_EQ(form.Status(), "ERROR: Cannot write " + bin + ": No such file or directory");
        }
    }
    EXPECT_EQ(dialogs.ProposedFileNames.back(), "KIV_CT.bin");
    EXPECT_EQ(ini.Read(ini.Path("unit.bin")),
              "\x88\x77\x66\x55\x44\x33\x22\x11\xDA\xC0\xBE\xBA\x55\x55\x55\x55" + form.Image.Image.Bytes(0, 3072));
    EXPECT_FALSE(form.Image.Image.AnyMarked(0, kKvxImageBytes));
}
