#include "AppTestSupport.h"

#include "app/Entry.h"
#include "app/ProgramIni.h"
#include "app/WindowGeometry.h"
#include "image/DefaultImage.h"
#include "pages/OptionBits.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/TextControl.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(StartUp, WithoutAnIniFileTakesTheDefaultsAndCreatesNothing)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini));
    EXPECT_EQ(form.Button1->text(), "ttyUSB0: CLOSED");
    EXPECT_FALSE(form.ComPort1.Connected());
    for (const char* name : {"InitString", "InitString2"}) { // the 29 built-in names and an empty 30th item
        auto* box = form.Control<QComboBox>(name);
        ASSERT_EQ(box->count(), 30) << name;
        EXPECT_EQ(box->itemText(28).toStdString(), BuiltInApnNames()[28]);
        EXPECT_TRUE(box->itemText(29).isEmpty());
    }
    // The all-0xFF image is shown first: the default's redraw moves the I/O1 log box and the serial groups. The
    // default stays its table, unmarked, and shown so, as after "Default" is pressed over a field image.
    for (bool pressed : {false, true}) {
        if (pressed) {
            form.Image.LoadPlain(0, std::string(3072, '\xA5')); // loaded: logging on and timed, I/O1 logged
            form.ImageToControls();
            form.setDefault->click();
        }
        EXPECT_EQ(form.Image.Image.Bytes(0, 3072), std::string(DefaultImageBytes().begin(), DefaultImageBytes().end()));
        EXPECT_FALSE(form.Image.Image.AnyMarked(0, 3072));
        EXPECT_EQ(form.Control<TRadioGroup>("AnadataLog")->ItemIndex(), 0) << "Data Logging: Off";
    }
    EXPECT_EQ(form.Image.ReadImageByte(65535), 0xFF) << "nothing above the configuration area";
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet8);
    EXPECT_FALSE(ini.Exists()) << "reading creates nothing";
}

TEST(StartUp, ReadsAnIniFileWrittenWithCrLfByAnotherProgram)
{
    TTempIni ini;
    ini.Put("[comport settings]\r\nPort=ttyS1\r\nBaudrate=$0D\r\nData bits=0x2\r\nStop bits=2\r\nParity=2\r\n"
            "Flow control=3\r\n[KIV Server]\r\nServer Port=4000\r\nRemote UDP Port=0x10\r\n"
            "[Terminal]\r\nShow LOG Window=1\r\nLog Time Stamp=0\r\nShow Hex=1\r\n"
            "[User APN]\r\nAPN1=my.own.apn\r\nAPN2=\r\n[Form]\r\nTop=-32000\r\nLeft=-32000\r\nHeight=2147483647\r\n"
            "Width=-5\r\n");
    TForm1 form(OptionsWith(ini));
    EXPECT_EQ(form.ComPort1.Port(), "ttyS1");
    EXPECT_EQ(form.ComPort1.BaudRate(), br115200); // "$0D" = 13
    EXPECT_EQ(form.ComPort1.DataBits(), dbSeven);  // "0x2"
    EXPECT_EQ(form.ComPort1.StopBits(), sbTwoStopBits);
    EXPECT_EQ(form.ComPort1.Parity().Bits(), prEven);
    // The custom preset keeps the design flags: no flow control, DTR and RTS enabled.
    EXPECT_EQ(form.ComPort1.FlowControl().ControlDTR(), dtrEnable);
    EXPECT_EQ(form.ComPort1.FlowControl().ControlRTS(), rtsEnable);
    EXPECT_FALSE(form.ComPort1.FlowControl().OutCTSFlow());
    EXPECT_EQ(form.Control<QLineEdit>("ServerPortEdit")->text(), "4000");
    EXPECT_EQ(ControlText(form.Control<QWidget>("UDPportEdit")), "0x10"); // a text key stays as written
    EXPECT_TRUE(form.Control<QAbstractButton>("CheckBox14")->isChecked());
    // "Show Hex" comes after "Log Time Stamp": checked, though ShowTS has just disabled it.
    auto* hex = form.Control<QAbstractButton>("HexCheckBox");
    EXPECT_TRUE(hex->isChecked());
    EXPECT_FALSE(hex->isEnabled());
    auto* apn = form.Control<QComboBox>("InitString");
    EXPECT_EQ(apn->itemText(0), "my.own.apn");
    EXPECT_EQ(apn->itemText(1), "");
    EXPECT_EQ(apn->itemText(2).toStdString(), BuiltInApnNames()[2]);
    // The stored bounds, fitted to the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(form.pos(), form.size()))) << form.x() << "," << form.y();
    EXPECT_GE(form.width(), std::min(kMinWindowWidth, screen.width()));
}

