// EDID Config page: modes and option bits into g_EdidSetting, Read and Apply
// with their waits, and read or load-all replies shown on the controls.
#include "tests/pages/PageFixture.h"

#include <QComboBox>
#include <QLineEdit>

using namespace Dlg129;

namespace {

const std::initializer_list<int> kReadApply = {IDC_READ_1, IDC_APPLY_1, IDC_READ_2, IDC_APPLY_2,
                                               IDC_READ_3, IDC_APPLY_3, IDC_READ_4, IDC_APPLY_4};

std::vector<int> OptionIds(int n) {
    return {HDR[n], THREE_D[n], AUDIO71[n], AUDIO51[n], AUDIO20[n], BIT30[n], BIT36[n], BIT48[n]};
}

}  // namespace

class EdidConfigPage : public PageFixture {
protected:
    QComboBox* Combo(int n) { return edid.GetItem<QComboBox>(MODE[n]); }
    bool Checked(int nId) { return IsChecked(edid, nId); }
    // The operator picks list item nIndex in input n's combo.
    void ChooseMode(int n, int nIndex) {
        QComboBox* pCombo = Combo(n);
        pCombo->setCurrentIndex(nIndex);
        emit pCombo->activated(nIndex);
    }
    bool OptionsVisible(int n, bool bVisible) {
        for (int nId : OptionIds(n)) {
            if (bool(edid.IsDlgItemVisible(nId)) != bVisible) return false;
        }
        return true;
    }
    QString Log() { return edid.GetDlgItemText(IDC_LOG); }
};

TEST_F(EdidConfigPage, InitControlsFillsEveryComboAndShowsWhatApplySends) {
    const QStringList modes = {"1080P",         "4K2K@30Hz",     "4K2K@60Hz (YC420)", "4K2K@60Hz (YC444)",
                               "Copy From TV1", "Copy From TV2", "Copy From TV3",     "Copy From TV4"};
    for (int n = 0; n < 4; ++n) {
        ASSERT_EQ(Combo(n)->count(), 8);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(Combo(n)->itemText(i), modes[i]);
        EXPECT_EQ(Combo(n)->currentIndex(), 1);
        EXPECT_EQ(g_EdidSetting[n].nMode, 1);
        EXPECT_TRUE(OptionsVisible(n, true));
    }
    g_bComConnected = 1;
    Click(edid, IDC_APPLY_4);
    EXPECT_EQ(frames, std::vector<std::string>{"@ W 08 01 00 #"});
}

TEST_F(EdidConfigPage, TooltipsOnThe3DAndDeepColourBoxesOnly) {
    EXPECT_EQ(edid.m_ToolTip.GetDelayTime(), 200u);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(edid.m_ToolTip.GetToolText(edid.GetDlgItem(THREE_D[n])), "Set 3D Video EDID");
        for (int nId : {BIT30[n], BIT36[n], BIT48[n]})
            EXPECT_EQ(edid.m_ToolTip.GetToolText(edid.GetDlgItem(nId)), "Set Video Deep Color");
        for (int nId : {HDR[n], AUDIO71[n], AUDIO51[n], AUDIO20[n]})
            EXPECT_EQ(edid.m_ToolTip.GetToolText(edid.GetDlgItem(nId)), "");
    }
}

TEST_F(EdidConfigPage, OptionsChangeOnlyTheStoredFlagsAndSendNothing) {
    g_bComConnected = 1;
    Click(edid, IDC_AUDIO71_1);  // 7.1 CH
    Click(edid, IDC_AUDIO51_1);  // 5.1 CH replaces it
    EXPECT_EQ(g_EdidSetting[0].nFlags & EDID_AUDIO_MASK, EDID_FLAG_AUDIO_51CH);
    Click(edid, IDC_30BIT_1);  // 30Bit
    Click(edid, IDC_48BIT_1);  // 48Bit
    EXPECT_EQ(g_EdidSetting[0].nFlags, EDID_FLAG_AUDIO_51CH | EDID_FLAG_DEEP_30BIT | EDID_FLAG_DEEP_48BIT);
    Click(edid, IDC_30BIT_1);  // 30Bit off again
    EXPECT_EQ(g_EdidSetting[0].nFlags, EDID_FLAG_AUDIO_51CH | EDID_FLAG_DEEP_48BIT);
    // Audio groups are per input: input 2's radio leaves input 1's alone.
    Click(edid, IDC_AUDIO20_2);
    EXPECT_TRUE(Checked(IDC_AUDIO51_1));
    EXPECT_EQ(g_EdidSetting[1].nFlags, EDID_FLAG_AUDIO_2CH);
    ChooseMode(2, 3);
    EXPECT_EQ(g_EdidSetting[2].nMode, 3);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(Log(), "");
}

