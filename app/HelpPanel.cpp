#include "app/HelpPanel.h"

#include "app/HelpTexts.h"
#include "platform/ui/HandlerGuard.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <initializer_list>
#include <map>

namespace
{

constexpr char kWatchedProperty[] = "kivHelpWatched";

std::vector<THelpBinding> BuildBindings()
{
    std::vector<THelpBinding> b;
    auto add = [&b](const std::string& name, int page, int item, bool onEnter = false) {
        b.push_back({name, page, item, onEnter});
    };
    auto addRun = [&add](int page, int firstItem, std::initializer_list<const char*> names) {
        int item = firstItem;
        for (const char* name : names)
            add(name, page, item++);
    };
    auto addPages = [&add](int item, int firstPage, std::initializer_list<const char*> names) {
        int page = firstPage;
        for (const char* name : names)
            add(name, page++, item);
    };

    addRun(1, 1,
           {"PhoneNrSmsCentral", "PhoneNr1", "PhoneNr2", "PhoneNr3", "PhoneNr4", "PhoneNr5", "SMSPhoneEdit",
            "SMSTimeEdit", "IMEI_HWnoCheckBox", "SIMIDCheckBox", "UserIDText", "SMSSecureCheckBox", "SMSlimitEdit",
            "AppendCheckBox", "AppendUserIDCheckBox", "AlarmOnOffCheck", "AlarmOnOff", "useIMEICheck"});
    for (int ch = 1; ch <= 7; ++ch) {
        add("IO" + std::to_string(ch) + "alarmText", ch + 1, 1);
        add("IO" + std::to_string(ch) + "alarmText2", ch + 1, 1);
    }
    add("IO8alarmText", 9, 1);
    add("GroupBox9", 2, 2);
    addPages(3, 2,
             {"GroupBox78", "GroupBox80", "GroupBox82", "GroupBox84", "GroupBox86", "GroupBox88", "GroupBox90",
              "GroupBox92"});
    addPages(5, 2, {"GroupBox26", "GroupBox28", "GroupBox33", "GroupBox42", "GroupBox46", "GroupBox52", "GroupBox63"});
    addPages(6, 2,
             {"delay1GroupBox", "delay2GroupBox", "delay3GroupBox", "GroupBox121", "GroupBox65", "GroupBox122",
              "GroupBox123"});
    add("GroupBox124", 9, 4);
    addPages(7, 2,
             {"GroupBox125", "GroupBox126", "GroupBox127", "GroupBox128", "GroupBox129", "GroupBox130", "GroupBox131"});
    add("GroupBox132", 9, 5);
    add("GroupBox36", 4, 8);
    add("GroupBox22", 4, 8);
    addPages(8, 5, {"GroupBox43", "GroupBox94", "GroupBox48", "GroupBox55"});
    add("GroupBox59", 9, 6);
    add("RestAlertMsg3", 4, 9);
    add("RestAlertMsg2", 4, 9);
    addPages(9, 5, {"RestAlertMsg4", "RestAlertMsg5", "RestAlertMsg6", "RestAlertMsg7"});
    add("RestAlertMsg8", 9, 7);
    for (const char* name : {"PowerInLev", "BATonTime", "BATstatus"})
        add(name, 9, 8);
    add("CheckBox33", 2, 8);
    add("CheckBox34", 3, 8);
    add("CheckBox35", 4, 11);
    add("CheckBox36", 5, 11);
    add("CheckBox40", 9, 11);
    add("GroupBox75", 10, 6);
    add("Label6", 10, 11);
    add("Label117", 10, 11);
    add("InitString", 10, 11, true);
    add("InitString2", 10, 11, true);
    add("ConnectBox", 10, 13);
    add("ServerBox", 10, 14);
    add("Label90", 10, 15);
    add("MaxReConnPeriod", 10, 15);
    add("Label109", 10, 16);
    add("MaxReConnNo", 10, 16);
    add("Label137", 10, 17);
    add("SocketTimeEdit", 10, 17);
    for (const char* name : {"pulseSendBox", "CheckBox12", "CheckBox2"})
        add(name, 11, 1);
    add("CheckBox37", 11, 3);
    add("CheckBox24", 11, 3);
    addRun(11, 4,
           {"GroupBox110", "SMSsendCheckBox", "IDCheckBox", "ID2CheckBox", "ADCheckBox", "DigCheckBox", "PingEdit",
            "PingBox", "PingLocalIP", "MaxPingNo"});
    add("GroupBox116", 11, 14);
    add("GroupBox106", 11, 14);
    add("GroupBox66", 12, 3);
    add("SetIOCheckBox", 12, 4);
    add("IO7outTimeEdit", 12, 4);
    add("LoggedData", 12, 6);
    add("DisconEdit", 13, 7);
    add("ConfigID", 13, 8);
    addRun(13, 10,
           {"PasswordEdit", "simPinEdit", "DateEdit1", "GroupBox37", "KVPSRCheckBox", "KVPCheckBox", "KVPMCheckBox",
            "KVECheckBox", "KVPRCheckBox", "GroupBox77", "LPCheckBox"});
    addRun(13, 23, {"wakeUpWhenReq", "sleepSendReq", "awakeTime", "AlarmChkTime"});
    for (const char* name : {"Label214", "Label245", "Label53", "Label69", "Label104", "Label105"})
        add(name, 13, 28);
    add("TZCheckBox", 13, 32);
    for (const char* name : {"GroupBox32", "GroupBox35", "GroupBox68", "GroupBox2", "GroupBox39"})
        add(name, 0, 0);
    return b;
}

const std::map<std::string, THelpBinding>& BindingsByName()
{
    static const std::map<std::string, THelpBinding> byName = [] {
        std::map<std::string, THelpBinding> m;
        for (const THelpBinding& b : HelpBindings())
            m.emplace(b.control, b);
        return m;
    }();
    return byName;
}

const std::map<std::string, int>& WheelSteps()
{
    static const std::map<std::string, int> steps = {
        {"ScrollBox6", 4}, // "General Settings"
        {"ScrollBox9", 4}, // "Channels"
        {"ScrollBox1", 8}, // "Data Transfer/Logging/Timers"
        {"ScrollBox2", 4}, // "Communication"
    };
    return steps;
}

bool MarkWatched(QObject* object)
{
    if (object->property(kWatchedProperty).toBool())
        return false;
    object->setProperty(kWatchedProperty, true);
    return true;
}

} // namespace

