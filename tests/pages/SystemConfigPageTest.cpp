// System Config page: the confirmed and announced system commands, the
// debug mode behind the service words, and what happens without a link.
#include "tests/pages/ConfigPagesFixture.h"

#include <QLineEdit>

#include "resources/Dlg135_SystemConfigIds.h"

using namespace Dlg135;

namespace {

const int kServiceControls[] = {IDC_SERVICE_GROUP, IDC_DEBUG_ON, IDC_DEBUG_OFF, IDC_DEBUG_GET, IDC_DEBUG_APPLY};
const int kAlwaysShown[] = {IDC_COMMAND, IDC_COMMAND_APPLY, IDC_RESET, IDC_DEFAULT, IDC_POWER_ON, IDC_POWER_OFF};

}  // namespace

class SystemConfigPage : public ConfigPagesFixture {
protected:
    // Types into the Command box and presses its Apply button.
    void Command(const QString& strText) {
        auto* pEdit = sys.GetItem<QLineEdit>(IDC_COMMAND);
        ASSERT_NE(pEdit, nullptr);
        pEdit->clear();
        QTest::keyClicks(pEdit, strText);
        ASSERT_EQ(pEdit->text(), strText);
        Click(sys, IDC_COMMAND_APPLY);
    }

    int ServiceControlsShown() const {
        int nShown = 0;
        for (int nId : kServiceControls) nShown += sys.IsDlgItemVisible(nId) ? 1 : 0;
        return nShown;
    }

    void ShowService() {
        Command(CSystemConfigPage::SERVICE_ON);
        ASSERT_EQ(ServiceControlsShown(), 5);
    }
};

TEST_F(SystemConfigPage, StartsWithTheServiceGroupHiddenAndNoDebugModeChosen) {
    EXPECT_EQ(ServiceControlsShown(), 0);
    for (int nId : kAlwaysShown) EXPECT_TRUE(sys.IsDlgItemVisible(nId)) << nId;
    EXPECT_FALSE(IsChecked(sys, IDC_DEBUG_ON));
    EXPECT_FALSE(IsChecked(sys, IDC_DEBUG_OFF));
    EXPECT_EQ(sys.GetDebugMode(), -1);
}

TEST_F(SystemConfigPage, ResetAndDefaultAskFirstAndSendOnlyOnYes) {
    g_bComConnected = 1;
    sys.SetDlgItemText(IDC_COMMAND, "typed, not applied");
    MessageBoxScript::Expect("System will restart,are you sure?", IDNO);
    MessageBoxScript::Expect("System will set default setting,are you sure?", IDNO);
    Click(sys, IDC_RESET);
    Click(sys, IDC_DEFAULT);
    EXPECT_TRUE(frames.empty());
    // No leaves the page as it was: the controls are not written.
    EXPECT_EQ(sys.GetDlgItemText(IDC_COMMAND), "typed, not applied");

    MessageBoxScript::Expect("System will restart,are you sure?", IDYES);
    MessageBoxScript::Expect("System will set default setting,are you sure?", IDYES);
    Click(sys, IDC_RESET);
    Click(sys, IDC_DEFAULT);
    EXPECT_EQ(frames, (std::vector<std::string>{"@W50#", "@W51#"}));
    for (const auto& shown : MessageBoxScript::History()) EXPECT_EQ(shown.nType, UINT(MB_YESNO)) << shown.strText.toStdString();
}

TEST_F(SystemConfigPage, PowerNoticesComeWhetherOrNotALinkIsOpen) {
    MessageBoxScript::Expect("Device Will Power Up!");
    MessageBoxScript::Expect("Device is disconnected!");
    Click(sys, IDC_POWER_ON);
    EXPECT_EQ(Boxes(), (std::vector<QString>{"Device Will Power Up!", "Device is disconnected!"}));
    EXPECT_TRUE(frames.empty());

    g_bComConnected = 1;
    MessageBoxScript::Clear();
    MessageBoxScript::Expect("Device Will Power Down!");
    MessageBoxScript::Expect("Device Will Power Up!");
    Click(sys, IDC_POWER_OFF);
    Click(sys, IDC_POWER_ON);
    EXPECT_EQ(frames, (std::vector<std::string>{"@W0F00#", "@W0F01#"}));
    EXPECT_EQ(Boxes(), (std::vector<QString>{"Device Will Power Down!", "Device Will Power Up!"}));
}

