// Every save of the window (".kvx", ".bin", ".kvp" and the tool's INI file) keeps what the user set up around
// the file: saved through a symbolic link it replaces the link's target and the link stays; a file the user
// protected against writing is refused with the save's own message and stays as it was.
#include "AppTestSupport.h"
#include "platform/OtherUser.h"

#include <QAction>
#include <QToolButton>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace
{
struct SaveWay {
    const char* name;
    std::string file;
    // Saves to path from a window of its own; the INI file is the window's own file, written when it closes.
    std::function<void(TWindowRig& rig, const std::string& path)> save;
    std::string refusal; // the message shown, the path in place of %
};

void SaveFrom(TWindowRig& rig, const std::function<void(TForm1&)>& save, const std::string& path)
{
    TForm1 form(OptionsWith(rig.ini));
    rig.dialogs.AnswerFile(true, path);
    TOtherUser user;
    EXPECT_EQ(user.Ordinary(), true);
    save(form);
}

const SaveWay kWays[] = {
    {"kvx", "unit.kvx",
     [](TWindowRig& rig, const std::string& path) {
         SaveFrom(
             rig, [](TForm1& f) { f.FileSave->trigger(); }, path);
     },
     "ERROR: Cannot write %: Permission denied"},
    {"bin", "unit.bin",
     [](TWindowRig& rig, const std::string& path) {
         SaveFrom(
             rig, [](TForm1& f) { f.ToolButton12->click(); }, path);
     },
     "ERROR: Cannot write %: Permission denied"},
    {"kvp", "unit.kvp",
     [](TWindowRig& rig, const std::string& path) {
         SaveFrom(
             rig, [](TForm1& f) { f.SaveINIButtonClick(); }, path);
     },
     "ERROR: Unable to write to %: Permission denied"},
    {"ini", "kivconfig.INI",
     [](TWindowRig&, const std::string& path) {
         TForm1::TOptions options;
         options.IniPath = path;
         TForm1 form(options);
         form.OnQuit = [](int) {};
         form.show();
         TOtherUser user;
         EXPECT_EQ(user.Ordinary(), true);
         form.close();
     },
     "Unable to write to %: Permission denied"},
};

std::string WithPath(std::string text, const std::string& path)
{
    return text.replace(text.find('%'), 1, path);
}
} // namespace

class SaveTargets : public ::testing::Test, protected TWindowRig
{
  protected:
    SaveTargets()
    {
        TOtherUser::Give(ini.Dir.string());
        for (const char* folder : {"links", "files"}) {
            fs::create_directory(ini.Dir / folder);
            TOtherUser::Give((ini.Dir / folder).string());
        }
    }
    void Own(const std::string& path, mode_t mode)
    {
        ini.Put(path, "old");
        TOtherUser::Give(path);
        ::chmod(path.c_str(), mode);
    }
};

TEST_F(SaveTargets, ALinkStaysAndItsTargetTakesTheSave)
{
    for (const SaveWay& way : kWays) {
        SCOPED_TRACE(way.name);
        const fs::path target = ini.Dir / "files" / way.file, link = ini.Dir / "links" / way.file;
        Own(target.string(), 0640);
        fs::create_symlink("../files/" + way.file, link);
        TOtherUser::Give(link.string());
        dialogs.Shown.clear();
        way.save(*this, link.string());
        EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{});
        EXPECT_EQ(fs::is_symlink(link) ? fs::read_symlink(link).string() : "no link", "../files/" + way.file);
        const std::string saved = ini.Read(target.string());
        EXPECT_GT(saved.size(), 100u);
        EXPECT_EQ(std::distance(fs::directory_iterator(ini.Dir / "files"), {}), 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(ini.Dir / "links"), {}), 1);
        fs::remove(target);
        fs::remove(link);
    }
}

TEST_F(SaveTargets, AProtectedFileIsRefusedAndStaysAsItWas)
{
    for (const SaveWay& way : kWays) {
        SCOPED_TRACE(way.name);
        const fs::path file = ini.Dir / "files" / way.file;
        Own(file.string(), 0444);
        dialogs.Shown.clear();
        way.save(*this, file.string());
        EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{WithPath(way.refusal, file.string())});
        EXPECT_EQ(ini.Read(file.string()), "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(ini.Dir / "files"), {}), 1);
        fs::remove(file);
    }
}

// A link another user put in a shared sticky folder could point the save at any file the user may write: every
// save refuses to follow it, says why, and the file it points at stays as it was.
TEST_F(SaveTargets, AnotherUsersLinkInASharedFolderIsRefusedAndSaysWhy)
{
    if (!TOtherUser::Root())
        GTEST_SKIP() << "needs root to hand a link to another user";
    const fs::path shared = ini.Dir / "shared";
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    for (const SaveWay& way : kWays) {
        SCOPED_TRACE(way.name);
        const fs::path target = ini.Dir / "files" / way.file, link = shared / way.file;
        Own(target.string(), 0600);
        fs::create_symlink(target, link);
        ASSERT_EQ(::lchown(link.c_str(), TOtherUser::kThird, TOtherUser::kThird), 0);
        dialogs.Shown.clear();
        way.save(*this, link.string());
        ASSERT_EQ(dialogs.Messages().size(), 1u);
        EXPECT_NE(dialogs.Messages()[0].find(link.string() + ": the symbolic link " + link.string() +
                                             " belongs to another user, in a folder that others may write"),
                  std::string::npos)
            << dialogs.Messages()[0];
        EXPECT_EQ(ini.Read(target.string()), "old");
        fs::remove(target);
        fs::remove(link);
    }
}
