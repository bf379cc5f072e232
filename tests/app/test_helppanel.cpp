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

namespace {

void MoveOver(QWidget* widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

std::vector<std::string> PanelLines(const TForm1& form)
{
    std::vector<std::string> lines;
    for (const QString& line : form.HelpPanel()->Lines())
        lines.push_back(line.toStdString());
    return lines;
}

} // namespace

TEST(HelpTexts, TablesHoldTheirRowsInAscendingOrder)
{
    struct Expect {
        int page;
        int rows;
        std::vector<int> items;
    };
    auto range = [](int from, int to) {
        std::vector<int> v;
        for (int i = from; i <= to; ++i)
            v.push_back(i);
        return v;
    };
    std::vector<int> power = range(1, 8);
    power.push_back(11);
    std::vector<int> internet = range(1, 17);
    internet.insert(internet.end(), {0, 0, 0});
    const Expect expected[] = {
        {1, 18, range(1, 18)}, {2, 8, range(1, 8)},   {3, 8, range(1, 8)},   {4, 11, range(1, 11)},
        {8, 11, range(1, 11)}, {9, 9, power},         {10, 20, internet},    {11, 15, range(1, 15)},
        {12, 6, range(1, 6)},  {13, 33, range(1, 33)},
    };
    for (const Expect& e : expected) {
        THelpTable table = HelpTableOfPage(e.page);
        ASSERT_EQ(table.count, e.rows) << e.page;
        for (int i = 0; i < table.count; ++i)
            EXPECT_EQ(table.rows[i].item, e.items[static_cast<size_t>(i)]) << e.page << "/" << i;
    }
    EXPECT_EQ(HelpTableOfPage(0).count, 0);
    EXPECT_EQ(HelpTableOfPage(14).count, 0);
    EXPECT_EQ(HelpTableOfPage(5).rows, HelpTableOfPage(8).rows);
    EXPECT_EQ(HelpTableOfPage(2).rows, HelpTableOfPage(3).rows);
}

TEST(HelpTexts, RepeatedRowsCarryTheSameWords)
{
    auto same = [](int p1, int i1, int p2, int i2) {
        const THelpRow* a = FindHelpRow(p1, i1);
        const THelpRow* b = FindHelpRow(p2, i2);
        ASSERT_TRUE(a && b);
        EXPECT_STREQ(a->line1, b->line1) << p1 << "." << i1;
        EXPECT_STREQ(a->line2, b->line2);
        EXPECT_STREQ(a->line3, b->line3);
    };
    for (int i = 3; i <= 6; ++i)
        same(1, i, 1, 2);
    for (int i = 1; i <= 4; ++i)
        same(4, i, 2, i);
    same(4, 6, 2, 6);
    same(4, 7, 2, 7);
    same(4, 11, 2, 8);
    same(9, 2, 2, 2);
    same(9, 3, 2, 3);
    same(9, 5, 2, 7);
    same(9, 11, 2, 8);
    same(12, 5, 11, 2);
}

TEST(HelpTexts, FixedLinesStandAsGiven)
{
    auto lines = [](int page, int item) {
        const THelpRow* row = FindHelpRow(page, item);
        return row ? std::string(row->line1) + "|" + row->line2 + "|" + row->line3 : std::string();
    };
    EXPECT_NE(lines(2, 8).find("Send KV command internally on alarm"), std::string::npos);
    EXPECT_NE(lines(4, 8).find("Alarm hysteresis(60mV) on levels"), std::string::npos);
    EXPECT_NE(lines(9, 8).find("Power In Low Level."), std::string::npos);
    EXPECT_NE(lines(10, 10).find("[#10,Unit_ID,Data_length,Data]"), std::string::npos);
    EXPECT_NE(lines(10, 12).find("d*99***1#"), std::string::npos);
    EXPECT_NE(lines(12, 4).find("Use I/O7 toggling"), std::string::npos);
    EXPECT_NE(lines(13, 17).find("KVE1 \u2013 Echo commands, KVE0 \u2013 Do not echo commands"), std::string::npos);
    EXPECT_NE(lines(13, 19).find("If KV-cmd, start with '-', ie '-KVxxx'"), std::string::npos);
    EXPECT_EQ(lines(13, 9), "||");
}

TEST(HelpPanel, ShowsThreeLinesUnderThePagesOwnKey)
{
    std::vector<QString> lines = HelpLines(1, 4);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].startsWith("p1.4: "));
    EXPECT_EQ(lines[0].mid(6).toStdString(), FindHelpRow(1, 2)->line1);
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_TRUE(lines[2].isEmpty());
    // Pages that share a table show their own page number.
    EXPECT_EQ(HelpLines(5, 9)[0].mid(6), HelpLines(6, 9)[0].mid(6));
    EXPECT_TRUE(HelpLines(6, 9)[0].startsWith("p6.9: "));
    EXPECT_TRUE(HelpLines(10, 18).empty());
    EXPECT_TRUE(HelpLines(10, 0).empty());
    EXPECT_TRUE(HelpLines(14, 1).empty());
    EXPECT_TRUE(HelpLines(9, 9).empty());
    EXPECT_EQ(HelpLines(9, 11).size(), 3u);
    EXPECT_EQ(HelpLines(13, 9), (std::vector<QString>{"p13.9: ", "", ""}));
}