TEST(StartUp, PortSettingsOutOfRangeTakeTheirDefaults)
{
    TTempIni ini;
    ini.Put("[Comport Settings]\nBaudrate=16\nData bits=-1\nStop bits=3\nParity=99\nFlow control=4\n");
    TForm1 form(OptionsWith(ini));
    EXPECT_EQ(form.ComPort1.BaudRate(), br9600);
    EXPECT_EQ(form.ComPort1.DataBits(), dbEight);
    EXPECT_EQ(form.ComPort1.StopBits(), sbOneStopBit);
    EXPECT_EQ(form.ComPort1.Parity().Bits(), prNone);
    EXPECT_EQ(form.ComPort1.FlowControl().FlowControl(), fcNone);
}

TEST(StartUp, AFailingStepIsShownAndTheRestStillRuns)
{
    TWindowRig rig;
    int decoded = 0;
    TForm1 form(OptionsWith(rig.ini, [&](TForm1& f) {
        f.Redraw.Add(TRedraw::PhoneNumbers, [&] {
            if (++decoded == 1)
                throw std::runtime_error("Range check error");
        });
    }));
    EXPECT_EQ(rig.dialogs.Messages(), std::vector<std::string>{"Range check error"});
    EXPECT_EQ(form.Image.ImageLoaded, 1);
    auto* grid = form.PageContext.Get<QTableWidget>("AlarmStringGrid1");
    EXPECT_EQ(grid->rowCount(), 18);
    EXPECT_TRUE(form.TabSheet7->isAncestorOf(grid)) << "the alarm grid keeps its place on the shared sheet";
}

// A rule between pages left unconnected: the built window refuses to start, naming the hook, and takes down
// what it built without freeing anything twice.
TEST(StartUp, AnOptionHookLeftUnconnectedIsRefused)
{
    TTempIni ini;
    try {
        TForm1 form(OptionsWith(ini, [](TForm1& f) { f.OptionBits->Hooks.ShowIPLabels = nullptr; }));
        ADD_FAILURE() << "the window started";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "option switch hook not connected: ShowIPLabels");
    }
    EXPECT_FALSE(ini.Exists());
}

TEST(WindowGeometry, StoredBoundsAreFittedToTheVisibleArea)
{
    const QRect screen(0, 0, 1920, 1040);
    const std::pair<QRect, QRect> cases[] = {
        {{100, 100, 954, 787}, {100, 100, 954, 787}},
        {{-32000, -32000, 954, 787}, {0, 0, 954, 787}},
        {{1800, 900, 954, 787}, {966, 253, 954, 787}},
        {{0, 0, 5000, 5000}, {0, 0, 1920, 1040}},
        {{10, 10, 0, -7}, {10, 10, kMinWindowWidth, kMinWindowHeight}},
    };
    for (const auto& [stored, fitted] : cases)
        EXPECT_EQ(FitWindowToScreen(stored.x(), stored.y(), stored.width(), stored.height(), screen), fitted);
    EXPECT_EQ(FitWindowToScreen(INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, screen),
              QRect(0, 0, 1920, kMinWindowHeight));
    EXPECT_EQ(FitWindowToScreen(-1000, 50, 954, 787, QRect(-1280, 0, 1280, 1024)), QRect(-1000, 50, 954, 787));
    EXPECT_EQ(FitWindowToScreen(0, 0, 954, 787, QRect(0, 0, 400, 300)), QRect(0, 0, 400, 300));
}

TEST(ProgramIni, BesideTheExecutableOrUnderTheUsersConfigFolder)
{
    QTemporaryDir dir;
    EXPECT_EQ(ProgramIniPath(dir.filePath("tool.exe").toStdString()), dir.filePath("tool.INI").toStdString());

    QTemporaryDir config;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    const std::string path = ProgramIniPath("/nonexistent/folder/kivconfig");
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(path, (fs::path(config.path().toStdString()) / "kivconfig" / "kivconfig.INI").string());
    EXPECT_TRUE(fs::is_directory(fs::path(path).parent_path()));
}

// Started, the tool outlives a write past the file size limit (ulimit -f): the write fails with its reason.
TEST(StartUp, AWritePastTheFileSizeLimitFailsAndTheToolRuns)
{
    TTempIni ini;
    const std::string path = (ini.Dir / "big").string();
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_DFL);
        SetUpProcessSignals();
        const rlimit limit{16, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const std::string bytes(64, 'n');
        const bool cut = ::write(fd, bytes.data(), bytes.size()) == 16;
        const bool refused = ::write(fd, bytes.data(), bytes.size()) < 0 && errno == EFBIG;
        ::_exit(cut && refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
