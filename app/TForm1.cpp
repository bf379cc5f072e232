#include "app/TForm1.h"

#include "app/AboutBox.h"
#include "app/HelpPanel.h"
#include "app/Saveprogress.h"
#include "channels/ChannelTable.h"
#include "channels/ChannelTypes.h"
#include "channels/ChannelsPage.h"
#include "channels/RecipientCaption.h"
#include "cport/port/ComGuard.h"
#include "pages/AlarmControl.h"
#include "pages/Bind.h"
#include "pages/CommunicationPage.h"
#include "pages/GeneralPage.h"
#include "pages/ImageFields.h"
#include "pages/InternalSerial.h"
#include "pages/LoggedDataPage.h"
#include "pages/OptionBits.h"
#include "pages/Sheet.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/StatusBar.h"

#include <stdexcept>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

QAction* NewAction(QObject* owner, const char* name, const char* caption)
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(name);
    return action;
}

QToolButton* NewToolButton(QToolBar* bar, const char* name, const char* caption, const char* hint)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    bar->addWidget(button);
    return button;
}

QLabel* NewLabel(QHBoxLayout* row, const char* name, const char* text)
{
    auto* label = new QLabel(text, row->parentWidget());
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    row->addWidget(label);
    return label;
}

} // namespace

TForm1::TForm1(QWidget* parent) : TForm1(TOptions{}, parent) {}

TForm1::TForm1(const TOptions& options, QWidget* parent)
    : QMainWindow(parent), CommitList(WriteCommitOrder()), ComPortLink1(std::make_unique<ComPortLink>(ComPort1)),
      Link(*ComPortLink1, *this, Image, LinkGuard), iniPath_(options.IniPath)
{
    setObjectName("Form1");
    if (iniPath_.empty())
        iniPath_ = ProgramIniPath(QCoreApplication::applicationFilePath().toStdString());
    Image.OnRedraw = [this] { ImageToControls(); };
    Image.OnStatus = [this](const std::string& text) { SetStatus(text); };
    CommitList.BeforeRun = [this] { PageContext.CommitFocused(*this); };
    OnQuit = [](int code) { QCoreApplication::exit(code); };
    OnTransferRunning = [this] { return LinkGuard.Busy(); };
    // A port event handler that fails is shown like any other failing handler; the next events still come.
    SetComExceptionHandler([](std::exception_ptr error) { RunGuarded([error] { std::rethrow_exception(error); }); });

    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildPages();
    BuildWindowFields();
    StatusBar1 = new TStatusBar({422, 400}, this);
    StatusBar1->setObjectName("StatusBar1");
    setStatusBar(StatusBar1);

    AboutBox = new TAboutBox(this);
    FormSave = new TFormSave(this);
    BuildTerminalPage();
    ConnectLinkActions();
    ConnectFileActions();
    BuildServerPage(options.Server);
    ConnectServerActions();
    ConnectProfileActions();

    if (options.BuildPages)
        options.BuildPages(*this);
    RefuseUnconnectedHooks();
    Redraw.OnOuterPass = [this](bool starting) { PageControl1->setUpdatesEnabled(!starting); };
    Redraw.State = [this] { return Image.Image.Bytes(0, MemoryImage::kConfigSize); };
    BindHelpPanel();
    FormCreate();
}

TForm1::~TForm1()
{
    TearDown();
}

// A rule between pages that nothing connects would fail silently in the running tool: the built window refuses
// to start. What it has built goes as the destructor takes it down, which a failing constructor does not run.
void TForm1::RefuseUnconnectedHooks()
{
    const auto empty = OptionBits->Hooks.Unconnected();
    if (empty.empty())
        return;
    TearDown();
    throw std::logic_error("option switch hook not connected: " + empty.front());
}

void TForm1::TearDown()
{
    // The controls go before the port: a terminal or LED unregisters its link from the port as it goes,
    // and the port (a member) would otherwise be gone by the time the base class deletes the children.
    RunGuarded([this] { ComPort1.Close(); });
    SetComExceptionHandler(nullptr);
    // The TCP link watches the Server page's controls: it goes while they are still whole.
    FormSave->OnClose = nullptr;
    Server.reset();
    delete FormSave;
    delete AboutBox;
    delete takeCentralWidget();
}