TEST(HelpPanel, ControlsUnderTheMouseShowTheirHelp)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini, [](TForm1& f) {
        AddControl(f.TabSheet2, "GroupBox32", new QGroupBox);
        AddControl(f.TabSheet2, "Label214", new QLabel("Time server"));
        AddControl(f.TabSheet2, "UnboundEdit", new QLineEdit);
    }));
    MoveOver(form.PageContext.Get<QWidget>("PhoneNr3"));
    std::vector<std::string> lines = PanelLines(form);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "p1.4: " + std::string(FindHelpRow(1, 4)->line1));
    EXPECT_EQ(lines[2], "");

    MoveOver(form.PageContext.Get<QWidget>("RestAlertMsg2"));
    EXPECT_EQ(PanelLines(form)[0].rfind("p4.9: ", 0), 0u);
    MoveOver(form.PageContext.Get<QWidget>("CheckBox40"));
    EXPECT_EQ(PanelLines(form)[0], "p9.11: Send KV command internally on alarm");
    MoveOver(form.PageContext.Get<QWidget>("IO5alarmText2"));
    EXPECT_EQ(PanelLines(form)[0].rfind("p6.1: ", 0), 0u);
    MoveOver(form.Control<QWidget>("Label214"));
    EXPECT_EQ(PanelLines(form)[0].rfind("p13.28: ", 0), 0u);

    // An unbound control leaves the panel; a clearing group box empties it.
    MoveOver(form.Control<QWidget>("UnboundEdit"));
    EXPECT_EQ(PanelLines(form)[0].rfind("p13.28: ", 0), 0u);
    MoveOver(form.Control<QWidget>("GroupBox32"));
    EXPECT_TRUE(PanelLines(form).empty());

    // The init-string box answers the focus, not the mouse.
    auto* initString = form.Control<QWidget>("InitString");
    MoveOver(initString);
    EXPECT_TRUE(PanelLines(form).empty());
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(initString, &focusIn);
    EXPECT_EQ(PanelLines(form)[0].rfind("p10.11: ", 0), 0u);

    form.ShowHelpText(10, 18);
    EXPECT_TRUE(PanelLines(form).empty());
    form.ShowHelpText(2, 8);
    form.ShowHelpText(14, 1);
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
    auto makeBox = [](QWidget* page, const char* name) {
        auto* box = AddControl(page, name, new QScrollArea);
        auto* content = new QWidget;
        content->setMinimumSize(200, 5000);
        box->setWidget(content);
        box->resize(300, 200);
        return box;
    };
    TForm1 form(OptionsWith(ini, [&](TForm1& f) {
        makeBox(f.TabSheet6, "ScrollBox1");
        makeBox(f.TabSheet2, "ScrollBox6");
        makeBox(f.TabSheet2, "ScrollBox7");
    }));
    auto wheel = [](QScrollArea* box, int delta) {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(box->viewport(), &event);
        return box->verticalScrollBar()->value();
    };
    auto* data = form.Control<QScrollArea>("ScrollBox1");
    auto* general = form.Control<QScrollArea>("ScrollBox6");
    auto* other = form.Control<QScrollArea>("ScrollBox7");
    data->verticalScrollBar()->setValue(100);
    general->verticalScrollBar()->setValue(100);
    EXPECT_EQ(wheel(data, -120), 108);
    EXPECT_EQ(wheel(data, 120), 100);
    EXPECT_EQ(wheel(general, -120), 104);
    EXPECT_EQ(wheel(general, 120), 100);
    other->verticalScrollBar()->setValue(100);
    EXPECT_NE(wheel(other, -120), 104); // not one of the four: Qt's own step
    EXPECT_EQ(WheelStepOf("ScrollBox9"), 4);
    EXPECT_EQ(WheelStepOf("ScrollBox2"), 4);
}

TEST(HelpPanel, InnerPartsAnswerForTheirControlAndAControlWinsOverItsGroup)
{
    TTempIni ini;
    TForm1 form(OptionsWith(ini, [](TForm1& f) {
        auto* group = AddControl(f.TabSheet2, "GroupBox37", new QGroupBox("Profile"));
        auto* inner = new QVBoxLayout(group);
        auto* box = new QCheckBox("KVPSR", group);
        box->setObjectName("KVPSRCheckBox");
        inner->addWidget(box);
    }));
    MoveOver(form.PageContext.Get<QPlainTextEdit>("LoggedData")->viewport());
    ASSERT_FALSE(PanelLines(form).empty());
    EXPECT_EQ(PanelLines(form)[0].rfind("p12.6: ", 0), 0u);

    MoveOver(form.Control<QWidget>("KVPSRCheckBox"));
    ASSERT_FALSE(PanelLines(form).empty());
    EXPECT_EQ(PanelLines(form)[0].rfind("p13.14: ", 0), 0u) << PanelLines(form)[0];
}
