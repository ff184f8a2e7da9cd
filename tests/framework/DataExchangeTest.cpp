// Data exchange round trips and the control objects' operations.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "framework/ControlText.h"
#include "tests/framework/TestDialogs.h"

namespace {

struct DataExchange : ::testing::Test {
    CRecordingDlg page{kTestPage};
    void SetUp() override { ASSERT_TRUE(page.Create(nullptr)); }
    bool Checked(int nId) { return page.GetItem<QRadioButton>(nId)->isChecked(); }
};

}  // namespace

TEST_F(DataExchange, MultiLineTextReadsBackAsWritten) {
    for (const QString& str : {QString("a\r\nb\r\n"), QString(""), QString("x\ny\r\n\r\n"), QString("lone\rcr"),
                               QString("\r\n\r\nend")}) {
        page.m_strLog = str;
        page.UpdateData(FALSE);
        page.m_strLog.clear();
        page.UpdateData(TRUE);
        EXPECT_EQ(page.m_strLog, str);
    }
    // CRLF shows as line breaks.
    page.m_strLog = "one\r\ntwo\r\n";
    page.UpdateData(FALSE);
    EXPECT_EQ(page.GetItem<QPlainTextEdit>(IDC_LOG)->toPlainText(), "one\ntwo\n");
    EXPECT_EQ(page.m_editLog.GetLineCount(), 3);
}

TEST_F(DataExchange, TypedLinesReadWithCrLf) {
    page.m_strLog = "first\r\n";
    page.UpdateData(FALSE);
    auto* pLog = page.GetItem<QPlainTextEdit>(IDC_LOG);
    pLog->moveCursor(QTextCursor::End);
    QTest::keyClicks(pLog, "second");
    QTest::keyClick(pLog, Qt::Key_Return);
    page.UpdateData(TRUE);
    EXPECT_EQ(page.m_strLog, "first\r\nsecond\r\n");
    // Appending and writing back, as a log does, keeps everything.
    page.m_strLog += "third\r\n";
    page.UpdateData(FALSE);
    page.UpdateData(TRUE);
    EXPECT_EQ(page.m_strLog, "first\r\nsecond\r\nthird\r\n");
}

TEST_F(DataExchange, GrowingLogShowsTheSameAsAFullRewrite) {
    auto* pLog = page.GetItem<QPlainTextEdit>(IDC_LOG);
    // Appends, a replacement that is not an append, a lone CR split across
    // two writes, and an empty text: the box always shows what a fresh
    // control given the whole text would show, and reads back unchanged.
    const QStringList steps = {"a\r\n", "a\r\nb\r\n", "a\r\nb\r\nc", "x\r\n", "x\r\n\r", "x\r\n\r\ny", "", "z\r\n"};
    for (const QString& str : steps) {
        page.m_strLog = str;
        page.UpdateData(FALSE);
        QPlainTextEdit fresh;
        fresh.setPlainText(QString(str).replace("\r\n", "\n"));
        EXPECT_EQ(pLog->toPlainText(), fresh.toPlainText()) << str.toStdString();
        page.m_strLog.clear();
        page.UpdateData(TRUE);
        EXPECT_EQ(page.m_strLog, str);
    }
}

// A write of the value the control already shows changes nothing, so a
// reply that refreshes the dialog does not move the operator's cursor.
TEST_F(DataExchange, WritingTheShownValueKeepsTheCursorAndSelection) {
    auto* pLine = page.GetItem<QLineEdit>(IDC_HIDDEN_EDIT);
    page.m_strLine = "device";
    page.UpdateData(FALSE);
    pLine->setSelection(1, 3);
    page.UpdateData(FALSE);
    EXPECT_EQ(pLine->selectedText(), "evi");
    page.m_strLine = "other";
    page.UpdateData(FALSE);
    EXPECT_EQ(pLine->text(), "other");
    EXPECT_FALSE(pLine->hasSelectedText());
}

// The program's writes are not undo steps; what the operator types still is.
TEST_F(DataExchange, LogWritesLeaveNothingToUndo) {
    auto* pLog = page.GetItem<QPlainTextEdit>(IDC_LOG);
    page.m_strLog = "first\r\n";
    page.UpdateData(FALSE);
    page.m_editLog.AppendText("second\r\n");
    EXPECT_FALSE(pLog->document()->isUndoAvailable());
    pLog->moveCursor(QTextCursor::End);
    QTest::keyClicks(pLog, "typed");
    EXPECT_TRUE(pLog->document()->isUndoAvailable());
    page.m_editLog.AppendText("third\r\n");
    EXPECT_FALSE(pLog->document()->isUndoAvailable());
    EXPECT_EQ(pLog->toPlainText(), "first\nsecond\ntypedthird\n");
}