TEST_F(EdidConfigPage, CopyFromTvHidesOptionsButKeepsAndSendsTheirBits) {
    g_bComConnected = 1;
    for (int nId : {IDC_3D_1, IDC_AUDIO71_1, IDC_30BIT_1, IDC_36BIT_1, IDC_48BIT_1, IDC_HDR_1}) Click(edid, nId);
    ChooseMode(0, 5);  // "Copy From TV2"
    EXPECT_TRUE(OptionsVisible(0, false));
    EXPECT_TRUE(OptionsVisible(1, true));
    for (int nId : {IDC_GROUP_1, IDC_MODE_LABEL_1, IDC_MODE_1, IDC_READ_1, IDC_APPLY_1})
        EXPECT_TRUE(edid.IsDlgItemVisible(nId)) << nId;
    Click(edid, IDC_APPLY_1);
    EXPECT_EQ(frames, std::vector<std::string>{"@ W 05 05 f9 #"});

    ChooseMode(0, 0);  // back to "1080P": same checks and radio as before
    EXPECT_TRUE(OptionsVisible(0, true));
    for (int nId : {IDC_3D_1, IDC_AUDIO71_1, IDC_30BIT_1, IDC_36BIT_1, IDC_48BIT_1, IDC_HDR_1})
        EXPECT_TRUE(Checked(nId)) << nId;
    EXPECT_EQ(g_EdidSetting[0].nFlags, 0xF9u);
}

TEST_F(EdidConfigPage, TypingIntoTheComboStoresNothing) {
    QLineEdit* pEdit = Combo(0)->lineEdit();
    ASSERT_NE(pEdit, nullptr);
    pEdit->selectAll();
    QTest::keyClicks(pEdit, "Copy From TV1");
    EXPECT_EQ(g_EdidSetting[0].nMode, 1);
    EXPECT_TRUE(OptionsVisible(0, true));
    EXPECT_EQ(Combo(0)->count(), 8);
}

TEST_F(EdidConfigPage, ReadDisablesItsOwnButtonApplyAllFourAndTimeoutEnablesAll) {
    g_bComConnected = 1;
    Click(edid, IDC_READ_2);  // Read 2
    EXPECT_EQ(frames, std::vector<std::string>{"@ R 06 #"});
    EXPECT_EQ(DisabledAmong(edid, kReadApply), std::vector<int>{IDC_READ_2});
    EXPECT_EQ(Log(), "Waiting...");
    EXPECT_EQ(edid.GetTimerInterval(1), 8000);

    Click(edid, IDC_APPLY_2);  // Apply 2
    EXPECT_EQ(DisabledAmong(edid, kReadApply),
              (std::vector<int>{IDC_APPLY_1, IDC_READ_2, IDC_APPLY_2, IDC_APPLY_3, IDC_APPLY_4}));
    EXPECT_EQ(frames.back(), "@ W 06 01 00 #");

    edid.OnTimer(1);
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    EXPECT_FALSE(edid.IsTimerRunning(1));
    EXPECT_EQ(Log(), "Set Fail! Waiting time out!");
}

// Over the network the acknowledgement of an Apply must not end the wait of
// a Read sent before its timer 2 fired; a repeat of it changes nothing.
TEST_F(EdidConfigPage, AcknowledgementOfOneApplyDoesNotEndTheWaitOfTheNext) {
    g_bNetConnected = 1;
    Click(edid, IDC_APPLY_1);
    Reply("@09 01#");
    EXPECT_EQ(edid.GetTimerInterval(2), 3000);
    Click(edid, IDC_READ_2);  // no answer to this one
    EXPECT_FALSE(edid.IsTimerRunning(2));
    EXPECT_EQ(edid.GetTimerInterval(1), 8000);
    EXPECT_EQ(Log(), "Waiting...");

    edid.OnTimer(1);
    EXPECT_EQ(Log(), "Set Fail! Waiting time out!");
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    Reply("@09 01#");
    EXPECT_FALSE(edid.IsTimerRunning(2));
    EXPECT_EQ(Log(), "Set Fail! Waiting time out!");
}

