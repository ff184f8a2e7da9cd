// The IP Config page as the main window creates it: the parameter controls,
// the Save frame, the hidden serial output log.
#include "tests/app/AppFixture.h"
#include "resources/Dlg132_IpConfigIds.h"
#include "framework/IPAddressCtrl.h"

class IpConfigPageTest : public AppFixture {
protected:
    CIPAddressCtrl* Address(int nId) { return qobject_cast<CIPAddressCtrl*>(g_IpConfigPage.GetDlgItem(nId)); }
    QAbstractButton* Dhcp() { return qobject_cast<QAbstractButton*>(g_IpConfigPage.GetDlgItem(Dlg132::IDC_DHCP)); }
};

TEST_F(IpConfigPageTest, SaveSendsTheAddressesEvenWhenDhcpDisabledThem) {
    CPtyPair& com4 = AddPty(4);
    OpenMainWindow();
    Click(Dlg102::IDC_CONNECT);
    ExpectFrame(com4, "@ R 0e #");
    pDlg->ShowPage(2);
    // The page object outlives the windows of earlier tests: start from the
    // zeroed parameters.
    g_IpConfigPage.ShowNetParams();
    Address(Dlg132::IDC_IP_ADDRESS)->SetAddress(192, 168, 1, 10);
    Address(Dlg132::IDC_IP_MASK)->SetAddress(255, 255, 255, 0);
    Address(Dlg132::IDC_IP_ROUTER)->SetAddress(192, 168, 1, 1);
    Dhcp()->click();
    EXPECT_FALSE(g_IpConfigPage.IsDlgItemEnabled(Dlg132::IDC_IP_ADDRESS));
    EXPECT_FALSE(g_IpConfigPage.IsDlgItemEnabled(Dlg132::IDC_IP_ROUTER));
    ExpectNothingMore(com4);
    qobject_cast<QAbstractButton*>(g_IpConfigPage.GetDlgItem(Dlg132::IDC_SAVE_IP_CONFIG))->click();
    ExpectFrame(com4, "@W40 00 00 00 00 00 00 c0 a8 01 0a ff ff ff 00 c0 a8 01 01 01#");
    Dhcp()->click();
    EXPECT_TRUE(g_IpConfigPage.IsDlgItemEnabled(Dlg132::IDC_IP_ADDRESS));
    qobject_cast<QAbstractButton*>(g_IpConfigPage.GetDlgItem(Dlg132::IDC_GET_IP_CONFIG))->click();
    ExpectFrame(com4, "@ R 40 #");
    // Every frame written is in the hidden log, one per line.
    const QString strLog = g_IpConfigPage.GetDlgItemText(Dlg132::IDC_LOG);
    EXPECT_TRUE(strLog.contains("@ R 0e #"));
    EXPECT_TRUE(strLog.contains("@W40 00 00 00 00 00 00 c0 a8 01 0a ff ff ff 00 c0 a8 01 01 01#"));
    EXPECT_FALSE(g_IpConfigPage.IsDlgItemVisible(Dlg132::IDC_LOG));
}

TEST_F(IpConfigPageTest, HiddenLogKeepsTheNewestLinesWithinItsLimit) {
    OpenMainWindow();
    const QString strLine = QStringLiteral("@W 20 4142434445 464748494a 4b4c4d 4e 4f 50 #");
    const int nLines = 2 * CIpConfigPage::MAX_LOG_CHARS / static_cast<int>(strLine.size());
    for (int i = 0; i < nLines; ++i) g_IpConfigPage.AppendLog(strLine + QString::number(i));
    const QString strLog = g_IpConfigPage.GetDlgItemText(Dlg132::IDC_LOG);
    EXPECT_LE(strLog.size(), CIpConfigPage::MAX_LOG_CHARS);
    EXPECT_GT(strLog.size(), CIpConfigPage::MAX_LOG_CHARS / 2);
    EXPECT_TRUE(strLog.startsWith("@W 20 "));   // whole lines only
    EXPECT_TRUE(strLog.trimmed().endsWith(strLine + QString::number(nLines - 1)));
}
