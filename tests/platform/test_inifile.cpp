#include "platform/IniFile.h"

#include "FileSizeLimit.h"
#include "TempFiles.h"

#include <climits>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
const std::string kClosing(20, '='), kLine41(41, '=');

struct IniFileTest : ::testing::Test, TTempFiles {
    std::string path = Path("test.ini");
    void Put(const std::string& bytes) const { TTempFiles::Put(path, bytes); }
    std::string Bytes() const { return Read(path); }
    size_t FilesInDir() const { return static_cast<size_t>(std::distance(fs::directory_iterator(Dir), {})); }
};

// A hand-edited file: comments, blank lines, text before the first section, blanks around "=", keys
// holding "/", "(" and "=", a LF line among CR LF lines, and a last line without a line end.
const std::string kOdd = "; preferences\r\nstray=before any section\r\n\r\n[Comport Settings]\r\nPort = COM3  \r\n"
                         "# not a key\r\nBaudrate=7\n\r\n[I/O1 Settings]\r\nPhone Nr 1 Select=1\r\n"
                         "Port Direction(In(0),Out(1))=0\r\nTCP Server IP1/IP2 Select=1\r\nFormula=a=b\r\n" +
                         kLine41 + "\r\n[Form]\r\nTop=100";

TEST_F(IniFileTest, OddFileReadsCaseBlindAndEachWriteChangesOnlyItsOwnLine)
{
    Put(kOdd);
    IniFile ini(path);
    const std::tuple<std::string, std::string, std::string> reads[] = {
        {"COMPORT settings", "port", "COM3"},
        {"Comport Settings", "Baudrate", "7"},
        {"I/O1 Settings", "Port Direction(In(0),Out(1))", "0"},
        {"I/O1 Settings", "TCP Server IP1/IP2 Select", "1"},
        {"I/O1 Settings", "Phone Nr 1", "none"}, // a longer key is another key
        {"I/O1 Settings", "Formula", "a=b"},
        {"I/O1 Settings", kClosing, kClosing},
        {"Comport Settings", "stray", "none"},
        {"Form", "Top", "100"},
    };
    for (const auto& [section, key, value] : reads)
        EXPECT_EQ(ini.ReadString(section, key, "none"), value) << section << "/" << key;
    // Writing values the file already holds changes nothing.
    ini.WriteString("I/O1 Settings", kClosing, kClosing);
    ini.WriteString("Comport Settings", "Port", "COM3");
    EXPECT_EQ(Bytes(), kOdd);

    // Each write goes to disk at once, keeps the file's own key spelling, and ends its line in CR LF.
    ini.WriteString("I/O1 Settings", "Formula", "c=d");
    ini.WriteString("comport SETTINGS", "PORT", "/dev/ttyUSB0");
    ini.WriteInteger("form", "TOP", -5);
    ini.WriteBool("Comport Settings", "baudrate", true);
    std::string expected = kOdd;
    expected.replace(expected.find("Formula=a=b"), 11, "Formula=c=d");
    expected.replace(expected.find("Port = COM3  \r\n"), 15, "Port =/dev/ttyUSB0\r\n");
    expected.replace(expected.find("Baudrate=7\n"), 11, "Baudrate=1\r\n");
    expected.replace(expected.find("Top=100"), 7, "Top=-5\r\n");
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(IniFile(path).ReadString("I/O1 Settings", "Formula", ""), "c=d");
}

TEST_F(IniFileTest, NewKeysAndSectionsGoAtTheEndOfTheirPlace)
{
    Put("[A]\r\nx=1\r\n; about B\r\n\r\n[B]\r\ny=2");
    IniFile ini(path);
    ini.WriteString("A", "z", "3");       // after the last key line, before the comment
    ini.WriteString("B", "w", "4");       // after a last line that had no line end
    ini.WriteString("New", "k", " v ");   // a new section at the end
    ini.WriteString("New", "Second", ""); // an empty value
    ini.WriteString("S", "==", "=x");     // a key of equals signs
    EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\nz=3\r\n; about B\r\n\r\n[B]\r\ny=2\r\nw=4\r\n[New]\r\nk= v \r\nSecond=\r\n"
                       "[S]\r\n====x\r\n");
    IniFile again(path);
    EXPECT_EQ(again.ReadString("New", "k", ""), "v");
    EXPECT_EQ(again.ReadString("S", "==", ""), "=x");

    Put("[Empty]\r\n\r\n[Next]\r\n");
    IniFile(path).WriteString("Empty", "a", "1");
    EXPECT_EQ(Bytes(), "[Empty]\r\na=1\r\n\r\n[Next]\r\n");
}

