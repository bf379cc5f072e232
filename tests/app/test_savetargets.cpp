// Every save of the window (".kvx", ".bin", ".kvp" and the tool's INI file) keeps what the user set up around
// the file: saved through a symbolic link it replaces the link's target and the link stays; a file the user
// protected against writing is refused with the save's own message and stays as it was.
#include "AppTestSupport.h"
#include "platform/OtherUser.h"

#include <QAction>
#include <QToolButton>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    const size_t at = text.find('%');
    return at == std::string::npos ? text : text.replace(at, 1, path);
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

// What another user planted under the name cannot take the save: a link in a shared sticky folder could point it
// at any file the user may write, that user's own file there would hand them the saved bytes, and a pipe would
// hold the window until someone read it. Every save refuses at once, says why, and what was there stays.
TEST_F(SaveTargets, WhatAnotherUserPlantedUnderTheNameIsRefusedAndSaysWhy)
{
    if (!TOtherUser::Root())
        GTEST_SKIP() << "needs root to hand a link to another user";
    const fs::path shared = ini.Dir / "shared";
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    const struct {
        const char* name;
        fs::path folder;
        // Plants the entry at path; target is the user's own file a link may point at.
        std::function<void(const fs::path& path, const fs::path& target)> plant;
        std::string reason; // the message names the entry and says this of it, % for its path
    } planted[] = {
        {"another user's link in a shared folder", shared,
         [](const fs::path& path, const fs::path& target) {
             fs::create_symlink(target, path);
             ASSERT_EQ(::lchown(path.c_str(), TOtherUser::kThird, TOtherUser::kThird), 0);
         },
         "the symbolic link % belongs to another user, in a folder that others may write"},
        {"another user's file in a shared folder", shared,
         [](const fs::path& path, const fs::path&) {
             std::ofstream(path) << "theirs";
             ASSERT_EQ(::chown(path.c_str(), TOtherUser::kThird, TOtherUser::kThird), 0);
             ::chmod(path.c_str(), 0666);
         },
         "the file % belongs to another user, in a folder that others may write"},
        {"a pipe in the user's own folder", ini.Dir / "links",
         [](const fs::path& path, const fs::path&) { ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0); },
         "not a regular file"},
    };
    for (const auto& p : planted) {
        for (const SaveWay& way : kWays) {
            SCOPED_TRACE(std::string(p.name) + ", " + way.name);
            const fs::path target = ini.Dir / "files" / way.file, entry = p.folder / way.file;
            Own(target.string(), 0600);
            p.plant(entry, target);
            const auto before = fs::symlink_status(entry).type();
            dialogs.Shown.clear();
            way.save(*this, entry.string());
            ASSERT_EQ(dialogs.Messages().size(), 1u);
            const std::string message = dialogs.Messages()[0];
            EXPECT_NE(message.find(entry.string() + ": "), std::string::npos) << message;
            EXPECT_NE(message.find(WithPath(p.reason, entry.string())), std::string::npos) << message;
            EXPECT_EQ(ini.Read(target.string()), "old");
            EXPECT_EQ(fs::symlink_status(entry).type(), before);
            if (before == fs::file_type::regular) {
                EXPECT_EQ(ini.Read(entry.string()), "theirs");
            }
            EXPECT_EQ(std::distance(fs::directory_iterator(p.folder), {}), 1);
            fs::remove(target);
            fs::remove(entry);
        }
    }
}