TEST_F(SystemConfigPage, WithoutALinkEveryCommandSaysDisconnectedAndSendsNothing) {
    ShowService();
    MessageBoxScript::Expect("System will restart,are you sure?", IDYES);
    MessageBoxScript::Expect("System will set default setting,are you sure?", IDYES);
    for (int i = 0; i < 4; ++i) MessageBoxScript::Expect("Device is disconnected!");
    Click(sys, IDC_RESET);
    Click(sys, IDC_DEFAULT);
    Click(sys, IDC_DEBUG_GET);
    Click(sys, IDC_DEBUG_APPLY);  // and no "Device Debug OFF!" after it
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(Boxes(), (std::vector<QString>{"System will restart,are you sure?", "Device is disconnected!",
                                             "System will set default setting,are you sure?",
                                             "Device is disconnected!", "Device is disconnected!",
                                             "Device is disconnected!"}));
}

TEST_F(SystemConfigPage, EveryBoxHasTheApplicationCaptionAndNoIcon) {
    ShowService();
    MessageBoxScript::Expect("System will restart,are you sure?", IDYES);
    MessageBoxScript::Expect("Device is disconnected!");
    MessageBoxScript::Expect("Device Will Power Down!");
    MessageBoxScript::Expect("Device is disconnected!");
    Click(sys, IDC_RESET);
    Click(sys, IDC_POWER_OFF);
    g_bComConnected = 1;
    MessageBoxScript::Expect("Device Debug OFF!");
    Click(sys, IDC_DEBUG_APPLY);
    ASSERT_EQ(MessageBoxScript::History().size(), 5u);
    for (const auto& shown : MessageBoxScript::History()) {
        EXPECT_EQ(shown.strCaption, "Corvane") << shown.strText.toStdString();
        EXPECT_EQ(shown.nType & 0xF0, 0u) << shown.strText.toStdString();
    }
}

TEST_F(SystemConfigPage, ServiceWordsMustMatchWholeAndCaseSensitive) {
    for (const char* pszNear : {"ExpertSetOn ", " ExpertSetOn", "expertseton", "EXPERTSETON", "ExpertSet", "ExpertSetOnn"}) {
        Command(pszNear);
        EXPECT_EQ(ServiceControlsShown(), 0) << pszNear;
        EXPECT_EQ(sys.GetDlgItemText(IDC_COMMAND), "") << pszNear;
    }
    ShowService();
    EXPECT_EQ(sys.GetDlgItemText(IDC_COMMAND), "");
    Command("ExpertSetOn");   // again: stays shown
    EXPECT_EQ(ServiceControlsShown(), 5);
    Command("expertsetoff");
    EXPECT_EQ(ServiceControlsShown(), 5);
    Command("ExpertSetOff");
    EXPECT_EQ(ServiceControlsShown(), 0);
    EXPECT_EQ(sys.GetDlgItemText(IDC_COMMAND), "");
    // Words are never sent, even with a link open.
    g_bComConnected = 1;
    Command("@W50#");
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(MessageBoxScript::History().empty());
}

TEST_F(SystemConfigPage, ServiceGroupSurvivesThePageBeingHiddenAndShownAgain) {
    ShowService();
    sys.ShowWindow(FALSE);  // another tab chosen
    sys.ShowWindow(TRUE);
    EXPECT_EQ(ServiceControlsShown(), 5);
    Command("ExpertSetOff");
    sys.ShowWindow(FALSE);
    sys.ShowWindow(TRUE);
    EXPECT_EQ(ServiceControlsShown(), 0);
}

TEST_F(SystemConfigPage, ApplyDebugModeSendsTheSelectionAndNoSelectionMeansOff) {
    g_bComConnected = 1;
    ShowService();
    MessageBoxScript::Expect("Device Debug OFF!");
    Click(sys, IDC_DEBUG_APPLY);   // nothing selected yet
    EXPECT_EQ(frames, std::vector<std::string>{"@W1001#"});

    Click(sys, IDC_DEBUG_ON);
    MessageBoxScript::Expect("Device Debug ON!");
    Click(sys, IDC_DEBUG_APPLY);
    Click(sys, IDC_DEBUG_OFF);
    MessageBoxScript::Expect("Device Debug OFF!");
    Click(sys, IDC_DEBUG_APPLY);
    EXPECT_EQ(frames, (std::vector<std::string>{"@W1001#", "@W1000#", "@W1001#"}));
    EXPECT_EQ(Boxes(), (std::vector<QString>{"Device Debug OFF!", "Device Debug ON!", "Device Debug OFF!"}));
    // The selection stays as the operator left it.
    EXPECT_TRUE(IsChecked(sys, IDC_DEBUG_OFF));
    EXPECT_EQ(sys.GetDebugMode(), 1);
}