TEST_F(IniFileTest, IntegersAndBools)
{
    const std::pair<const char*, int> cases[] = {
        {"$10", 16},        {"0x10", 16},   {"0X1f", 31},      {"-5", -5},
        {"+7", 7},          {"  42  ", 42}, {"$FFFFFFFF", -1}, {"-2147483648", INT_MIN},
        {"2147483648", 99}, {"12abc", 99},  {"abc", 99},       {"", 99},
        {"0x", 99},         {"$", 99},      {"0", 0}};
    std::string text = "[N]\r\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        text += "k" + std::to_string(i) + "=" + cases[i].first + "\r\n";
    Put(text);
    IniFile ini(path);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("N", "k" + std::to_string(i), 99), cases[i].second) << cases[i].first;
    EXPECT_EQ(ini.ReadInteger("Missing section", "k0", 99), 99);
    // Any number but 0 is true; no number gives the fallback.
    EXPECT_EQ((std::vector<bool>{ini.ReadBool("N", "k0", false), ini.ReadBool("N", "k14", true),
                                 ini.ReadBool("N", "k10", true), ini.ReadBool("N", "k10", false)}),
              (std::vector<bool>{true, false, true, false}));
    ini.WriteInteger("W", "i", -1);
    ini.WriteBool("W", "t", true);
    ini.WriteBool("W", "f", false);
    EXPECT_NE(Bytes().find("[W]\r\ni=-1\r\nt=1\r\nf=0\r\n"), std::string::npos);
}

TEST_F(IniFileTest, ValuesAreTrimmedCutKeptToOneLineAndKeepTheirBytes)
{
    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c)
        high += static_cast<char>(c);
    IniFile ini(path);
    ini.WriteString("S", "pad", " \t x  y \t ");
    ini.WriteString("S", "long", std::string(3000, 'q'));
    ini.WriteString("S", "two lines", "first\r\n[Injected]\r\nx=1");
    ini.WriteString("S\xE4", "K\xF6", high);
    IniFile again(path);
    EXPECT_EQ(again.ReadString("S", "pad", ""), "x  y");
    EXPECT_EQ(again.ReadString("S", "long", ""), std::string(2047, 'q'));
    EXPECT_EQ(again.ReadString("S", "two lines", ""), "first");
    EXPECT_EQ(again.ReadString("Injected", "x", "none"), "none");
    EXPECT_NE(Bytes().find("[S\xE4]\r\nK\xF6=" + high + "\r\n"), std::string::npos);
    EXPECT_EQ(again.ReadString("S\xE4", "K\xF6", ""), high);
    // Case-blind matching touches ASCII letters only: 0xC4 is not the same key as 0xE4.
    EXPECT_EQ(again.ReadString("S\xC4", "K\xF6", "none"), "none");
}

TEST_F(IniFileTest, BatchWritesTheFileOnceOrNotAtAllAndKeepsItsMode)
{
    Put("[A]\r\nx=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    IniFile ini(path);
    {
        IniFile::Batch batch(ini);
        ini.WriteString("A", "x", "2");
        {
            IniFile::Batch inner(ini);
            ini.WriteString("B", "y", "3");
            inner.Commit();
        }
        EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n"); // nothing on disk before the commit
        EXPECT_EQ(ini.ReadString("B", "y", ""), "3");
        batch.Commit();
    }
    EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\n[B]\r\ny=3\r\n");
    struct stat st {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A save stopped by an error on the way leaves the file and the object as they were.
    try {
        IniFile::Batch batch(ini);
        ini.WriteString("A", "x", "broken");
        throw std::runtime_error("stopped");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ini.ReadString("A", "x", ""), "2");
    ini.WriteString("C", "z", "4");
    EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\n[B]\r\ny=3\r\n[C]\r\nz=4\r\n");
}

TEST_F(IniFileTest, FailedWriteRaisesAndLeavesTheOldFile)
{
    // The message (the window shows it at shut-down) is checked where the window writes its file.
    IniFile nowhere(Path("no such folder/x.ini"));
    EXPECT_THROW(nowhere.WriteString("A", "x", "1"), EIniFileException);
    EXPECT_EQ(nowhere.ReadString("A", "x", "none"), "none");

    // A disk that refuses the data (here a file size limit, which holds for root too): the old file stays,
    // the object forgets the failed write, and no temporary file is left behind.
    Put("[A]\r\nx=1\r\n");
    IniFile ini(path);
    {
        TFileSizeLimit limit(16);
        EXPECT_THROW(ini.WriteString("A", "x", std::string(100, 'v')), EIniFileException);
        IniFile::Batch batch(ini);
        ini.WriteString("A", "y", std::string(100, 'v'));
        EXPECT_THROW(batch.Commit(), EIniFileException);
    }
    EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "y", "none"), "none");
    EXPECT_EQ(FilesInDir(), 1u);

    // A path that exists but cannot be read (a folder) reads as empty and is never written over.
    IniFile folder(Dir.string());
    EXPECT_EQ(folder.ReadString("A", "x", "none"), "none");
    EXPECT_THROW(folder.WriteString("A", "x", "1"), EIniFileException);
    EXPECT_TRUE(fs::is_directory(Dir));
}
} // namespace
