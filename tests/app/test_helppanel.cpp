#include "AppTestSupport.h"

#include "app/HelpPanel.h"
#include "app/HelpTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <set>

namespace
{

std::vector<std::string> PanelLines(const TForm1& form)
{
    std::vector<std::string> lines;
    for (const QString& line : form.HelpPanel()->Lines())
        lines.push_back(line.toStdString());
    return lines;
}

} // namespace

// Three lines under the page's own key, also where pages share a table; a row without words shows nothing.
TEST(HelpPanel, ShowsThreeLinesUnderThePagesOwnKey)
{
    const std::vector<QString> lines = HelpLines(1, 4);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].toStdString(), "p1.4: " + std::string(FindHelpRow(1, 2)->line1)) << "a repeated row";
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(HelpLines(5, 9)[0].mid(6), HelpLines(6, 9)[0].mid(6));
    EXPECT_TRUE(HelpLines(6, 9)[0].startsWith("p6.9: "));
    for (auto [page, item] : {std::pair{10, 18}, {10, 0}, {14, 1}, {9, 9}})
        EXPECT_TRUE(HelpLines(page, item).empty()) << page << "." << item;
    EXPECT_EQ(HelpLines(13, 9), (std::vector<QString>{"p13.9: ", "", ""}));
}

// A control shows its help when the mouse moves over it, an inner part (a memo's viewport) for its control
// and a bound control over its bound group; an unbound control leaves the panel, a clearing group empties it.
TEST(HelpPanel, ControlsUnderTheMouseShowTheirHelp)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini, [](TForm1& f) {
        AddControl(f.TabSheet2, "GroupBox32", new QGroupBox);
        AddControl(f.TabSheet2, "Label214", new QLabel("Time server"));
        AddControl(f.TabSheet2, "UnboundEdit", new QLineEdit);
    }));
    const TPageContext& ctx = form.PageContext;
    const std::pair<QWidget*, std::string> cases[] = {
        {ctx.Get<QWidget>("PhoneNr3"), "p1.4: " + std::string(FindHelpRow(1, 4)->line1)},
        {ctx.Get<QWidget>("RestAlertMsg2"), "p4.9: "},
        {ctx.Get<QWidget>("CheckBox40"), "p9.11: Send KV command internally on alarm"},
        {ctx.Get<QWidget>("IO5alarmText2"), "p6.1: "},
        {ctx.Get<QPlainTextEdit>("LoggedData")->viewport(), "p12.6: "},
        {ctx.Get<QWidget>("KVPSRCheckBox"), "p13.14: "},
        {form.Control<QWidget>("Label214"), "p13.28: "},
        {form.Control<QWidget>("UnboundEdit"), "p13.28: "},
        {form.Control<QWidget>("GroupBox32"), ""},
        {form.Control<QWidget>("InitString"), ""}, // answers the focus, not the mouse
    };
    for (const auto& [widget, first] : cases) {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
        const auto lines = PanelLines(form);
        EXPECT_EQ(lines.empty() ? "" : lines[0].substr(0, first.size()), first) << widget->objectName().toStdString();
    }
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(form.Control<QWidget>("InitString"), &focusIn);
    EXPECT_EQ(PanelLines(form)[0].rfind("p10.11: ", 0), 0u);
    form.ShowHelpText(10, 18);
    EXPECT_TRUE(PanelLines(form).empty());
}

TEST(HelpPanel, BindingsNameEachControlOnce)
{
    std::set<std::string> seen;
    for (const THelpBinding& b : HelpBindings()) {
        EXPECT_TRUE(seen.insert(b.control).second) << b.control;
        if (b.page != 0) {
            EXPECT_NE(FindHelpRow(b.page, b.item), nullptr) << b.control;
        }
    }
    EXPECT_EQ(seen.size(), 150u);
}

TEST(HelpPanel, WheelMovesTheScrollBoxesByTheirSteps)
{
    TTempIni ini;
    TForm1 form(OptionsWith(
        ini, [](TForm1& f) { AddControl(f.TabSheet2, "ScrollBox7", new QScrollArea)->setWidget(new QWidget); }));
    form.show(); // the real page bodies get their size from the shown window
    auto wheel = [](QScrollArea* box, int delta) {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(box->viewport(), &event);
        return box->verticalScrollBar()->value();
    };
    const std::pair<const char*, int> steps[] = {{"ScrollBox1", 8}, {"ScrollBox6", 4}, {"ScrollBox7", 0}};
    for (auto [name, step] : steps) {
        auto* box = form.findChild<QScrollArea*>(name);
        form.PageControl1->setCurrentWidget(box->parentWidget()); // a page not shown is not laid out
        box->widget()->setMinimumSize(200, 5000);                 // taller than the box: it scrolls
        box->resize(300, 200);
        QApplication::processEvents();
        box->verticalScrollBar()->setValue(100);
        if (step == 0) { // not one of the four: Qt's own step
            EXPECT_NE(wheel(box, -120), 104) << name;
            continue;
        }
        EXPECT_EQ(wheel(box, -120), 100 + step) << name;
        EXPECT_EQ(wheel(box, 120), 100) << name;
    }
    EXPECT_EQ(WheelStepOf("ScrollBox9"), 4);
}
