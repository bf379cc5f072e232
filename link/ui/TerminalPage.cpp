#include "link/ui/TerminalPage.h"

#include "cport/port/Cport.h"
#include "cport/port/EComPort.h"
#include "cport/terminal/ComTerminal.h"
#include "image/TextTables.h"
#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/serial/LinkPort.h"
#include "link/serial/SendHelpers.h"
#include "link/serial/SerialLink.h"
#include "link/serial/TermPageHost.h"
#include "link/ui/ByteMemo.h"
#include "link/ui/ComboHistory.h"
#include "link/ui/ScriptBoxes.h"
#include "link/ui/SendBoxItems.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/KeyPress.h"
#include "platform/ui/Latin1.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace
{
constexpr char kEnterKey = 13;
constexpr char kBackspaceKey = 8;
constexpr const char* kEscapeByte = "\x1b";
constexpr int kLedSize = 25;
constexpr int kFirstLed = 2;
constexpr int kLastLed = 7;
const char* const kLedCaptions[] = {"CTS", "DSR", "DCD", "RING", "RXD", "TXD"};

template <typename W> W* Named(W* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

TCheckBox* BoldBox(const char* name, const char* caption, bool checked, QWidget* parent)
{
    auto* box = Named(new TCheckBox(caption, parent), name);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    box->setChecked(checked);
    return box;
}

QToolButton* SpeedButton(const char* name, const char* caption, const char* hint, QWidget* parent)
{
    auto* button = Named(new QToolButton(parent), name);
    button->setText(caption);
    button->setToolTip(hint);
    return button;
}

QComboBox* EditCombo(const char* name, QWidget* parent)
{
    auto* box = Named(new QComboBox(parent), name);
    box->setEditable(true);
    // The history is kept by RememberComboText alone.
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

} // namespace

TerminalPage::TerminalPage(SerialLink& link, LinkHost& host, TermPageHost& pageHost, ImageStore& store,
                           TCustomComPort& port, QWidget* parent)
    : QWidget(parent), Commands(link.Sender, Timing, Clock), AltWriter(link, host, pageHost, store, Timing),
      link_(link), host_(host), pageHost_(pageHost), port_(port)
{
    setObjectName("TerminalPage");

    ComTerminal1 = Named(new TComTerminal(this), "ComTerminal1");
    ComTerminal1->SetColumns(256);
    ComTerminal1->SetRows(40);
    ComTerminal1->SetEmulation(TTermEmulation::teNone);
    ComTerminal1->SetWrapLines(true);
    ComTerminal1->SetScrollBars(TScrollStyle::ssBoth);
    ComTerminal1->SetColor(QColor(0, 0, 128));
    ComTerminal1->SetFontColor(Qt::white);
    QFont terminalFont("Fixedsys");
    terminalFont.setStyleHint(QFont::TypeWriter);
    terminalFont.setFixedPitch(true);
    ComTerminal1->setFont(terminalFont);
    ComTerminal1->OnStrRecieved = [this](TCustomComTerminal*, std::string& str) { ComTerminal1StrRecieved(str); };

    Memo1 = Named(new ByteMemo(this), "Memo1");
    Memo1->hide();
    Memo4 = Named(new ByteMemo(this), "Memo4");
    Memo4->hide();

    auto* splitter = Named(new QSplitter(Qt::Horizontal, this), "Splitter1");
    splitter->addWidget(ComTerminal1);
    splitter->addWidget(Memo1);
    splitter->setStretchFactor(1, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(splitter, 1);
    page->addWidget(BuildSendRow());
    page->addWidget(BuildOptionRow());
    page->addWidget(BuildServicePanel());
    BuildToolBarButtons();

    ScriptView = std::make_unique<ScriptBoxes>(*ScriptComboBox, *DelayEdit2);
    Scripts = std::make_unique<ScriptRunner>(link.Sender, host, Commands, Timing, *ScriptView);
    Scripts->RepaintTerminal = [this] { ComTerminal1->repaint(); };
    AltWriter.AddLogLine = [this](const std::string& line) { AddLogLine(line); };

    ShowTSClick();
    CheckBox14Click();
    ShowPortState();
}

TerminalPage::~TerminalPage()
{
    // The terminal must not call back into a page that is going.
    ComTerminal1->OnStrRecieved = nullptr;
    ComTerminal1->SetComPort(nullptr);
}

// --- building ---------------------------------------------------------------------------------------------------

void TerminalPage::BuildToolBarButtons()
{
    // Stand-ins until the main window hands over the buttons of its tool bar.
    Button1 = Named(new QPushButton(this), "Button1");
    QFont bold = Button1->font();
    bold.setBold(true);
    Button1->setFont(bold);
    Button1->hide();
    SpeedButton2 = SpeedButton("SpeedButton2", "", "Erase Screen", this);
    SpeedButton2->hide();
    ConnectToolBarButtons();
}

void TerminalPage::ConnectToolBarButtons()
{
    connect(Button1, &QPushButton::clicked, this, [this] { Safely([this] { Button1Click(); }); });
    ConnectGuarded(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
}

void TerminalPage::UseToolBarButtons(QPushButton* button1, QToolButton* speedButton2)
{
    if (!button1 || !speedButton2)
        return;
    delete Button1;
    delete SpeedButton2;
    Button1 = button1;
    SpeedButton2 = speedButton2;
    ConnectToolBarButtons();
    ShowPortState();
}

QWidget* TerminalPage::BuildSendRow()
{
    auto* row = Named(new QWidget(this), "SendPanel");
    auto* layout = new QHBoxLayout(row);

    // The send box, its description and its character count.
    auto* sendColumn = new QVBoxLayout;
    SendBox = EditCombo("SendBox", row);
    for (const char* item : kSendBoxItems)
        SendBox->addItem(item);
    SendBox->setEditText("<ESC>");
    OnKeyPress(SendBox->lineEdit(), [this](QObject*, char& key) { SendBoxKeyPress(key); });
    connect(SendBox, &QComboBox::activated, this, [this] { SendBoxClick(); });
    Label83 = Named(new QLabel("Escape Character(ESC)", row), "Label83");
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(Named(new QLabel("No of characters:", row), "Label85"));
    Label84 = Named(new QLabel("0", row), "Label84");
    countRow->addWidget(Label84);
    sendColumn->addWidget(SendBox);
    sendColumn->addWidget(Label83);
    sendColumn->addLayout(countRow);
    layout->addLayout(sendColumn, 2);
    // Two lines beside it, so that the page fits the window's default width: sending and scripts, then the
    // direct commands.
    auto* lines = new QVBoxLayout;
    auto* sending = new QHBoxLayout;
    auto* directLine = new QHBoxLayout;
    lines->addLayout(sending);
    lines->addLayout(directLine);
    layout->addLayout(lines, 5);

    SpeedButton1 = SpeedButton("SpeedButton1", "Send", "Send Command", row);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    sending->addWidget(SpeedButton1);
    sending->addWidget(Named(new QLabel("Ch Delay:", row), "Label161"));
    charDelay = Named(new QLineEdit("0", row), "charDelay");
    charDelay->setMaximumWidth(50);
    sending->addWidget(charDelay);

    // The script list and its buttons.
    ScriptComboBox = EditCombo("ScriptComboBox", row);
    ScriptComboBox->addItem("KV");
    ScriptComboBox->setEditText("KVI");
    OnKeyPress(ScriptComboBox->lineEdit(), [this](QObject*, char& key) {
        if (key == kEnterKey) {
            key = 0;
            SpeedButton8Click();
        }
    });
    sending->addWidget(ScriptComboBox, 2);
    auto* load = SpeedButton("SpeedButton6", "", "Load File", row);
    auto* add = SpeedButton("SpeedButton9", "Add", "", row);
    auto* sendOnce = SpeedButton("SpeedButton8", "Send", "Send Command", row);
    auto* run = SpeedButton("SpeedButton7", "Script ", "Send Script", row);
    ConnectGuarded(load, &QToolButton::clicked, this, [this] { SpeedButton6Click(); });
    connect(add, &QToolButton::clicked, this, [this] { SpeedButton9Click(); });
    connect(sendOnce, &QToolButton::clicked, this, [this] { SpeedButton8Click(); });
    connect(run, &QToolButton::clicked, this, [this] { SpeedButton7Click(); });
    for (QToolButton* button : {load, add, sendOnce, run})
        sending->addWidget(button);
    sending->addWidget(Named(new QLabel("Cmd Delay:", row), "Label89"));
    DelayEdit2 = Named(new QLineEdit("2000", row), "DelayEdit2");
    DelayEdit2->setMaximumWidth(60);
    DelayEdit2->setMinimumWidth(50);
    sending->addWidget(DelayEdit2);
    sending->addWidget(Named(new QLabel("[ms]", row), "Label130"));

    // The direct commands and the SMS boxes.
    struct Direct {
        const char* name;
        const char* caption;
        const char* hint;
        void (TerminalPage::*handler)();
    };
    const Direct directs[] = {
        {"SetRTCButton", "RTC", "Set Real Time Clock", &TerminalPage::SetRTCButtonClick},
        {"setRTCDButton", "RTC+", "Set Real Time Clock", &TerminalPage::setRTCDButtonClick},
        {"SpeedButton12", "Send Reset", "KV&SR", &TerminalPage::SpeedButton12Click},
        {"SpeedButton13", "Send BootM", "KV&MB", &TerminalPage::SpeedButton13Click},
        {"SpeedButton14", "Send ESC", "KVESC", &TerminalPage::SpeedButton14Click},
    };
    for (const Direct& d : directs) {
        auto* button = SpeedButton(d.name, d.caption, d.hint, row);
        connect(button, &QToolButton::clicked, this, [this, h = d.handler] { (this->*h)(); });
        directLine->addWidget(button);
    }
    ComboBox8 = EditCombo("ComboBox8", row);
    ComboBox8->addItems({"+46", "+61"});
    ComboBox8->setEditText("+46");
    ComboBox9 = EditCombo("ComboBox9", row);
    ComboBox9->addItem("HELLO WORLD!");
    ComboBox9->setEditText("HELLO :-)");
    auto* sms = SpeedButton("SpeedButton11", "Send SMS", "Send Command", row);
    connect(sms, &QToolButton::clicked, this, [this] { SpeedButton11Click(); });
    directLine->addWidget(ComboBox8);
    directLine->addWidget(new QLabel("Text:", row));
    directLine->addWidget(ComboBox9);
    directLine->addWidget(sms);
    directLine->addStretch(1);
    return row;
}

QWidget* TerminalPage::BuildOptionRow()
{
    auto* row = Named(new QWidget(this), "OptionPanel");
    auto* layout = new QHBoxLayout;

    LedPanel = Named(new QWidget(row), "LedPanel");
    auto* leds = new QHBoxLayout(LedPanel);
    leds->setContentsMargins(0, 0, 0, 0);
    for (int n = kFirstLed; n <= kLastLed; ++n) {
        auto* place = new QWidget(LedPanel);
        place->setObjectName(QString("ComLed%1Place").arg(n));
        place->setFixedSize(kLedSize, kLedSize);
        auto* label = new QLabel(kLedCaptions[n - kFirstLed], LedPanel);
        label->setObjectName(QString("ComLed%1Label").arg(n));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        if (n == kLastLed) {
            place->hide();
            label->hide();
        }
        leds->addWidget(place);
        leds->addWidget(label);
    }
    layout->addWidget(LedPanel);

    CheckBox7 = BoldBox("CheckBox7", "DTR", true, row);
    CheckBox8 = BoldBox("CheckBox8", "RTS", true, row);
    CheckBox7->setEnabled(false);
    CheckBox8->setEnabled(false);
    CheckBox9 = BoldBox("CheckBox9", "Local Echo", false, row);
    CheckBox10 = BoldBox("CheckBox10", "Append LF", false, row);
    CheckBox14 = BoldBox("CheckBox14", "Show LOG window", false, row);
    ShowTS = BoldBox("ShowTS", "Log with Time Stamp ", true, row);
    HexCheckBox = BoldBox("HexCheckBox", "Show Hex", false, row);
    ShowDataChBox = BoldBox("ShowDataChBox", "Show all char", false, row);
    sendESC = BoldBox("sendESC", "Send <ESC> on SYSTEM START", false, row);
    // Each follows every change of its box, also one made by the program (start-up, the port button).
    CheckBox7->SetOnClick([this] { CheckBox7Click(); });
    CheckBox8->SetOnClick([this] { CheckBox8Click(); });
    CheckBox9->SetOnClick([this] { CheckBox9Click(); });
    CheckBox10->SetOnClick([this] { CheckBox10Click(); });
    CheckBox14->SetOnClick([this] { CheckBox14Click(); });
    ShowTS->SetOnClick([this] { ShowTSClick(); });
    // The line signals first, the log options on a second line.
    for (TCheckBox* box : {CheckBox7, CheckBox8, CheckBox9, CheckBox10})
        layout->addWidget(box);
    layout->addStretch(1);
    auto* logLine = new QHBoxLayout;
    for (TCheckBox* box : {CheckBox14, ShowTS, HexCheckBox, ShowDataChBox, sendESC})
        logLine->addWidget(box);

    Label113 = Named(new QLabel("Character Count:", row), "Label113");
    Label114 = Named(new QLabel("0", row), "Label114");
    Label114->installEventFilter(this);
    logLine->addWidget(Label113);
    logLine->addWidget(Label114);
    logLine->addStretch(1);
    auto* lines = new QVBoxLayout(row);
    lines->addLayout(layout);
    lines->addLayout(logLine);
    return row;
}

QWidget* TerminalPage::BuildServicePanel()
{
    Panel20 = Named(new QWidget(this), "Panel20");
    auto* layout = new QHBoxLayout(Panel20);
    auto* button = Named(new QPushButton("Button3", Panel20), "Button3");
    connect(button, &QPushButton::clicked, this, [this] { Button3Click(); });
    layout->addWidget(button);
    const AltBlockParams start;
    struct Field {
        QLineEdit** edit;
        const char* name;
        const char* label;
        const std::string& text;
    };
    const Field fields[] = {{&areaNo, "areaNo", "AreaNo", start.AreaNo},
                            {&valueX, "valueX", "Value", start.Value},
                            {&Sbuffr, "Sbuffr", "NoPkg", start.Blocks},
                            {&Edit1, "Edit1", "Size", start.Size}};
    for (const Field& f : fields) {
        layout->addWidget(new QLabel(f.label, Panel20));
        *f.edit = Named(new QLineEdit(FromLatin1(f.text), Panel20), f.name);
        layout->addWidget(*f.edit);
    }
    // A service tool: nothing in the program shows it.
    Panel20->hide();
    return Panel20;
}

// --- for the main window ------------------------------------------------------------------------------------

void TerminalPage::AttachTerminal(TermPortLink* port)
{
    ComTerminal1->SetComPort(port);
}

void TerminalPage::DetachTerminal()
{
    ComTerminal1->SetComPort(nullptr);
}

std::string TerminalPage::CharDelayText() const
{
    return ToLatin1(charDelay->text());
}

std::string TerminalPage::Memo4Text() const
{
    return Memo4 ? Memo4->Bytes() : std::string();
}

void TerminalPage::ClearMemo4()
{
    if (Memo4)
        Memo4->ClearAll();
}

void TerminalPage::AddLogLine(const std::string& line)
{
    Memo1->Append(ReceiveRender::NewLineText(Memo1->Bytes(), line));
}

void TerminalPage::ShowPortState()
{
    const std::string name = port_.Port();
    const std::string caption =
        port_.Connected() ? name + " (" + BaudRateName(port_.BaudRate()) + "): OPEN" : name + ": CLOSED";
    Button1->setText(FromLatin1(caption));
}

void TerminalPage::InstallSignalLed(int n, QWidget* led)
{
    auto* place = LedPanel->findChild<QWidget*>(QString("ComLed%1Place").arg(n));
    if (!led)
        return;
    if (!place) {
        // No place for it (given twice): the page still owns it, out of sight.
        led->setParent(LedPanel);
        led->hide();
        return;
    }
    auto* layout = static_cast<QHBoxLayout*>(LedPanel->layout());
    led->setParent(LedPanel);
    led->setFixedSize(kLedSize, kLedSize);
    delete layout->replaceWidget(place, led);
    delete place;
    if (n == kLastLed) {
        led->setEnabled(false);
        led->hide();
    } else {
        led->show();
    }
}

// --- guards ---------------------------------------------------------------------------------------------------

void TerminalPage::Safely(const std::function<void()>& op)
{
    RunGuarded([&] {
        try {
            op();
        } catch (const EComPort& e) {
            host_.ShowPortError(e.what());
        }
    });
}

void TerminalPage::Guarded(const char* what, const std::function<void()>& op)
{
    Safely([&] { link_.RunGuarded(what, op); });
}

// --- the port and its lines -------------------------------------------------------------------------------------

void TerminalPage::SetLineBoxes(bool open)
{
    // Ticking a box that was clear runs its click handler at once.
    for (TCheckBox* box : {CheckBox7, CheckBox8}) {
        box->setEnabled(open);
        if (open)
            box->SetChecked(true);
    }
}

void TerminalPage::Button1Click()
{
    // A transfer, script or command in its pauses still needs the port.
    if (link_.RefuseWhileBusy())
        return;
    try {
        if (port_.Connected()) {
            Button1->setText(FromLatin1(port_.Port() + ": CLOSED"));
            port_.Close();
            SetLineBoxes(false);
        } else {
            port_.Open();
            ShowPortState();
            SetLineBoxes(port_.Connected());
            if (port_.Connected()) {
                CheckBox8Click();
                CheckBox7Click();
            }
        }
        host_.SetStatusText("");
    } catch (const EComPort& e) {
        host_.ShowPortError(e.what());
    }
}

void TerminalPage::CheckBox7Click()
{
    port_.SetDTR(CheckBox7->isChecked());
}

void TerminalPage::CheckBox8Click()
{
    port_.SetRTS(CheckBox8->isChecked());
}

void TerminalPage::CheckBox9Click()
{
    ComTerminal1->SetLocalEcho(CheckBox9->isChecked());
}

void TerminalPage::CheckBox10Click()
{
    ComTerminal1->SetAppendLF(CheckBox10->isChecked());
}

// --- the send box -------------------------------------------------------------------------------------------------

void TerminalPage::SpeedButton1Click()
{
    Guarded("send", [this] {
        const int count = ScriptComboBox->count();
        const QString shown = SendBox->currentText();
        const ScriptLines::SendForm form = ScriptLines::SendFormOf(ToLatin1(shown));
        SerialSender& sender = link_.Sender;
        if (!form.withCr) {
            sender.SendComString(form.text);
        } else {
            Timing.Wait(sender.CharDelay());
            // A line the port failed gets no CR: the unit would take what reached it as a whole command.
            if (sender.SendComString(form.text) != SendOutcome::PortFailed) {
                Timing.Wait(Timing.SendCrPauseMs);
                sender.SendComString(std::string(1, Protocol::kCR));
            }
        }
        RememberComboText(*ScriptComboBox, shown, count);
    });
}

void TerminalPage::SendBoxKeyPress(char& key)
{
    const auto length = SendBox->currentText().size();
    if (key == kEnterKey) {
        key = 0;
        SpeedButton1Click();
    } else if (key == kBackspaceKey) {
        if (length > 0)
            Label84->setText(QString::number(length - 1));
    } else {
        Label84->setText(QString::number(length + 1));
    }
}

void TerminalPage::SendBoxClick()
{
    const int index = SendBox->currentIndex();
    Label83->setText(FromLatin1(CommandDescriptionShown(index)));
    const QString text = SendBox->currentText();
    // The escape item goes out as one byte.
    Label84->setText(QString::number(text == ScriptLines::kEscape ? 1 : text.size()));
}

bool TerminalPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label114 && event->type() == QEvent::MouseButtonPress) {
        Label114Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- the receive display ------------------------------------------------------------------------------------------

ReceiveLogOptions TerminalPage::LogOptions() const
{
    return {ShowTS->isChecked(), HexCheckBox->isChecked(), ShowDataChBox->isChecked()};
}

void TerminalPage::ComTerminal1StrRecieved(std::string& str)
{
    const ReceiveLogUpdate update = log_.OnBlock(Memo1->Bytes(), str, Clock(), LogOptions());
    Memo1->Append(update.Append, update.MarkMoved ? static_cast<std::ptrdiff_t>(update.MarkInAppend) : -1);
    if (Memo4)
        Memo4->Append(str);
    // A block arrives from the port's dispatch: nothing may escape into it. A bad character delay shows in the
    // message box of a failing handler, as it does for every other send.
    if (sendESC->isChecked() && ReceiveRender::AsksForEscape(str))
        RunGuarded([this] { link_.Sender.SendComString(kEscapeByte); });
    received_ += static_cast<int64_t>(str.size());
    ShowCount();
    Memo1->ShowMark();
}

void TerminalPage::ShowCount()
{
    Label114->setText(QString::number(received_));
}

void TerminalPage::CheckBox14Click()
{
    const bool shown = CheckBox14->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{Memo1, Label113, Label114, ShowTS})
        w->setVisible(shown);
}

void TerminalPage::ShowTSClick()
{
    const bool stamped = ShowTS->isChecked();
    for (TCheckBox* box : {HexCheckBox, ShowDataChBox}) {
        box->setEnabled(stamped);
        if (!stamped)
            box->setChecked(false);
    }
}

void TerminalPage::Label114Click()
{
    received_ = 0;
    ShowCount();
}

void TerminalPage::SpeedButton2Click()
{
    ComTerminal1->ClearScreen();
    Memo1->ClearAll();
    log_.ResetMark();
    received_ = 0;
    ShowCount();
}

// --- scripts --------------------------------------------------------------------------------------------------------

void TerminalPage::SpeedButton6Click()
{
    std::string path;
    if (!Dialogs().OpenFile({"", "Text-file|*.txt"}, path))
        return;
    if (!Scripts->LoadFile(path))
        throw std::runtime_error("Cannot open file \"" + path + "\".");
}

void TerminalPage::SpeedButton7Click()
{
    Guarded("script", [this] { Scripts->Run(); });
}

void TerminalPage::SpeedButton8Click()
{
    Guarded("send", [this] { Scripts->SendOnce(); });
}

void TerminalPage::SpeedButton9Click()
{
    Scripts->Add(ToLatin1(SendBox->currentText()));
}

// --- direct commands -----------------------------------------------------------------------------------------------

void TerminalPage::SetRTCButtonClick()
{
    Guarded("clock", [this] { Commands.SetRTCButtonClick(); });
}

void TerminalPage::setRTCDButtonClick()
{
    Guarded("clock", [this] { Commands.setRTCDButtonClick(); });
}

void TerminalPage::SpeedButton12Click()
{
    Guarded("reset", [this] { Commands.SpeedButton12Click(); });
}

void TerminalPage::SpeedButton13Click()
{
    Guarded("boot loader", [this] { Commands.SpeedButton13Click(); });
}

void TerminalPage::SpeedButton14Click()
{
    Guarded("escape", [this] { Commands.SpeedButton14Click(); });
}

void TerminalPage::SpeedButton11Click()
{
    Guarded("SMS", [this] {
        const int known = ComboBox8->count();
        const QString number = ComboBox8->currentText();
        Commands.SendSms(ToLatin1(number), ToLatin1(ComboBox9->currentText()));
        RememberComboText(*ComboBox8, number, known);
    });
}

// --- service writer
// ----------------------------------------------------------------------------------------------------

void TerminalPage::Button3Click()
{
    const AltBlockParams params{ToLatin1(areaNo->text()), ToLatin1(valueX->text()), ToLatin1(Sbuffr->text()),
                                ToLatin1(Edit1->text())};
    Guarded("service write", [this, &params] { AltWriter.Button3Click(params); });
}
