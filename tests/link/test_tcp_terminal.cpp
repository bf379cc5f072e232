#include "TcpRig.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QTextCursor>
#include <QToolButton>

using Strings = std::vector<std::string>;

struct TcpTerminalRig : TcpRig {
    void SetUp() override { ConnectToUnit(); }

    // Types into Memo2 and presses Enter there, as the user does.
    void TypeAndEnter(const QString& memoText)
    {
        page.Memo2->setPlainText(memoText);
        page.Memo2->moveCursor(QTextCursor::End);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QCoreApplication::sendEvent(page.Memo2, &enter);
    }
    std::string ReceivedWhenItHas(size_t count)
    {
        PumpUntil([this, count] { return sim->Received().size() >= count; }, 10000);
        return sim->Received();
    }
};

TEST_F(TcpTerminalRig, EnterSendsTheLastLineWithCrLf)
{
    page.Append_CR->setChecked(true);
    TypeAndEnter("first\nKVI");
    EXPECT_EQ(ReceivedWhenItHas(5), "KVI\r\n");
    EXPECT_EQ(MemoLines(page.Memo3), (Strings{"KVI:2", "KVI"}));
    // The memo itself took the Enter after the send: a new line was opened.
    EXPECT_EQ(page.Memo2->toPlainText(), "first\nKVI\n");
}

TEST_F(TcpTerminalRig, ByteCodesAreExpandedOnTheSocket)
{
    TypeAndEnter("[27]KVI[300][-1]");
    EXPECT_EQ(ReceivedWhenItHas(6), "\x1BKVI,\xFF");
    EXPECT_EQ(MemoLines(page.Memo3).front(), "[27]KVI[300][-1]:1");
}

TEST_F(TcpTerminalRig, EnterOnAnEmptyLastLineSendsTheLineAbove)
{
    TypeAndEnter("kv\n");
    EXPECT_EQ(ReceivedWhenItHas(2), "kv");
    // Enter with the caret on an earlier line still sends the last line.
    page.Memo2->setPlainText("one\ntwo");
    page.Memo2->moveCursor(QTextCursor::Start);
    server.Terminal.Memo2KeyDown(Qt::Key_Enter);
    EXPECT_EQ(ReceivedWhenItHas(5), "kvtwo");
}

TEST_F(TcpTerminalRig, EnterInAnEmptyTerminalSendsNothing)
{
    page.Append_CR->setChecked(true);
    server.Terminal.Memo2KeyDown(Qt::Key_Return);
    server.Terminal.Memo2KeyDown(Qt::Key_Enter);
    // A line sent afterwards arrives first: nothing went before it.
    page.Memo2->setPlainText("x");
    server.Terminal.Memo2KeyDown(Qt::Key_Return);
    EXPECT_EQ(ReceivedWhenItHas(3), "x\r\n");
    EXPECT_EQ(MemoLines(page.Memo3), (Strings{"x:1", "x"}));
}

TEST_F(TcpTerminalRig, OtherKeysSendNothingAndTheClearButtonsEmptyTheFields)
{
    page.Memo2->setPlainText("KVI");
    server.Terminal.Memo2KeyDown(Qt::Key_A);
    page.Memo3->setPlainText("received");
    page.SpeedButton4->click();
    page.SpeedButton5->click();
    EXPECT_TRUE(page.Memo2->toPlainText().isEmpty());
    EXPECT_TRUE(page.Memo3->toPlainText().isEmpty());
    PumpFor(20);
    EXPECT_EQ(sim->Received(), "");
}

TEST_F(TcpRig, TerminalWithoutALinkOnlyRecordsTheLine)
{
    page.Memo2->setPlainText("KVI");
    server.Terminal.Memo2KeyDown(Qt::Key_Return);
    EXPECT_EQ(MemoLines(page.Memo3), (Strings{"KVI:1", "KVI"}));
}