void TForm1::BuildActions()
{
    FileNew = NewAction(this, "FileNew", "&New");
    FileExit = NewAction(this, "FileExit", "E&xit");
    // Exit has a short cut of its own: Ctrl+X stays with Cut, so cutting text never ends the program.
    FileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    EditCopy1 = NewAction(this, "EditCopy1", "&Copy");
    EditCopy1->setShortcut(QKeySequence::Copy);
    EditCut1 = NewAction(this, "EditCut1", "Cu&t");
    EditCut1->setShortcut(QKeySequence::Cut);
    EditPaste1 = NewAction(this, "EditPaste1", "&Paste");
    EditPaste1->setShortcut(QKeySequence::Paste);
    HelpAboute = NewAction(this, "HelpAboute", "&About");
    FileOpen = NewAction(this, "FileOpen", "&Open");
    FileOpen->setToolTip("Open EEMapp-File(KVX)");
    FileSave = NewAction(this, "FileSave", "&Save");
    FileSave->setToolTip("Save EEMapp-File(KVX)");
    ReadEEPROM = NewAction(this, "ReadEEPROM", "&Read EEPROM");
    WriteEEPROM = NewAction(this, "WriteEEPROM", "&Write EEPROM");
    Write_changed_EEProm = NewAction(this, "Write_changed_EEProm", "Write changed EEPROM");
    Action1 = NewAction(this, "Action1", "Action1");
    FileListenItem = NewAction(this, "FileListenItem", "&Listen");
    FileConnectItem = NewAction(this, "FileConnectItem", "&Connect...");
    Disconnect1 = NewAction(this, "Disconnect1", "&Disconnect");

    // The clipboard actions work on whatever edit has the focus; an edit handles its own keys first.
    addActions({EditCopy1, EditCut1, EditPaste1});
    ConnectGuarded(EditCopy1, &QAction::triggered, this, [this] { EditAction("copy"); });
    ConnectGuarded(EditCut1, &QAction::triggered, this, [this] { EditAction("cut"); });
    ConnectGuarded(EditPaste1, &QAction::triggered, this, [this] { EditAction("paste"); });
    ConnectGuarded(FileExit, &QAction::triggered, this, [this] { FileExitExecute(); });
    ConnectGuarded(HelpAboute, &QAction::triggered, this, [this] { Aboute1Click(); });
}

void TForm1::EditAction(const char* method)
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->lineEdit())
        focus = combo->lineEdit();
    if (focus)
        QMetaObject::invokeMethod(focus, method);
}

void TForm1::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    QMenu* file = bar->addMenu("&File");
    // The menu's own items for the file actions that the tool bar shares.
    for (auto [action, name] : {std::pair{FileOpen, "FileOpen1"}, {FileSave, "FileSave1"}}) {
        QAction* item = file->addAction(action->text());
        item->setObjectName(name);
        connect(item, &QAction::triggered, action, &QAction::trigger);
    }
    file->addSeparator();
    file->addAction(FileListenItem);
    file->addAction(FileConnectItem);
    file->addAction(Disconnect1);
    file->addAction(FileExit);
    QMenu* eeprom = bar->addMenu("EEPROM");
    eeprom->addAction(ReadEEPROM);
    eeprom->addAction(WriteEEPROM);
    QMenu* help = bar->addMenu("&Help");
    help->addAction(HelpAboute);
}

void TForm1::BuildToolBar()
{
    ToolBar1 = addToolBar("ToolBar1");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolButton3 = NewToolButton(ToolBar1, "ToolButton3", "Open", "Open EEMapp-File(KVX)");
    ToolButton3->setDefaultAction(FileOpen);
    ToolButton4 = NewToolButton(ToolBar1, "ToolButton4", "Save", "Save EEMapp-File(KVX)");
    ToolButton4->setDefaultAction(FileSave);
    ToolButton12 = NewToolButton(ToolBar1, "ToolButton12", "Bin", "Save EEMapp-File(bin)");
    SpeedButton2 = NewToolButton(ToolBar1, "SpeedButton2", "Erase", "Erase Screen");
    ReadINIButton = NewToolButton(ToolBar1, "ReadINIButton", "Open Profile", "Open Profile");
    ToolBar1->actions().last()->setVisible(false);
    SaveINIButton = NewToolButton(ToolBar1, "SaveINIButton", "Save Profile", "Save Profile");
    ToolBar1->addSeparator();
    SpeedButton3 = NewToolButton(ToolBar1, "SpeedButton3", "Set COM Port", "Set COM Port");
    ConnectGuarded(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    ToolBar1->addSeparator();
    Button1 = new QPushButton(ToolBar1);
    Button1->setObjectName("Button1");
    QFont bold = Button1->font();
    bold.setBold(true);
    Button1->setFont(bold);
    ToolBar1->addWidget(Button1);
    ToolBar1->addSeparator();
    ReadEEPROMExecute = NewToolButton(ToolBar1, "ReadEEPROMExecute", "READ MEMORY", "Read EEPROM, Serial/Datacall");
    connect(ReadEEPROMExecute, &QToolButton::clicked, ReadEEPROM, &QAction::trigger);
    ToolBar1->addSeparator();
    WriteEEPROMExecute = NewToolButton(ToolBar1, "WriteEEPROMExecute", "WRITE MEMORY", "Write EEPROM, Serial/Datacall");
    connect(WriteEEPROMExecute, &QToolButton::clicked, WriteEEPROM, &QAction::trigger);
    ToolBar1->addSeparator();
    setDefault = NewToolButton(ToolBar1, "setDefault", "Default", "Restore Default Profile");
    ConnectGuarded(setDefault, &QToolButton::clicked, this, [this] { setDefaultClick(); });
    // The unit's identity stands at the right end of the menu bar: the tool bar has no room left for it at the
    // window's default width, and there it stays in view at any width.
    auto* identity = new QWidget(menuBar());
    identity->setObjectName("IdentityPanel");
    auto* row = new QHBoxLayout(identity);
    row->setContentsMargins(0, 0, 6, 0);
    Label101 = NewLabel(row, "Label101", "KIV");
    NewLabel(row, "LabelArtNo", "ArtNo: ");
    Label74 = NewLabel(row, "Label74", "70000");
    NewLabel(row, "LabelCTVersion", "   CT Profile Version: ");
    configToolNr = NewLabel(row, "configToolNr", "00.00");
    menuBar()->setCornerWidget(identity, Qt::TopRightCorner);
}

void TForm1::BuildPages()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName("PageControl1");
    struct Page {
        QWidget** sheet;
        const char* name;
        const char* caption;
    } pages[] = {
        {&TabSheet2, "TabSheet2", "General Settings"},
        {&TabSheet13, "TabSheet13", "Channels"},
        {&TabSheet6, "TabSheet6", "Data Transfer/Logging/Timers"},
        {&TabSheet4, "TabSheet4", "Communication"},
        {&TabSheet7, "TabSheet7", "Logged Data"},
        {&TabSheet8, "TabSheet8", "Terminal"},
        {&TabSheet11, "TabSheet11", "Server"},
        {&TabSheet1, "TabSheet1", "Channel Calibration"},
    };
    for (const Page& page : pages) {
        *page.sheet = new QWidget(PageControl1);
        (*page.sheet)->setObjectName(page.name);
        PageControl1->addTab(*page.sheet, page.caption);
    }
    PageControl1->setCurrentWidget(TabSheet8);
    layout->addWidget(PageControl1, 1);

    RichEdit1 = new QPlainTextEdit(central);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setReadOnly(true);
    RichEdit1->setFixedHeight(56);
    RichEdit1->setStyleSheet("QPlainTextEdit { background-color: #E3E3E3; }");
    QFont arial("Arial");
    arial.setPixelSize(15);
    RichEdit1->setFont(arial);
    layout->addWidget(RichEdit1);
    helpPanel_ = new THelpPanel(RichEdit1, this);

    setCentralWidget(central);
}