// The text a box was last given goes with the box: a new box, even one
// made where an old one was, starts empty and unedited.
TEST_F(DataExchange, ANewBoxKnowsNothingOfAnEarlierOne) {
    for (int i = 0; i < 20; ++i) {
        auto* pOld = new QPlainTextEdit;
        SetControlText(pOld, "old\r");
        delete pOld;
        QPlainTextEdit fresh;
        EXPECT_EQ(GetControlText(&fresh), "");
        EXPECT_FALSE(IsTextEditedSinceWrite(&fresh));
        AppendControlText(&fresh, "new\r\n");
        EXPECT_EQ(GetControlText(&fresh), "new\r\n");
    }
}

TEST_F(DataExchange, SingleLineAndLabelText) {
    page.m_strLine = "line";
    page.m_strLabel = "<b>not rich</b>";
    page.UpdateData(FALSE);
    EXPECT_EQ(page.GetDlgItemText(IDC_HIDDEN_EDIT), "line");
    page.m_strLine.clear();
    page.m_strLabel.clear();
    page.UpdateData(TRUE);
    EXPECT_EQ(page.m_strLine, "line");
    EXPECT_EQ(page.m_strLabel, "<b>not rich</b>");
}

TEST_F(DataExchange, RadioGroupIndexIncludingNone) {
    // The group runs A, B, C (a label in between does not end it) up to D.
    page.GetItem<QRadioButton>(IDC_RADIO_D)->setChecked(true);
    for (int n : {0, 1, 2, -1, 1}) {
        page.m_nRadio = n;
        page.UpdateData(FALSE);
        page.m_nRadio = 99;
        page.UpdateData(TRUE);
        EXPECT_EQ(page.m_nRadio, n);
        EXPECT_EQ(Checked(IDC_RADIO_A), n == 0);
        EXPECT_EQ(Checked(IDC_RADIO_B), n == 1);
        EXPECT_EQ(Checked(IDC_RADIO_C), n == 2);
    }
    // Out of range checks none.
    page.m_nRadio = 3;
    page.UpdateData(FALSE);
    page.UpdateData(TRUE);
    EXPECT_EQ(page.m_nRadio, -1);
    // The next group is untouched throughout.
    EXPECT_TRUE(Checked(IDC_RADIO_D));
}

TEST_F(DataExchange, ClickedRadioIsExclusiveWithinItsGroup) {
    page.m_nRadio = 0;
    page.UpdateData(FALSE);
    QTest::mouseClick(page.GetDlgItem(IDC_RADIO_C), Qt::LeftButton);
    QTest::mouseClick(page.GetDlgItem(IDC_RADIO_D), Qt::LeftButton);
    page.UpdateData(TRUE);
    EXPECT_EQ(page.m_nRadio, 2);
    EXPECT_FALSE(Checked(IDC_RADIO_A));
    EXPECT_TRUE(Checked(IDC_RADIO_D));
    EXPECT_EQ(page.CountCommands(IDC_RADIO_C, BN_CLICKED), 1);
}

TEST_F(DataExchange, SortedComboInsertsInOrder) {
    CComboBox cb;
    cb.Attach(page.GetDlgItem(IDC_COMBO));
    EXPECT_EQ(cb.AddString("b"), 0);
    EXPECT_EQ(cb.AddString("C"), 1);
    EXPECT_EQ(cb.AddString("a"), 0);
    EXPECT_EQ(cb.AddString("B"), 2);  // equal without case: after the earlier one
    EXPECT_EQ(cb.GetCount(), 4);
    EXPECT_EQ(cb.GetLBText(0), "a");
    EXPECT_EQ(cb.GetLBText(1), "b");
    EXPECT_EQ(cb.GetLBText(2), "B");
    EXPECT_EQ(cb.GetLBText(3), "C");
    EXPECT_EQ(cb.GetLBText(4), QString());
    EXPECT_EQ(cb.GetCurSel(), -1);  // adding selects nothing
    EXPECT_EQ(cb.GetWindowText(), QString());
}

