#include "app/TForm1.h"

#include <QTabWidget>

namespace {
const char* const kPageCaptions[] = {
    "General Settings", "Channels", "Data Transfer/Logging/Timers", "Communication",
    "Logged Data", "Terminal", "Server", "Channel Calibration",
};
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Form1");
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    for (const char* caption : kPageCaptions) {
        auto* page = new QWidget(PageControl1);
        PageControl1->addTab(page, caption);
    }
    setCentralWidget(PageControl1);
    resize(1024, 720);
    Image.setDefaultClick();
}