std::vector<QString> HelpLines(int page, int item)
{
    const THelpRow* row = FindHelpRow(page, item);
    if (!row)
        return {};
    return {QString("p%1.%2: ").arg(page).arg(row->item) + QString::fromUtf8(row->line1), QString::fromUtf8(row->line2),
            QString::fromUtf8(row->line3)};
}

const std::vector<THelpBinding>& HelpBindings()
{
    static const std::vector<THelpBinding> bindings = BuildBindings();
    return bindings;
}

int WheelStepOf(const std::string& scrollBox)
{
    auto it = WheelSteps().find(scrollBox);
    return it == WheelSteps().end() ? 0 : it->second;
}

THelpPanel::THelpPanel(QPlainTextEdit* panel, QObject* parent) : QObject(parent), panel_(panel) {}

void THelpPanel::Clear()
{
    panel_->clear();
}

void THelpPanel::ShowHelpText(int page, int item)
{
    Clear();
    std::vector<QString> lines = HelpLines(page, item);
    if (!lines.empty())
        panel_->setPlainText(lines[0] + "\n" + lines[1] + "\n" + lines[2]);
}

std::vector<QString> THelpPanel::Lines() const
{
    QString text = panel_->toPlainText();
    if (text.isEmpty() && panel_->document()->blockCount() <= 1)
        return {};
    std::vector<QString> lines;
    for (const QString& line : text.split('\n'))
        lines.push_back(line);
    return lines;
}

void THelpPanel::Bind(QWidget* root)
{
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        const std::string name = widget->objectName().toStdString();
        auto* area = qobject_cast<QAbstractScrollArea*>(widget);
        if (BindingsByName().count(name) && MarkWatched(widget)) {
            // A bound control keeps the mouse to itself: a container's text must not cover its own.
            widget->setAttribute(Qt::WA_NoMousePropagation);
            Watch(widget);
            // The mouse moves over a memo's viewport, or an editable box's line edit, not the control itself.
            if (area)
                Watch(area->viewport());
            if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit())
                Watch(box->lineEdit());
            if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget))
                if (auto* inner = spin->findChild<QLineEdit*>())
                    Watch(inner);
        }
        if (area && WheelStepOf(name) > 0 && MarkWatched(area->viewport()))
            area->viewport()->installEventFilter(this);
    }
}

void THelpPanel::Watch(QWidget* widget)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
}

// The bound control an event belongs to: the control itself, or the control whose inner part received it.
static std::map<std::string, THelpBinding>::const_iterator BindingOf(QObject* watched)
{
    for (QObject* o = watched; o; o = o->parent()) {
        auto it = BindingsByName().find(o->objectName().toStdString());
        if (it != BindingsByName().end())
            return it;
        if (o != watched && !qobject_cast<QAbstractScrollArea*>(o) && !qobject_cast<QComboBox*>(o) &&
            !qobject_cast<QAbstractSpinBox*>(o))
            break;
    }
    return BindingsByName().end();
}

bool THelpPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        auto* area = qobject_cast<QAbstractScrollArea*>(watched->parent());
        int step = area ? WheelStepOf(area->objectName().toStdString()) : 0;
        int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (step > 0 && delta != 0) {
            QScrollBar* bar = area->verticalScrollBar();
            bar->setValue(bar->value() + (delta < 0 ? step : -step));
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    const bool move = event->type() == QEvent::MouseMove;
    const bool enter = event->type() == QEvent::FocusIn;
    if (move || enter) {
        auto it = BindingOf(watched);
        if (it != BindingsByName().end() && it->second.onEnter == enter)
            RunGuarded([&] { ShowHelpText(it->second.page, it->second.item); });
    }
    return QObject::eventFilter(watched, event);
}
