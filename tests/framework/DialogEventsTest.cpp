// Notifications, Enter / Escape / close handling, modal runs, tab control.
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/framework/TestDialogs.h"

using Cmd = CRecordingDlg::Cmd;

TEST(DialogEvents, ButtonsNotifyOnClicksOnly) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    auto* pCheck = page.GetItem<QCheckBox>(IDC_CHECK);
    pCheck->setChecked(true);  // programmatic: nothing
    page.m_nCheck = 1;
    page.m_nRadio = 1;
    page.UpdateData(FALSE);    // nor data exchange
    EXPECT_TRUE(page.commands.empty());
    QTest::mouseClick(pCheck, Qt::LeftButton);
    page.GetItem<QPushButton>(IDC_GO)->click();
    EXPECT_EQ(page.commands, (std::vector<Cmd>{{IDC_CHECK, BN_CLICKED}, {IDC_GO, BN_CLICKED}}));
    EXPECT_FALSE(pCheck->isChecked());
}

TEST(DialogEvents, ComboNotifiesWhenTheOperatorChoosesAnItem) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    page.UpdateData(FALSE);
    page.m_cbList.AddString("one");
    page.m_cbList.AddString("two");
    page.m_cbList.SetCurSel(0);
    EXPECT_TRUE(page.commands.empty());
    auto* pList = page.GetItem<QComboBox>(IDC_LIST);
    pList->setFocus();
    QTest::keyClick(pList, Qt::Key_Down);
    EXPECT_EQ(page.m_cbList.GetCurSel(), 1);
    EXPECT_EQ(page.CountCommands(IDC_LIST, CBN_SELCHANGE), 1);
    // Typing into a drop-down combo neither adds items nor selects.
    auto* pDrop = page.GetItem<QComboBox>(IDC_COMBO);
    QTest::keyClicks(pDrop->lineEdit(), "typed");
    QTest::keyClick(pDrop->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(pDrop->count(), 0);
    EXPECT_EQ(page.CountCommands(IDC_COMBO, CBN_SELCHANGE), 0);
    // Not even when the typed text equals an item and is confirmed by Enter
    // or by the focus leaving the box.
    pDrop->addItem("alpha");
    pDrop->addItem("beta");
    pDrop->setCurrentIndex(0);
    pDrop->lineEdit()->clear();
    QTest::keyClicks(pDrop->lineEdit(), "beta");
    QTest::keyClick(pDrop->lineEdit(), Qt::Key_Return);
    emit pDrop->lineEdit()->editingFinished();
    EXPECT_EQ(pDrop->currentIndex(), 0);
    EXPECT_EQ(page.CountCommands(IDC_COMBO, CBN_SELCHANGE), 0);
}

TEST(DialogEvents, EditChangesNotifyOnlyWhenTyped) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    page.SetDlgItemText(IDC_LOG, "set\r\n");
    page.SetDlgItemText(IDC_HIDDEN_EDIT, "set");
    EXPECT_TRUE(page.commands.empty());
    QTest::keyClicks(page.GetItem<QPlainTextEdit>(IDC_LOG), "x");
    QTest::keyClicks(page.GetItem<QLineEdit>(IDC_HIDDEN_EDIT), "y");
    EXPECT_EQ(page.CountCommands(IDC_LOG, EN_CHANGE), 1);
    EXPECT_EQ(page.CountCommands(IDC_HIDDEN_EDIT, EN_CHANGE), 1);
}

TEST(DialogEvents, TabControlNotifiesOnOperatorSelectionOnly) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    page.UpdateData(FALSE);
    page.GetSafeHwnd()->show();
    EXPECT_EQ(page.m_tab.InsertItem(0, "Zero"), 0);
    EXPECT_EQ(page.m_tab.InsertItem(1, "One"), 1);
    EXPECT_EQ(page.m_tab.InsertItem(9, "Two"), 2);  // past the end appends
    EXPECT_EQ(page.m_tab.GetItemCount(), 3);
    EXPECT_EQ(page.m_tab.GetCurSel(), 0);
    EXPECT_EQ(page.m_tab.SetCurSel(2), 0);
    EXPECT_EQ(page.m_tab.GetCurSel(), 2);
    EXPECT_EQ(page.m_tab.SetCurSel(7), -1);
    EXPECT_EQ(page.m_tab.GetCurSel(), 2);
    EXPECT_TRUE(page.commands.empty());
    auto* pBar = page.m_tab.GetPageParent()->findChild<QTabBar*>();
    ASSERT_NE(pBar, nullptr);
    QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(1).center());
    EXPECT_EQ(page.m_tab.GetCurSel(), 1);
    EXPECT_EQ(page.commands, (std::vector<Cmd>{{IDC_TAB, TCN_SELCHANGE}}));
    // Pages go below the tabs, inside the control.
    EXPECT_EQ(page.m_tab.GetPageParent(), page.GetDlgItem(IDC_TAB));
    const QRect rc = page.m_tab.GetClientRect();
    EXPECT_GE(rc.top(), pBar->geometry().bottom());
    EXPECT_TRUE(page.GetDlgItem(IDC_TAB)->rect().contains(rc));
}