TEST_F(EdidConfigPage, WithoutLinkReadAndApplyOnlyReport) {
    Click(edid, IDC_READ_1);
    EXPECT_EQ(Log(), "Device is not connected!");
    Click(edid, IDC_APPLY_1);
    EXPECT_EQ(Log(), "Device is not connected!");
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    EXPECT_FALSE(edid.IsTimerRunning(1));
    EXPECT_TRUE(frames.empty());
}

TEST_F(EdidConfigPage, ReadReplyShowsOnlyItsInputWithAudioPriority) {
    g_bComConnected = 1;
    Click(edid, IDC_READ_3);
    Click(edid, IDC_AUDIO20_2);  // input 2: 2.0 CH, to see it untouched below
    Reply("@07 02 a5#");         // input 3: mode 2, 3D + 5.1 + 36Bit + HDR
    EXPECT_EQ(g_EdidSetting[2].nMode, 2);
    EXPECT_EQ(g_EdidSetting[2].nFlags, 0xA5u);
    EXPECT_EQ(Combo(2)->currentIndex(), 2);
    for (int nId : {IDC_3D_3, IDC_AUDIO51_3, IDC_36BIT_3, IDC_HDR_3}) EXPECT_TRUE(Checked(nId)) << nId;
    for (int nId : {IDC_30BIT_3, IDC_48BIT_3, IDC_AUDIO71_3, IDC_AUDIO20_3}) EXPECT_FALSE(Checked(nId)) << nId;
    EXPECT_EQ(Log(), "Load success!");
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    EXPECT_TRUE(Checked(IDC_AUDIO20_2));
    EXPECT_EQ(PortSetLog().size(), 0);  // the EDID log only

    Reply("@07 02 0e#");  // several audio bits: 2.0 wins
    EXPECT_TRUE(Checked(IDC_AUDIO20_3));
    Reply("@07 02 0c#");  // 5.1 over 7.1
    EXPECT_TRUE(Checked(IDC_AUDIO51_3));
    Reply("@07 02 00#");  // none: the radio keeps its choice, the flags hold none
    EXPECT_TRUE(Checked(IDC_AUDIO51_3));
    EXPECT_EQ(g_EdidSetting[2].nFlags, 0u);
}

TEST_F(EdidConfigPage, ModeOutsideTheListClearsTheComboHidesOptionsAndIsSentBack) {
    g_bComConnected = 1;
    Reply("@05 c8 10#");  // mode 200
    EXPECT_EQ(Combo(0)->currentIndex(), -1);
    EXPECT_TRUE(OptionsVisible(0, false));
    Click(edid, IDC_APPLY_1);
    EXPECT_EQ(frames.back(), "@ W 05 c8 10 #");
    for (int nBad : {-1, 4, 99}) edid.RefreshInput(nBad);  // ignored, no crash
    Reply("@05 07 00#");  // a valid mode again shows its item, options hidden (copy mode)
    EXPECT_EQ(Combo(0)->currentIndex(), 7);
    EXPECT_TRUE(OptionsVisible(0, false));
}

TEST_F(EdidConfigPage, LoadAllReplyRefreshesBothPagesAndEndsBothWaits) {
    g_bComConnected = 1;
    Click(edid, IDC_READ_1);
    Click(portSet, Dlg130::IDC_STATUS);
    // Routing 3,2,1,0; EDID modes 0..3 with flags 01, 02, 04, 08; a name.
    Reply("@0e 03 00 01 02 01 02 01 02 04 00 03 08 41 42 43 00 00 00 00 00 00 00 00 00 00 00 00 00#");
    for (int n = 0; n < 4; ++n) EXPECT_EQ(Combo(n)->currentIndex(), n) << n;
    EXPECT_TRUE(Checked(IDC_3D_1));
    EXPECT_TRUE(Checked(IDC_AUDIO20_2));
    EXPECT_TRUE(Checked(IDC_AUDIO51_3));
    EXPECT_TRUE(Checked(IDC_AUDIO71_4));
    EXPECT_EQ(portSet.GetDlgItemText(Dlg130::IDC_DISPLAY_1), "4");
    EXPECT_EQ(portSet.GetDlgItemText(Dlg130::IDC_DISPLAY_4), "1");
    EXPECT_EQ(Log(), "Load All config data success!");
    EXPECT_EQ(PortSetLog().last(), "Load All config data success!");
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    EXPECT_TRUE(portSet.IsDlgItemEnabled(Dlg130::IDC_STATUS));
}
