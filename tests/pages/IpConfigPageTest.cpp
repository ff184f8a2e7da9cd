// IP Config page: the register 0x40 read and write, the DHCP flag and the
// address controls, the MAC text, and the hidden serial output log.
#include "tests/pages/ConfigPagesFixture.h"

#include "resources/Dlg132_IpConfigIds.h"
#include "framework/IPAddressCtrl.h"

using namespace Dlg132;

namespace {

const int kHiddenFour[] = {IDC_RAW_TEXT, IDC_SEND, IDC_CLEAR, IDC_LOG};
const int kShown[] = {IDC_IP_ADDRESS, IDC_IP_MASK, IDC_IP_ROUTER, IDC_DHCP, IDC_MAC, IDC_GET_IP_CONFIG,
                      IDC_SAVE_IP_CONFIG};
const int kAddressControls[] = {IDC_IP_ADDRESS, IDC_IP_MASK, IDC_IP_ROUTER};

}  // namespace

class IpConfigPage : public ConfigPagesFixture {
protected:
    CIPAddressCtrl* Address(int nId) { return ip.GetItem<CIPAddressCtrl>(nId); }

    void EnterAddresses() {
        Address(IDC_IP_ADDRESS)->SetAddress(192, 168, 1, 10);
        Address(IDC_IP_MASK)->SetAddress(255, 255, 255, 0);
        Address(IDC_IP_ROUTER)->SetAddress(192, 168, 1, 1);
    }

    int AddressControlsEnabled() const {
        int n = 0;
        for (int nId : kAddressControls) n += ip.IsDlgItemEnabled(nId) ? 1 : 0;
        return n;
    }

    QStringList HiddenLog() const { return LogLines(ip, IDC_LOG); }
};

TEST_F(IpConfigPage, OnlyTheParameterControlsShowAndTheHiddenFourStayHidden) {
    for (int nId : kHiddenFour) EXPECT_FALSE(ip.IsDlgItemVisible(nId)) << nId;
    for (int nId : kShown) EXPECT_TRUE(ip.IsDlgItemVisible(nId)) << nId;
    // Another tab and back, and a reply shown on the page, show none of them.
    ip.ShowWindow(FALSE);
    ip.ShowWindow(TRUE);
    Reply("@40 00 1a 2b 3c 4d 5e c0 a8 01 0a ff ff ff 00 c0 a8 01 01 00#");
    ip.AppendLog("@R 04 #");
    for (int nId : kHiddenFour) EXPECT_FALSE(ip.IsDlgItemVisible(nId)) << nId;
}

TEST_F(IpConfigPage, StartsBlank) {
    for (int nId : kAddressControls) EXPECT_TRUE(Address(nId)->IsBlank()) << nId;
    EXPECT_FALSE(IsChecked(ip, IDC_DHCP));
    EXPECT_EQ(ip.GetDlgItemText(IDC_MAC), "");
    EXPECT_EQ(AddressControlsEnabled(), 3);
}

TEST_F(IpConfigPage, SaveBeforeAnyGetSendsTheTypedAddressesAndAZeroMac) {
    g_bComConnected = 1;
    EnterAddresses();
    Click(ip, IDC_SAVE_IP_CONFIG);
    const std::string strExpected = "@W40 00 00 00 00 00 00 c0 a8 01 0a ff ff ff 00 c0 a8 01 01 00#";
    ASSERT_EQ(frames, std::vector<std::string>{strExpected});
    EXPECT_EQ(frames[0].size(), 62u);
    EXPECT_EQ(HiddenLog(), QStringList{QString::fromStdString(strExpected)});
}

TEST_F(IpConfigPage, BlankOrHalfFilledFieldsSaveAsZero) {
    g_bComConnected = 1;
    Address(IDC_IP_ROUTER)->SetAddress(10, 0, 0, 1);
    Address(IDC_IP_ROUTER)->ClearAddress();
    Click(ip, IDC_SAVE_IP_CONFIG);
    EXPECT_EQ(frames, std::vector<std::string>{"@W40 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00#"});
}

