// The main window after start-up: version box, tabs and pages, result lines,
// the reply hand-off and the IP Config page's parts that the window drives.
#include <QApplication>
#include <QLabel>
#include <QTabBar>
#include <QTimer>

#include "tests/app/AppFixture.h"
#include "version/CorvaneVersion.h"
#include "resources/Dlg132_IpConfigIds.h"
#include "pages/Set_Net_Config.h"
#include "pages/System_Setting_Page.h"
#include "framework/TabCtrlWidget.h"
#include "framework/ToolTip.h"

namespace {

CDialog* const kPages[] = {&g_PortSetPage, &g_EdidConfigPage, &g_IpConfigPage, &g_NetConfigPage,
                           &g_SystemConfigPage};

int VisiblePageCount() {
    int nVisible = 0;
    for (CDialog* pPage : kPages) nVisible += pPage->IsWindowVisible() ? 1 : 0;
    return nVisible;
}

void Feed(CCorvaneDlg& dlg, const std::string& strText) {
    for (char c : strText) dlg.OnLinkBytes(&c, 1);
}

}  // namespace

class MainWindowTest : public AppFixture {};

TEST_F(MainWindowTest, StartsWithVersionNameBoxAndPanelInTheirFirstState) {
    OpenMainWindow();
    EXPECT_EQ(pDlg->GetSafeHwnd()->windowTitle(), "Corvane Matrix");
    EXPECT_EQ(Caption(Dlg102::IDC_VERSION), "Rev:" CORVANE_VERSION);
    EXPECT_FALSE(pDlg->IsDlgItemEnabled(Dlg102::IDC_VERSION));
    EXPECT_EQ(Caption(Dlg102::IDC_DEVICE_NAME), "");
    EXPECT_FALSE(pDlg->IsDlgItemEnabled(Dlg102::IDC_DEVICE_NAME));
    EXPECT_EQ(Caption(Dlg102::IDC_EDIT_NAME), "Edit");
    EXPECT_EQ(Caption(Dlg102::IDC_CONNECT), "Connect");
    EXPECT_TRUE(pDlg->IsDlgItemEnabled(Dlg102::IDC_PORT_LIST));
    EXPECT_TRUE(pDlg->IsDlgItemEnabled(Dlg102::IDC_SEARCH));
    EXPECT_EQ(g_bComConnected, 0);
    EXPECT_EQ(g_bNetConnected, 0);
    EXPECT_EQ(pDlg->ToolTip().GetToolText(Item(Dlg102::IDC_DEVICE_NAME)), "Input Max Size:16");
    EXPECT_EQ(pDlg->ToolTip().GetDelayTime(), 300u);
}

TEST_F(MainWindowTest, EachTabShowsExactlyItsOwnPage) {
    OpenMainWindow();
    auto* pTab = qobject_cast<CTabCtrlWidget*>(Item(Dlg102::IDC_TAB));
    ASSERT_NE(pTab, nullptr);
    const QStringList aExpected = {"Port Set", "EDID Config", "IP Config", "Net Config", "System Config"};
    ASSERT_EQ(pTab->TabBar()->count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(pTab->TabBar()->tabText(i), aExpected[i]);

    EXPECT_EQ(pTab->TabBar()->currentIndex(), 0);
    EXPECT_TRUE(g_PortSetPage.IsWindowVisible());
    EXPECT_EQ(VisiblePageCount(), 1);
    for (int i : {3, 1, 4, 2, 0, 4}) {
        pTab->TabBar()->setCurrentIndex(i);
        EXPECT_TRUE(kPages[i]->IsWindowVisible()) << "tab " << i;
        EXPECT_EQ(VisiblePageCount(), 1) << "tab " << i;
    }
    // Pages are children of the tab control, placed below its tab row.
    for (CDialog* pPage : kPages) {
        EXPECT_EQ(pPage->GetSafeHwnd()->parentWidget(), pTab);
        EXPECT_GE(pPage->GetSafeHwnd()->geometry().top(), pTab->PageRect().top());
    }
    pDlg->ShowPage(5);
    pDlg->ShowPage(-1);
    EXPECT_TRUE(g_SystemConfigPage.IsWindowVisible());
    EXPECT_EQ(VisiblePageCount(), 1);
}

TEST_F(MainWindowTest, IpConfigPageShowsOnlyItsParameterControls) {
    OpenMainWindow();
    pDlg->ShowPage(2);
    using namespace Dlg132;
    for (int nId : {IDC_LOG, IDC_RAW_TEXT, IDC_SEND, IDC_CLEAR})
        EXPECT_FALSE(g_IpConfigPage.IsDlgItemVisible(nId)) << nId;
    for (int nId : {IDC_IP_ADDRESS, IDC_IP_MASK, IDC_IP_ROUTER, IDC_DHCP, IDC_MAC, IDC_GET_IP_CONFIG, IDC_SAVE_IP_CONFIG})
        EXPECT_TRUE(g_IpConfigPage.IsDlgItemVisible(nId)) << nId;
}

TEST_F(MainWindowTest, LogToPagesWritesTheChosenLogs) {
    OpenMainWindow();
    pDlg->LogToPages("to port set", LOG_PORT_SET);
    EXPECT_TRUE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG).contains("to port set"));
    EXPECT_NE(g_EdidConfigPage.m_strLog, "to port set");

    pDlg->LogToPages("to edid", LOG_EDID_CONFIG);
    EXPECT_EQ(g_EdidConfigPage.m_strLog, "to edid");
    EXPECT_FALSE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG).contains("to edid"));

    pDlg->LogToPages("to both", LOG_BOTH_PAGES);
    EXPECT_EQ(g_EdidConfigPage.m_strLog, "to both");
    EXPECT_TRUE(g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG).contains("to both"));

    const QString strPortLog = g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG);
    pDlg->LogToPages("nowhere", 3);
    pDlg->LogToPages("nowhere", -1);
    EXPECT_EQ(g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG), strPortLog);
    EXPECT_EQ(g_EdidConfigPage.m_strLog, "to both");
}

