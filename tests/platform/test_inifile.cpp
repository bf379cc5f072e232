#include "platform/IniFile.h"

#include "FileSizeLimit.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
const std::string kClosing(20, '='), kLine41(41, '=');

class IniFileTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "inifile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        path = (dir / "test.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Put(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Bytes() const
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    size_t FilesInDir() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }

    fs::path dir;
    std::string path;
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

TEST_F(IniFileTest, NewFileHasTheProfileLayout)
{
    {
        IniFile ini(path);
        ini.WriteString("Info", "CT Version", "V1");
        ini.WriteString("Info", kClosing, kClosing);
        ini.WriteString("Alarm/Message", "Use IMEI*HW no", "0");
        ini.WriteString("Alarm/Message", kClosing, kClosing);
    }
    const std::string alarm = "\r\n[Alarm/Message]\r\nUse IMEI*HW no=0\r\n" + kLine41 + "\r\n";
    EXPECT_EQ(Bytes(), "[Info]\r\nCT Version=V1\r\n" + kLine41 + alarm);

    // A second save into an older file that lacks a key: the closing key is put back last.
    IniFile ini(path);
    ini.WriteString("Info", "CT Version", "V2");
    ini.WriteString("Info", "Date", "20261205");
    ini.DeleteKey("Info", kClosing);
    ini.WriteString("Info", kClosing, kClosing);
    EXPECT_EQ(Bytes(), "[Info]\r\nCT Version=V2\r\nDate=20261205\r\n" + kLine41 + alarm);
}

TEST_F(IniFileTest, IntegersAndBools)
{
    Put("[N]\r\nhex1=$10\r\nhex2=0x10\r\nhex3=0X1f\r\nneg=-5\r\nplus=+7\r\nblanks=  42  \r\nall=$FFFFFFFF\r\n"
        "min=-2147483648\r\nbig=2147483648\r\nbad=12abc\r\nword=abc\r\nempty=\r\nbare=0x\r\ndollar=$\r\n"
        "one=1\r\ntwo=2\r\nzero=0\r\n");
    IniFile ini(path);
    const std::pair<const char*, int> cases[] = {{"hex1", 16}, {"hex2", 16},   {"hex3", 31},   {"neg", -5},
                                                 {"plus", 7},  {"blanks", 42}, {"all", -1},    {"min", -2147483647 - 1},
                                                 {"big", 99},  {"bad", 99},    {"word", 99},   {"empty", 99},
                                                 {"bare", 99}, {"dollar", 99}, {"missing", 99}};
    for (auto [key, value] : cases)
        EXPECT_EQ(ini.ReadInteger("N", key, 99), value) << key;
    EXPECT_EQ(ini.ReadInteger("Missing section", "one", 99), 99);
    EXPECT_EQ((std::vector<bool>{ini.ReadBool("N", "one", false), ini.ReadBool("N", "two", false),
                                 ini.ReadBool("N", "zero", true), ini.ReadBool("N", "word", true),
                                 ini.ReadBool("N", "word", false), ini.ReadBool("N", "missing", true)}),
              (std::vector<bool>{true, true, false, true, false, true}));
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
    EXPECT_EQ(FilesInDir(), 1u);

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
    const std::string missing = (dir / "no such folder" / "x.ini").string();
    IniFile nowhere(missing);
    try {
        nowhere.WriteString("A", "x", "1");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missing);
    }
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
    IniFile folder(dir.string());
    EXPECT_EQ(folder.ReadString("A", "x", "none"), "none");
    EXPECT_THROW(folder.WriteString("A", "x", "1"), EIniFileException);
    EXPECT_TRUE(fs::is_directory(dir));
}
} // namespace
