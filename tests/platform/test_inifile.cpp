#include "platform/IniFile.h"

#include "FileSizeLimit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{

const std::string kClosing(20, '=');

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
const std::string kOdd = "; preferences\r\n"
                         "stray=before any section\r\n"
                         "\r\n"
                         "[Comport Settings]\r\n"
                         "Port = COM3  \r\n"
                         "# not a key\r\n"
                         "Baudrate=7\n"
                         "\r\n"
                         "[I/O1 Settings]\r\n"
                         "Phone Nr 1 Select=1\r\n"
                         "Port Direction(In(0),Out(1))=0\r\n"
                         "TCP Server IP1/IP2 Select=1\r\n"
                         "Formula=a=b\r\n"
                         "=========================================\r\n"
                         "[Form]\r\n"
                         "Top=100";

TEST_F(IniFileTest, OddFileReadsAndKeepsItsBytes)
{
    Put(kOdd);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("Comport Settings", "Port", "COM1"), "COM3");
    EXPECT_EQ(ini.ReadInteger("Comport Settings", "Baudrate", 0), 7);
    EXPECT_EQ(ini.ReadString("I/O1 Settings", "Port Direction(In(0),Out(1))", "x"), "0");
    EXPECT_EQ(ini.ReadString("I/O1 Settings", "TCP Server IP1/IP2 Select", "x"), "1");
    EXPECT_EQ(ini.ReadString("I/O1 Settings", "Phone Nr 1", "none"), "none"); // a longer key is another key
    EXPECT_EQ(ini.ReadString("I/O1 Settings", "Formula", ""), "a=b");
    EXPECT_EQ(ini.ReadString("I/O1 Settings", kClosing, ""), kClosing);
    EXPECT_EQ(ini.ReadString("Comport Settings", "stray", "none"), "none");
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 0), 100);

    // Writing values the file already holds changes nothing.
    ini.WriteString("I/O1 Settings", kClosing, kClosing);
    ini.WriteString("Comport Settings", "Port", "COM3");
    EXPECT_EQ(Bytes(), kOdd);

    // Each write goes to disk at once, and only its own line changes.
    ini.WriteString("I/O1 Settings", "Formula", "c=d");
    std::string expected = kOdd;
    expected.replace(expected.find("Formula=a=b"), 11, "Formula=c=d");
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(IniFile(path).ReadString("I/O1 Settings", "Formula", ""), "c=d");
}

TEST_F(IniFileTest, UpdateInPlaceIsCaseBlindAndKeepsOtherLines)
{
    Put(kOdd);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("COMPORT settings", "port", ""), "COM3");
    ini.WriteString("comport SETTINGS", "PORT", "/dev/ttyUSB0");
    ini.WriteInteger("form", "TOP", -5);
    ini.WriteBool("Comport Settings", "baudrate", true);

    // The file's own key spelling stays; the changed lines end in CR LF.
    std::string expected = kOdd;
    expected.replace(expected.find("Port = COM3  \r\n"), 15, "Port =/dev/ttyUSB0\r\n");
    expected.replace(expected.find("Baudrate=7\n"), 11, "Baudrate=1\r\n");
    expected.replace(expected.find("Top=100"), 7, "Top=-5\r\n");
    EXPECT_EQ(Bytes(), expected);
}

TEST_F(IniFileTest, NewKeysAndSectionsGoAtTheEnd)
{
    Put("[A]\r\nx=1\r\n; about B\r\n\r\n[B]\r\ny=2");
    IniFile ini(path);
    ini.WriteString("A", "z", "3");       // after the last key line, before the comment
    ini.WriteString("B", "w", "4");       // after a last line that had no line end
    ini.WriteString("New", "k", " v ");   // a new section at the end
    ini.WriteString("New", "Second", ""); // an empty value
    EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\nz=3\r\n; about B\r\n\r\n[B]\r\ny=2\r\nw=4\r\n[New]\r\nk= v \r\nSecond=\r\n");
    EXPECT_EQ(ini.ReadString("New", "k", ""), "v");

    Put("[Empty]\r\n\r\n[Next]\r\n");
    IniFile other(path);
    other.WriteString("Empty", "a", "1");
    EXPECT_EQ(Bytes(), "[Empty]\r\na=1\r\n\r\n[Next]\r\n");
}

