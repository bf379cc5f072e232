#include "app/AboutBox.h"

#include "image/ToolVersion.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace
{

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int pixelSize, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

QString MainWindowCaption()
{
    return QString("KIV Corvo Configuration tool : ") + kVersionText + kVersionBuild;
}

QString VersionCaption()
{
    return QString("Version ") + kVersionText + kVersionBuild;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("AboutBox");
    setWindowTitle("KIV About Configuration tool");
    setFixedSize(426, 202);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(8, 8, 409, 145);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(8, 8, 161, 81);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(161, 81));

    ProductName = AddLabel(Panel1, "ProductName", "KIV Corvo", 176, 16, 16, true);
    Label1 = AddLabel(Panel1, "Label1", "Configuration Tool", 175, 40, 16, true);
    Version = AddLabel(Panel1, "Version", VersionCaption(), 176, 64, 13, false);
    Copyright =
        AddLabel(Panel1, "Copyright", "Configuration of the KIV range of telemetry and alarm units", 8, 120, 13, false);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(183, 164, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}