// Received bytes go through the assembler into the pages and the panels.
TEST_F(MainWindowTest, ReceivedBytesReachThePagesAndTheNameBox) {
    OpenMainWindow();
    Feed(*pDlg, "@20 4b 49 54 43 48 45 4e 00 58 58 58 58 58 58 58 58#");
    EXPECT_EQ(Caption(Dlg102::IDC_DEVICE_NAME), "KITCHEN");
    Feed(*pDlg, "@40 00 1a 2b 3c 4d 5e c0 a8 01 0a ff ff ff 00 c0 a8 01 01 01#");
    EXPECT_EQ(g_IpConfigPage.GetDlgItemText(Dlg132::IDC_MAC), "00 : 1A : 2B : 3C : 4D : 5E");
    EXPECT_FALSE(g_IpConfigPage.IsDlgItemEnabled(Dlg132::IDC_IP_ADDRESS));
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(g_IpConfigPage.GetDlgItem(Dlg132::IDC_DHCP))->isChecked());
    Feed(*pDlg, "@10 01#");
    EXPECT_EQ(g_SystemConfigPage.GetDebugMode(), 1);
    // 0xFF is skipped like any byte above 0x7F.
    const char cFF = '\xff';
    pDlg->OnLinkBytes(&cFF, 1);
    Feed(*pDlg, "@04 00 01 02 03#");
    EXPECT_EQ(g_nOutputSource[3], 3);
}

// Enter and Escape never end the program, wherever they are typed: on a
// page, on the window, or to confirm a new device name. The close button does.
TEST_F(MainWindowTest, EnterAndEscapeLeaveTheWindowOpenTheCloseButtonEndsIt) {
    OpenMainWindow();
    QWidget* pWnd = pDlg->GetSafeHwnd();
    QTest::keyClick(g_PortSetPage.GetSafeHwnd(), Qt::Key_Escape);
    QTest::keyClick(g_IpConfigPage.GetSafeHwnd(), Qt::Key_Return);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(pWnd, key);
    Click(Dlg102::IDC_EDIT_NAME);
    auto* pName = qobject_cast<QLineEdit*>(Item(Dlg102::IDC_DEVICE_NAME));
    ASSERT_NE(pName, nullptr);
    pName->setFocus();
    QTest::keyClicks(pName, "HALL");
    QTest::keyClick(pName, Qt::Key_Return);
    QTest::keyClick(pName, Qt::Key_Escape);
    EXPECT_TRUE(pWnd->isVisible());
    EXPECT_EQ(pName->text(), "HALL");

    pWnd->close();
    EXPECT_FALSE(pDlg->GetSafeHwnd() && pDlg->GetSafeHwnd()->isVisible());
}

TEST_F(MainWindowTest, CtrlQEndsTheWindow) {
    OpenMainWindow();
    QWidget* pWnd = pDlg->GetSafeHwnd();
    pWnd->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pWnd));
    QTest::keyClick(pWnd, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(pDlg->GetSafeHwnd() && pDlg->GetSafeHwnd()->isVisible());
}

TEST_F(MainWindowTest, AboutBoxOpensModallyAndClosesWithOk) {
    OpenMainWindow();
    QString strSeen;
    QTimer::singleShot(0, [&] {
        QWidget* pBox = QApplication::activeModalWidget();
        if (!pBox) return;
        for (QLabel* pLabel : pBox->findChildren<QLabel*>()) strSeen += pLabel->text() + "|";
        if (auto* pOk = pBox->findChild<QAbstractButton*>("1")) pOk->click();
    });
    pDlg->OnSysCommand(CCorvaneDlg::IDM_ABOUTBOX);
    EXPECT_TRUE(strSeen.startsWith("Corvane|"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(pDlg->GetSafeHwnd()->isVisible());
    EXPECT_EQ(Caption(Dlg102::IDC_VERSION), "Rev:" CORVANE_VERSION);
}
