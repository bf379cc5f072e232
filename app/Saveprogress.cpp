#include "app/Saveprogress.h"

#include "platform/Clock.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>

#include <algorithm>

namespace
{

const char kPasswordError[] = "ERROR: Password Incorrect";

QLabel* ScaleMark(QWidget* parent, const char* name, const char* text, int x)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, 24);
    return label;
}

QIcon StandardIcon(QWidget* widget, QStyle::StandardPixmap which)
{
    return widget->style()->standardIcon(which);
}

} // namespace

QColor ProgressOkColour()
{
    return QColor(0x00, 0x80, 0x00);
}

QColor ProgressErrorColour()
{
    return QColor(0xFF, 0x00, 0x00);
}

TFormSave::TFormSave(QWidget* parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName("FormSave");
    setWindowTitle("Saving in progress");
    setGeometry(881, 376, 339, 180);
    setWindowIcon(StandardIcon(this, QStyle::SP_BrowserReload));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(16, 40, 289, 17);
    ProgressBar1->setRange(0, 2048);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    Label1 = ScaleMark(this, "Label1", "50%", 160);
    Label2 = ScaleMark(this, "Label2", "100%", 288);
    Label3 = ScaleMark(this, "Label3", "0%", 16);
    Label4 = new QLabel("-", this);
    Label4->setObjectName("Label4");
    Label4->setTextFormat(Qt::PlainText);
    Label4->setGeometry(19, 72, 300, 28);
    SetStatusFont(nullptr, kPlainPointSize);

    Image1 = AddImage("Image1", 272, 104, QStyle::SP_ComputerIcon);
    UpLImage = AddImage("UpLImage", 232, 104, QStyle::SP_ArrowUp);
    Image3 = AddImage("Image3", 192, 104, QStyle::SP_DriveHDIcon);
    DwnLImage = AddImage("DwnLImage", 232, 104, QStyle::SP_ArrowDown);
    AlertImage = AddImage("AlertImage", 232, 104, QStyle::SP_MessageBoxWarning);
    PswdImage = AddImage("PswdImage", 96, 64, QStyle::SP_MessageBoxQuestion);
    StopImage = AddImage("StopImage", 96, 64, QStyle::SP_BrowserStop);
    OKImage = AddImage("OKImage", 56, 64, QStyle::SP_DialogApplyButton);
    for (QLabel* mark : {UpLImage, DwnLImage, AlertImage, PswdImage, StopImage, OKImage})
        mark->hide();
}

QLabel* TFormSave::AddImage(const char* name, int x, int y, int standardIcon)
{
    auto* image = new QLabel(this);
    image->setObjectName(name);
    image->setGeometry(x, y, 33, 33);
    image->setPixmap(StandardIcon(this, static_cast<QStyle::StandardPixmap>(standardIcon)).pixmap(33, 33));
    image->setScaledContents(true);
    return image;
}

void TFormSave::SetStatusFont(const QColor* colour, int pointSize)
{
    // Only the text colour is the label's own; without one it follows the window's plain text colour.
    QPalette palette;
    if (colour)
        palette.setColor(QPalette::WindowText, *colour);
    Label4->setPalette(palette);
    QFont font = Label4->font();
    font.setPointSize(pointSize);
    Label4->setFont(font);
}

void TFormSave::StartProgress(TProgressDirection direction, int total)
{
    ResetProgress(total);
    ShowProgressWindow(direction);
}

void TFormSave::ResetProgress(int total)
{
    ProgressBar1->setRange(0, std::max(0, total));
    ProgressBar1->setValue(0);
    Label4->setText("");
}

void TFormSave::ShowProgressWindow(TProgressDirection direction)
{
    const bool reading = direction == TProgressDirection::Read;
    setWindowIcon(StandardIcon(this, QStyle::SP_BrowserReload));
    UpLImage->setVisible(reading);
    DwnLImage->setVisible(!reading);
    for (QLabel* mark : {AlertImage, OKImage, StopImage, PswdImage})
        mark->hide();
    setWindowTitle(reading ? "Reading in progress..." : "Writing in progress...");
    show();
    raise();
}

void TFormSave::SetProgressStep(const std::string& text)
{
    Label4->setText(FromLatin1(text));
    repaint();
}

void TFormSave::SetProgressPosition(int position)
{
    ProgressBar1->setValue(std::clamp(position, ProgressBar1->minimum(), ProgressBar1->maximum()));
    // The data waits do not run the window: the bar must follow the count now.
    ProgressBar1->repaint();
}

void TFormSave::ShowProgressResult(const std::string& message, const std::string& okMessage, int holdMs,
                                   const std::function<void()>& whileShown)
{
    const bool ok = message == okMessage;
    const QColor colour = ok ? ProgressOkColour() : ProgressErrorColour();
    SetStatusFont(&colour, kResultPointSize);
    Label4->setText(ok ? "OK" : "ERROR");
    if (ok) {
        setWindowIcon(StandardIcon(this, QStyle::SP_DialogApplyButton));
        OKImage->show();
    } else {
        setWindowIcon(StandardIcon(this, QStyle::SP_MessageBoxCritical));
        AlertImage->show();
        (message == kPasswordError ? PswdImage : StopImage)->show();
    }
    repaint();
    ++resultWaits_;
    if (whileShown)
        RunGuarded(whileShown);
    DelayMs(holdMs >= 0 ? holdMs : ResultShowMs);
    --resultWaits_;
    SetStatusFont(nullptr, kPlainPointSize);
}

void TFormSave::CloseProgress()
{
    // A hidden window gets no close event, yet the transfer state must be reset all the same.
    if (isVisible())
        close();
    else if (OnClose)
        RunGuarded(OnClose);
}

void TFormSave::closeEvent(QCloseEvent* event)
{
    if (OnClose)
        RunGuarded(OnClose);
    QWidget::closeEvent(event);
}