TEST_F(IniFileTest, NewFileHasTheProfileLayout)
{
    {
        IniFile ini(path);
        EXPECT_EQ(ini.ReadString("Info", "CT Version", "none"), "none");
        ini.WriteString("Info", "CT Version", "V1");
        ini.WriteString("Info", kClosing, kClosing);
        ini.WriteString("Alarm/Message", "Use IMEI*HW no", "0");
        ini.WriteString("Alarm/Message", kClosing, kClosing);
    }
    const std::string line41(41, '=');
    const std::string first = "[Info]\r\nCT Version=V1\r\n" + line41 + "\r\n[Alarm/Message]\r\nUse IMEI*HW no=0\r\n";
    EXPECT_EQ(Bytes(), first + line41 + "\r\n");

    // A second save into an older file that lacks a key: the closing key is put back last.
    IniFile ini(path);
    ini.WriteString("Info", "CT Version", "V2");
    ini.WriteString("Info", "Date", "20261205");
    ini.DeleteKey("Info", kClosing);
    ini.WriteString("Info", kClosing, kClosing);
    EXPECT_EQ(Bytes(), "[Info]\r\nCT Version=V2\r\nDate=20261205\r\n" + line41 +
                           "\r\n[Alarm/Message]\r\nUse IMEI*HW no=0\r\n" + line41 + "\r\n");
}

TEST_F(IniFileTest, KeysOfEqualsSignsRoundTrip)
{
    IniFile ini(path);
    ini.WriteString("S", "==", "=x");
    ini.WriteString("S", "a", "b=c");
    EXPECT_EQ(Bytes(), "[S]\r\n====x\r\na=b=c\r\n");
    IniFile again(path);
    EXPECT_EQ(again.ReadString("S", "==", ""), "=x");
    EXPECT_EQ(again.ReadString("S", "a", ""), "b=c");
    again.WriteString("S", "==", "y");
    EXPECT_EQ(Bytes(), "[S]\r\n===y\r\na=b=c\r\n");
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

    EXPECT_TRUE(ini.ReadBool("N", "one", false));
    EXPECT_TRUE(ini.ReadBool("N", "two", false));
    EXPECT_FALSE(ini.ReadBool("N", "zero", true));
    EXPECT_TRUE(ini.ReadBool("N", "word", true));
    EXPECT_FALSE(ini.ReadBool("N", "word", false));
    EXPECT_TRUE(ini.ReadBool("N", "missing", true));

    ini.WriteInteger("W", "i", -1);
    ini.WriteBool("W", "t", true);
    ini.WriteBool("W", "f", false);
    EXPECT_NE(Bytes().find("[W]\r\ni=-1\r\nt=1\r\nf=0\r\n"), std::string::npos);
}

TEST_F(IniFileTest, ValuesAreTrimmedCutAndKeptToOneLine)
{
    IniFile ini(path);
    ini.WriteString("S", "pad", " \t x  y \t ");
    ini.WriteString("S", "long", std::string(3000, 'q'));
    ini.WriteString("S", "two lines", "first\r\n[Injected]\r\nx=1");
    IniFile again(path);
    EXPECT_EQ(again.ReadString("S", "pad", ""), "x  y");
    EXPECT_EQ(again.ReadString("S", "long", ""), std::string(2047, 'q'));
    EXPECT_EQ(again.ReadString("S", "two lines", ""), "first");
    EXPECT_EQ(again.ReadString("Injected", "x", "none"), "none");
}

TEST_F(IniFileTest, SingleByteTextKeepsItsBytes)
{
    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c)
        high += static_cast<char>(c);
    IniFile ini(path);
    ini.WriteString("S\xE4", "K\xF6", high);
    EXPECT_EQ(Bytes(), "[S\xE4]\r\nK\xF6=" + high + "\r\n");
    EXPECT_EQ(IniFile(path).ReadString("S\xE4", "K\xF6", ""), high);
    // Case-blind matching touches ASCII letters only: 0xC4 is not the same key as 0xE4.
    EXPECT_EQ(IniFile(path).ReadString("S\xC4", "K\xF6", "none"), "none");
}

TEST_F(IniFileTest, LfFileReadsAndKeepsItsLineEnds)
{
    Put("[A]\nx=1\ny=2\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "y", ""), "2");
    ini.WriteString("A", "x", "9");
    EXPECT_EQ(Bytes(), "[A]\nx=9\r\ny=2\n");
}

TEST_F(IniFileTest, BatchWritesTheFileOnceOrNotAtAll)
{
    Put("[A]\r\nx=1\r\n");
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

    // A save stopped by an error on the way leaves the file and the object as they were.
    try {
        IniFile::Batch batch(ini);
        ini.WriteString("A", "x", "broken");
        throw std::runtime_error("stopped");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\n[B]\r\ny=3\r\n");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "2");
    ini.WriteString("C", "z", "4");
    EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\n[B]\r\ny=3\r\n[C]\r\nz=4\r\n");
}

TEST_F(IniFileTest, WriteKeepsTheFileMode)
{
    Put("[A]\r\nx=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    IniFile(path).WriteString("A", "x", "2");
    struct stat st {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(FilesInDir(), 1u);
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