TEST_F(DataExchange, ComboSelection) {
    page.UpdateData(FALSE);
    CComboBox& cb = page.m_cbList;  // unsorted: items keep the order added
    EXPECT_EQ(cb.AddString("z"), 0);
    EXPECT_EQ(cb.AddString("a"), 1);
    EXPECT_EQ(cb.GetCurSel(), -1);
    EXPECT_EQ(cb.SetCurSel(1), 1);
    EXPECT_EQ(cb.GetWindowText(), "a");
    EXPECT_EQ(cb.SetCurSel(2), -1);
    EXPECT_EQ(cb.GetCurSel(), -1);
    cb.SetCurSel(0);
    cb.SetItemToolTip(0, "tip");
    EXPECT_EQ(page.GetItem<QComboBox>(IDC_LIST)->itemData(0, Qt::ToolTipRole).toString(), "tip");
    cb.ResetContent();
    EXPECT_EQ(cb.GetCount(), 0);
    EXPECT_EQ(cb.GetCurSel(), -1);
    EXPECT_TRUE(page.commands.empty());
}

TEST_F(DataExchange, LineScrollReachesTheLastLine) {
    page.GetSafeHwnd()->show();
    QString str;
    for (int i = 0; i < 200; ++i)
        str += QString("line %1\r\n").arg(i);
    page.m_strLog = str;
    page.UpdateData(FALSE);
    EXPECT_EQ(page.m_editLog.GetLineCount(), 201);
    page.m_editLog.LineScroll(page.m_editLog.GetLineCount());
    QScrollBar* pBar = page.GetItem<QPlainTextEdit>(IDC_LOG)->verticalScrollBar();
    EXPECT_GT(pBar->maximum(), 0);
    EXPECT_EQ(pBar->value(), pBar->maximum());
    page.m_editLog.LineScroll(-1000);
    EXPECT_EQ(pBar->value(), 0);
}

TEST_F(DataExchange, LineScrollWorksOnAHiddenPage) {
    // Logs are appended while their page is behind another tab.
    page.ShowWindow(FALSE);
    QString str;
    for (int i = 0; i < 200; ++i)
        str += QString("line %1\r\n").arg(i);
    page.m_strLog = str;
    page.UpdateData(FALSE);
    page.m_editLog.LineScroll(page.m_editLog.GetLineCount());
    page.ShowWindow(TRUE);
    QScrollBar* pBar = page.GetItem<QPlainTextEdit>(IDC_LOG)->verticalScrollBar();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(page.GetSafeHwnd()));
    EXPECT_GT(pBar->maximum(), 0);
    EXPECT_EQ(pBar->value(), pBar->maximum());
}

namespace {

// Controls handed out by ID without any dialog behind them: what data
// exchange is given is all it works with.
struct LooseItems : IDialogItems {
    QLineEdit edit;
    QRadioButton radio;
    QWidget* GetDlgItem(int nId) const override { return nId == 1 ? const_cast<QLineEdit*>(&edit) : nullptr; }
    std::vector<QAbstractButton*> GetRadioGroup(int nFirstId) const override {
        return nFirstId == 2 ? std::vector<QAbstractButton*>{const_cast<QRadioButton*>(&radio)}
                             : std::vector<QAbstractButton*>{};
    }
    void CheckRadioGroup(int nFirstId, int nIndex) override {
        if (nFirstId == 2)
            radio.setChecked(nIndex == 0);
    }
};

}  // namespace

// Bindings to controls that are not there leave their members as they were,
// in both directions; the ones that are there still move.
TEST(DataExchangeItems, MissingControlsLeaveTheirMembersAlone) {
    LooseItems items;
    for (BOOL bSave : {FALSE, TRUE}) {
        CDataExchange dx(&items, bSave);
        QString strText = "kept", strEdit = bSave ? "" : "shown";
        int nCheck = 1, nRadio = 5, nOne = bSave ? 7 : 0;
        DDX_Text(&dx, 9, strText);
        DDX_Check(&dx, 9, nCheck);
        DDX_Radio(&dx, 9, nRadio);
        DDX_Text(&dx, 1, strEdit);
        DDX_Radio(&dx, 2, nOne);
        EXPECT_EQ(strText, "kept");
        EXPECT_EQ(nCheck, 1);
        EXPECT_EQ(nRadio, 5);
        EXPECT_EQ(strEdit, "shown");
        EXPECT_EQ(nOne, 0);
    }
    EXPECT_EQ(items.edit.text(), "shown");
}
