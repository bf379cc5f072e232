#include "AppTestSupport.h"

#include "app/ProgramIni.h"
#include "app/WindowGeometry.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TEST(ProgramIniPath, BesideTheExecutableWhenItsFolderIsWritable)
{
    QTemporaryDir dir;
    std::string exe = dir.filePath("kivconfig").toStdString();
    EXPECT_EQ(ProgramIniPath(exe), exe + ".INI");
    EXPECT_EQ(ProgramIniPath(dir.filePath("tool.exe").toStdString()), dir.filePath("tool.INI").toStdString());
}

TEST(ProgramIniPath, UnderTheUsersConfigFolderOtherwise)
{
    QTemporaryDir config;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    std::string path = ProgramIniPath("/nonexistent/folder/kivconfig");
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(path, (fs::path(config.path().toStdString()) / "kivconfig" / "kivconfig.INI").string());
    EXPECT_TRUE(fs::is_directory(fs::path(path).parent_path()));
}

TEST(ProgramPrefs, IntegersReadAsDecimalDollarOrHex)
{
    TTempIni ini;
    ini.Put("[Form]\r\nTop=$10\r\nLeft=0x10\r\nHeight=0X1F\r\nWidth=12abc\r\n"
            "[Terminal]\r\nShow LOG Window=$1\r\nLog Time Stamp=no\r\nShow Hex=0x0\r\n");
    TProgramPrefs p = ReadProgramPrefs(IniFile(ini.path));
    EXPECT_EQ(p.Top, 16);
    EXPECT_EQ(p.Left, 16);
    EXPECT_EQ(p.Height, 31);
    EXPECT_EQ(p.Width, 954); // no number: the default
    EXPECT_TRUE(p.ShowLog);
    EXPECT_TRUE(p.LogTimeStamp); // no number: the default
    EXPECT_FALSE(p.ShowHex);
}

TEST(ProgramPrefs, WritersPutTheirSectionsInOneGo)
{
    TTempIni ini;
    TProgramPrefs p;
    p.Port.Port = "ttyACM0";
    p.Port.BaudRate = 13;
    WritePortPrefs(*std::make_unique<IniFile>(ini.path), p.Port);
    EXPECT_EQ(ini.Bytes(), "[Comport Settings]\r\nPort=ttyACM0\r\nBaudrate=13\r\nData bits=3\r\nStop bits=0\r\n"
                           "Parity=0\r\nFlow control=2\r\n");
    TTempIni other;
    IniFile file(other.path);
    p.Apn[0] = "user.apn";
    WriteWindowPrefs(file, p);
    std::string text = other.Bytes();
    EXPECT_EQ(text.find("[User APN]"), std::string::npos);
    EXPECT_NE(text.find("[KIV Server]\r\nServer Port=3004\r\nRemote TCP Port=2040\r\n"
                        "Remote UDP IP Add=000.000.000.000\r\nRemote UDP Port=2055\r\n"
                        "[Terminal]\r\nShow LOG Window=0\r\nLog Time Stamp=1\r\nShow Hex=0\r\n"
                        "[Form]\r\nTop=100\r\nLeft=100\r\nHeight=787\r\nWidth=954\r\n"),
              std::string::npos);
    WriteClosePrefs(file, p);
    IniFile back(other.path);
    EXPECT_EQ(back.ReadString("User APN", "APN1", ""), "user.apn");
    EXPECT_EQ(back.ReadString("User APN", "APN29", ""), BuiltInApnNames()[28]);
    EXPECT_EQ(back.ReadString("User APN", "APN30", "?"), "");
}

TEST(WindowGeometry, StoredBoundsAreFittedToTheVisibleArea)
{
    const QRect screen(0, 0, 1920, 1040);
    EXPECT_EQ(FitWindowToScreen(100, 100, 954, 787, screen), QRect(100, 100, 954, 787));
    EXPECT_EQ(FitWindowToScreen(-32000, -32000, 954, 787, screen), QRect(0, 0, 954, 787));
    EXPECT_EQ(FitWindowToScreen(1800, 900, 954, 787, screen), QRect(966, 253, 954, 787));
    EXPECT_EQ(FitWindowToScreen(0, 0, 5000, 5000, screen), QRect(0, 0, 1920, 1040));
    EXPECT_EQ(FitWindowToScreen(10, 10, 0, -7, screen), QRect(10, 10, kMinWindowWidth, kMinWindowHeight));
    EXPECT_EQ(FitWindowToScreen(INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, screen),
              QRect(0, 0, 1920, kMinWindowHeight));
    // A second screen to the left of the first.
    const QRect left(-1280, 0, 1280, 1024);
    EXPECT_EQ(FitWindowToScreen(-1000, 50, 954, 787, left), QRect(-1000, 50, 954, 787));
    // A screen smaller than the smallest window.
    EXPECT_EQ(FitWindowToScreen(0, 0, 954, 787, QRect(0, 0, 400, 300)), QRect(0, 0, 400, 300));
}