TEST_F(SystemConfigPage, GetReadsTheDebugModeAndTheReplySelectsTheRadio) {
    g_bComConnected = 1;
    ShowService();
    Click(sys, IDC_DEBUG_GET);
    EXPECT_EQ(frames, std::vector<std::string>{"@R10#"});
    EXPECT_TRUE(MessageBoxScript::History().empty());

    Reply("@10 00#");
    EXPECT_TRUE(IsChecked(sys, IDC_DEBUG_ON));
    EXPECT_FALSE(IsChecked(sys, IDC_DEBUG_OFF));
    Reply("@10 01#");
    EXPECT_FALSE(IsChecked(sys, IDC_DEBUG_ON));
    EXPECT_TRUE(IsChecked(sys, IDC_DEBUG_OFF));
    // Any other value leaves neither selected, and Apply then sends "off".
    Reply("@10 02#");
    EXPECT_FALSE(IsChecked(sys, IDC_DEBUG_ON));
    EXPECT_FALSE(IsChecked(sys, IDC_DEBUG_OFF));
    EXPECT_EQ(sys.GetDebugMode(), 2);
    MessageBoxScript::Expect("Device Debug OFF!");
    Click(sys, IDC_DEBUG_APPLY);
    EXPECT_EQ(frames.back(), "@W1001#");
}

TEST_F(SystemConfigPage, ADebugModeReplyWhileTheGroupIsHiddenIsShownLater) {
    Reply("@10 00#");
    EXPECT_EQ(ServiceControlsShown(), 0);
    ShowService();
    EXPECT_TRUE(IsChecked(sys, IDC_DEBUG_ON));
}

TEST_F(SystemConfigPage, ADebugModeReplyBeforeThePageExistsIsKeptForIt) {
    sys.DestroyWindow();
    Reply("@10 01#");   // must not touch a window that is gone
    ASSERT_TRUE(sys.Create(nullptr));
    EXPECT_EQ(sys.GetDebugMode(), 1);
    EXPECT_TRUE(IsChecked(sys, IDC_DEBUG_OFF));
}

TEST_F(SystemConfigPage, OverTheNetworkAloneNothingGoesToTheSerialPortAndNothingIsRefused) {
    g_bNetConnected = 1;
    ShowService();
    MessageBoxScript::Expect("Device Will Power Up!");
    MessageBoxScript::Expect("Device Debug OFF!");
    Click(sys, IDC_POWER_ON);
    Click(sys, IDC_DEBUG_GET);
    Click(sys, IDC_DEBUG_APPLY);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(Boxes(), (std::vector<QString>{"Device Will Power Up!", "Device Debug OFF!"}));
}

TEST_F(SystemConfigPage, FramesCarryNoSpacesAndGoToTheSerialLinkWhenBothAreOpen) {
    g_bComConnected = 1;
    g_bNetConnected = 1;
    ShowService();
    MessageBoxScript::Expect("System will restart,are you sure?", IDYES);
    MessageBoxScript::Expect("System will set default setting,are you sure?", IDYES);
    MessageBoxScript::Expect("Device Will Power Up!");
    MessageBoxScript::Expect("Device Will Power Down!");
    MessageBoxScript::Expect("Device Debug OFF!");
    for (int nId : {IDC_RESET, IDC_DEFAULT, IDC_POWER_ON, IDC_POWER_OFF, IDC_DEBUG_GET, IDC_DEBUG_APPLY})
        Click(sys, nId);
    EXPECT_EQ(frames, (std::vector<std::string>{"@W50#", "@W51#", "@W0F01#", "@W0F00#", "@R10#", "@W1001#"}));
    for (const std::string& strFrame : frames) EXPECT_EQ(strFrame.find(' '), std::string::npos) << strFrame;
}