// The fields that belong to no page of their own: the internal serial links and the tool number.
void TForm1::BuildWindowFields()
{
    TSheet::Of(TabSheet4)->Add(new TInternalSerial(PageContext));
    GeneralPage = new TGeneralPage(PageContext, TabSheet2, TabSheet4, Variant.channelType);
    BuildLoggedDataPage(PageContext, TabSheet7, TabSheet6);
    BuildAlarmControl(PageContext, TabSheet2);
    BuildChannelsPage(PageContext, TabSheet13, TabSheet7, TabSheet1);
    BuildOptionBits();
    BuildCommunicationPage(PageContext, TabSheet2, TabSheet6, TabSheet4);
    FollowOptionSwitches(PageContext, OptionBits->Hooks);
    BuildChannelTypes();
    // A phone number left on the general page captions its recipient box on every channel at once.
    connect(GeneralPage, &TGeneralPage::PhoneNumberShown, this, [this](int k, const QString& text) {
        for (int n = 1; n <= 8; ++n)
            ShowRecipientCaption(PageContext.Get<QCheckBox>("IO" + std::to_string(n) + "Phone" + std::to_string(k)),
                                 text);
    });
    // The scrolling bodies the help panel's wheel steps are bound to.
    TSheet::Of(TabSheet2)->setObjectName("ScrollBox6");
    TSheet::Of(TabSheet6)->setObjectName("ScrollBox1");
    Redraw.Add(TRedraw::ToolNumber, [this] { ShowText(configToolNr, ConfigToolNrText(Image)); });
    Redraw.Add(TRedraw::LevelCaptions, [this] { ShowLevelCaptions(); });
}

// The analogue level labels follow the "Analogue Values" choice.
void TForm1::ShowLevelCaptions()
{
    const int index = PageContext.Get<TRadioGroup>("ADValRadioGroup")->ItemIndex();
    for (const TChannel& channel : Channels()) {
        if (!channel.calibration)
            continue;
        const auto captions = LevelCaptions(Image, index, channel.UnitText());
        if (!captions)
            return;
        ShowText(PageContext.Get<QLabel>(channel.Named("IO", "upper")), captions->first);
        ShowText(PageContext.Get<QLabel>(channel.Named("IO", "lower")), captions->second);
    }
}

void TForm1::BindHelpPanel()
{
    helpPanel_->Bind(PageControl1);
}

void TForm1::ShowHelpText(int page, int item)
{
    helpPanel_->ShowHelpText(page, item);
}

void TForm1::SetStatus(const std::string& text)
{
    StatusBar1->SetPanelText(0, text);
}

std::string TForm1::Status() const
{
    return StatusBar1->PanelText(0);
}

void TForm1::ImageToControls()
{
    Redraw.ImageToControls();
}

void TForm1::setDefaultClick()
{
    Image.setDefaultClick();
}

void TForm1::Aboute1Click()
{
    AboutBox->exec();
}