TEST(DialogEvents, EnterAndEscapeOnAPageStayOnThePage) {
    CRecordingDlg top(kTestTop);
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(top.Create(nullptr));
    ASSERT_TRUE(page.Create(top.GetSafeHwnd()));
    auto* pLine = page.GetItem<QLineEdit>(IDC_HIDDEN_EDIT);
    QTest::keyClick(pLine, Qt::Key_Return);
    QTest::keyClick(pLine, Qt::Key_Escape);
    EXPECT_EQ(page.nOK, 1);
    EXPECT_EQ(page.nCancel, 1);
    EXPECT_EQ(top.nOK, 0);
    EXPECT_EQ(top.nCancel, 0);
    // The default OK / Cancel of a page do nothing: it stays shown.
    EXPECT_TRUE(page.IsWindowVisible());
    EXPECT_TRUE(top.IsWindowVisible());
    // A multi-line edit takes Enter as a line break.
    auto* pLog = page.GetItem<QPlainTextEdit>(IDC_LOG);
    QTest::keyClick(pLog, Qt::Key_Return);
    EXPECT_EQ(page.nOK, 1);
    EXPECT_EQ(pLog->blockCount(), 2);
}

TEST(DialogEvents, EnterOnAFocusedButtonPressesIt) {
    CRecordingDlg top(kTestTop);
    ASSERT_TRUE(top.Create(nullptr));
    top.GetSafeHwnd()->activateWindow();
    auto* pButton = top.GetItem<QPushButton>(IDC_TOP_BUTTON);
    pButton->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pButton->hasFocus(); }, 2000));
    QTest::keyClick(pButton, Qt::Key_Return);
    EXPECT_EQ(top.commands, (std::vector<Cmd>{{IDC_TOP_BUTTON, BN_CLICKED}}));
    EXPECT_EQ(top.nOK, 0);
}

TEST(DialogEvents, EnterAndEscapeEndATopLevelWindow) {
    CRecordingDlg top(kTestTop);
    ASSERT_TRUE(top.Create(nullptr));
    QTest::keyClick(top.GetDlgItem(IDC_TOP_EDIT), Qt::Key_Return);
    EXPECT_EQ(top.nOK, 1);
    EXPECT_FALSE(top.IsWindowVisible());

    CRecordingDlg other(kTestTop);
    ASSERT_TRUE(other.Create(nullptr));
    QTest::keyClick(other.GetDlgItem(IDC_TOP_EDIT), Qt::Key_Escape);
    EXPECT_EQ(other.nCancel, 1);
    EXPECT_FALSE(other.IsWindowVisible());
}

TEST(DialogEvents, EnterGoesToTheDefaultPushButton) {
    CRecordingDlg dlg(kTestDefPush);
    ASSERT_TRUE(dlg.Create(nullptr));
    QTest::keyClick(dlg.GetDlgItem(IDC_TOP_EDIT), Qt::Key_Return);
    EXPECT_EQ(dlg.commands, (std::vector<Cmd>{{IDC_DEF_BUTTON, BN_CLICKED}}));
    EXPECT_EQ(dlg.nOK, 0);
    // A button with the OK command ID is OnOK.
    dlg.GetItem<QPushButton>(IDOK)->click();
    EXPECT_EQ(dlg.nOK, 1);
}

TEST(DialogEvents, CloseButtonIsCancel) {
    struct CStubborn : CRecordingDlg {
        using CRecordingDlg::CRecordingDlg;
        void OnCancel() override { ++nCancel; }  // refuses to close
    };
    CStubborn stubborn(kTestTop);
    ASSERT_TRUE(stubborn.Create(nullptr));
    EXPECT_FALSE(stubborn.GetSafeHwnd()->close());
    EXPECT_EQ(stubborn.nCancel, 1);
    EXPECT_TRUE(stubborn.IsWindowVisible());

    CRecordingDlg plain(kTestTop);
    ASSERT_TRUE(plain.Create(nullptr));
    EXPECT_TRUE(plain.GetSafeHwnd()->close());
    EXPECT_EQ(plain.nCancel, 1);
}

TEST(DialogEvents, DoModalReturnsTheEndDialogCode) {
    CRecordingDlg dlg(kTestTop);
    dlg.onInit = [](CRecordingDlg& d) { d.SetTimer(3, 20); };
    dlg.onTimer = [](CRecordingDlg& d, UINT) { d.EndDialog(42); };
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);  // the window went with the run
    EXPECT_FALSE(dlg.timers.empty());

    // Ending during initialisation returns without running.
    CRecordingDlg early(kTestTop);
    early.onInit = [](CRecordingDlg& d) { d.EndDialog(IDCANCEL); };
    EXPECT_EQ(early.DoModal(), IDCANCEL);

    // Escape ends a modal run with IDCANCEL.
    CRecordingDlg escaped(kTestTop);
    escaped.onInit = [](CRecordingDlg& d) {
        QTimer::singleShot(20, [&d] { QTest::keyClick(d.GetDlgItem(IDC_TOP_EDIT), Qt::Key_Escape); });
    };
    EXPECT_EQ(escaped.DoModal(), IDCANCEL);
    EXPECT_EQ(escaped.nCancel, 1);
}

TEST(DialogEvents, RightClickReachesOnContextMenu) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    QWidget* pLabel = page.GetDlgItem(IDC_MID);
    const QPoint ptLocal(2, 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, ptLocal, pLabel->mapToGlobal(ptLocal));
    QCoreApplication::sendEvent(pLabel, &event);
    EXPECT_EQ(page.nContext, 1);
    EXPECT_EQ(page.ptContext, pLabel->mapToGlobal(ptLocal));
}