TEST_F(IpConfigPage, DhcpDisablesTheAddressesAtOnceAndSaveStillSendsThem) {
    g_bComConnected = 1;
    EnterAddresses();
    Click(ip, IDC_DHCP);
    EXPECT_EQ(AddressControlsEnabled(), 0);
    EXPECT_TRUE(frames.empty());   // nothing sent by the check box itself
    EXPECT_EQ(g_NetParams.bDhcp, 1);
    Click(ip, IDC_SAVE_IP_CONFIG);
    EXPECT_EQ(frames, std::vector<std::string>{"@W40 00 00 00 00 00 00 c0 a8 01 0a ff ff ff 00 c0 a8 01 01 01#"});
    Click(ip, IDC_DHCP);
    EXPECT_EQ(AddressControlsEnabled(), 3);
    EXPECT_EQ(g_NetParams.bDhcp, 0);
}

TEST_F(IpConfigPage, AReplyShowsAddressesMacAndDhcpAndSaveKeepsTheReceivedMac) {
    g_bComConnected = 1;
    Reply("@40 00 1a 2b 3c 4d 5e c0 a8 00 64 ff ff 00 00 c0 a8 00 01 00#");
    EXPECT_EQ(ip.GetDlgItemText(IDC_MAC), "00 : 1A : 2B : 3C : 4D : 5E");
    BYTE b[4] = {};
    Address(IDC_IP_ADDRESS)->GetAddress(b[0], b[1], b[2], b[3]);
    EXPECT_EQ((std::vector<int>{b[0], b[1], b[2], b[3]}), (std::vector<int>{192, 168, 0, 100}));
    Address(IDC_IP_MASK)->GetAddress(b[0], b[1], b[2], b[3]);
    EXPECT_EQ((std::vector<int>{b[0], b[1], b[2], b[3]}), (std::vector<int>{255, 255, 0, 0}));
    EXPECT_EQ(AddressControlsEnabled(), 3);
    EXPECT_FALSE(IsChecked(ip, IDC_DHCP));

    Address(IDC_IP_ADDRESS)->SetAddress(192, 168, 0, 101);
    Click(ip, IDC_SAVE_IP_CONFIG);
    EXPECT_EQ(frames, std::vector<std::string>{"@W40 00 1a 2b 3c 4d 5e c0 a8 00 65 ff ff 00 00 c0 a8 00 01 00#"});

    // DHCP on in a reply: checked, addresses disabled.
    Reply("@40 00 1a 2b 3c 4d 5e c0 a8 00 64 ff ff 00 00 c0 a8 00 01 01#");
    EXPECT_TRUE(IsChecked(ip, IDC_DHCP));
    EXPECT_EQ(AddressControlsEnabled(), 0);
    // Upper-case hex in the MAC text, whatever case the reply used.
    Reply("@40 ab cd ef 01 02 fe 00 00 00 00 00 00 00 00 00 00 00 00 00#");
    EXPECT_EQ(ip.GetDlgItemText(IDC_MAC), "AB : CD : EF : 01 : 02 : FE");
    EXPECT_EQ(AddressControlsEnabled(), 3);
}

TEST_F(IpConfigPage, GetSendsTheReadAndAWholeConfigurationReplyAsksForItToo) {
    g_bComConnected = 1;
    Click(ip, IDC_GET_IP_CONFIG);
    EXPECT_EQ(frames, std::vector<std::string>{"@ R 40 #"});
    Reply("@0e 00 01 00 01 01 00 02 02 00 03 03 00 41 42 43 00 00 00 00 00 00 00 00 00 00 00 00 00#");
    EXPECT_EQ(frames, (std::vector<std::string>{"@ R 40 #", "@ R 40 #"}));
    EXPECT_TRUE(MessageBoxScript::History().empty());
}

TEST_F(IpConfigPage, WithoutALinkGetAndSaveDoNothingAndSayNothing) {
    EnterAddresses();
    Click(ip, IDC_GET_IP_CONFIG);
    Click(ip, IDC_SAVE_IP_CONFIG);
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(HiddenLog().isEmpty());
    EXPECT_TRUE(MessageBoxScript::History().empty());
    EXPECT_FALSE(ip.IsTimerRunning(1));
}

TEST_F(IpConfigPage, FramesSentOverTheNetworkAreNotLogged) {
    g_bNetConnected = 1;
    EnterAddresses();
    Click(ip, IDC_GET_IP_CONFIG);
    Click(ip, IDC_SAVE_IP_CONFIG);
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(HiddenLog().isEmpty());

    g_bComConnected = 1;   // both open: the serial link carries it, and logs it
    Click(ip, IDC_GET_IP_CONFIG);
    EXPECT_EQ(HiddenLog(), QStringList{"@ R 40 #"});
}
