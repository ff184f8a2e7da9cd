// EDID Config page: modes and option bits into g_EdidSetting, Read and Apply
// with their waits, and read or load-all replies shown on the controls.
#include "PageFixture.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

struct InputIds {
    int nCombo, nRead, nApply, nHdr, n3D, n30, n36, n48, n71, n51, n20;
};
const InputIds kInput[4] = {
    {1000, 1002, 1001, 1092, 1036, 1057, 1058, 1059, 1033, 1034, 1035},
    {1003, 1005, 1004, 1093, 1044, 1060, 1061, 1062, 1041, 1042, 1043},
    {1006, 1008, 1007, 1094, 1050, 1063, 1064, 1065, 1047, 1048, 1049},
    {1009, 1011, 1010, 1095, 1056, 1066, 1067, 1068, 1053, 1054, 1055},
};
const std::initializer_list<int> kReadApply = {1002, 1001, 1005, 1004, 1008, 1007, 1011, 1010};

std::vector<int> OptionIds(int n) {
    const InputIds& ids = kInput[n];
    return {ids.nHdr, ids.n3D, ids.n71, ids.n51, ids.n20, ids.n30, ids.n36, ids.n48};
}

}  // namespace

class EdidConfigPage : public PageFixture {
protected:
    QComboBox* Combo(int n) { return edid.GetItem<QComboBox>(kInput[n].nCombo); }
    bool Checked(int nId) { return edid.GetItem<QAbstractButton>(nId)->isChecked(); }
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
    QString Log() { return edid.GetDlgItemText(1069); }
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
    Click(edid, 1010);
    EXPECT_EQ(frames, std::vector<std::string>{"@ W 08 01 00 #"});
}

TEST_F(EdidConfigPage, TooltipsOnThe3DAndDeepColourBoxesOnly) {
    EXPECT_EQ(edid.m_ToolTip.GetDelayTime(), 200u);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(edid.m_ToolTip.GetToolText(edid.GetDlgItem(kInput[n].n3D)), "Set 3D Video EDID");
        for (int nId : {kInput[n].n30, kInput[n].n36, kInput[n].n48})
            EXPECT_EQ(edid.m_ToolTip.GetToolText(edid.GetDlgItem(nId)), "Set Video Deep Color");
        for (int nId : {kInput[n].nHdr, kInput[n].n71, kInput[n].n51, kInput[n].n20})
            EXPECT_EQ(edid.m_ToolTip.GetToolText(edid.GetDlgItem(nId)), "");
    }
}

TEST_F(EdidConfigPage, OptionsChangeOnlyTheStoredFlagsAndSendNothing) {
    g_bComConnected = 1;
    Click(edid, 1033);  // 7.1 CH
    Click(edid, 1034);  // 5.1 CH replaces it
    EXPECT_EQ(g_EdidSetting[0].nFlags & EDID_AUDIO_MASK, EDID_FLAG_AUDIO_51CH);
    Click(edid, 1057);  // 30Bit
    Click(edid, 1059);  // 48Bit
    EXPECT_EQ(g_EdidSetting[0].nFlags, EDID_FLAG_AUDIO_51CH | EDID_FLAG_DEEP_30BIT | EDID_FLAG_DEEP_48BIT);
    Click(edid, 1057);  // 30Bit off again
    EXPECT_EQ(g_EdidSetting[0].nFlags, EDID_FLAG_AUDIO_51CH | EDID_FLAG_DEEP_48BIT);
    // Audio groups are per input: input 2's radio leaves input 1's alone.
    Click(edid, 1043);
    EXPECT_TRUE(Checked(1034));
    EXPECT_EQ(g_EdidSetting[1].nFlags, EDID_FLAG_AUDIO_2CH);
    ChooseMode(2, 3);
    EXPECT_EQ(g_EdidSetting[2].nMode, 3);
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(Log(), "");
}

TEST_F(EdidConfigPage, CopyFromTvHidesOptionsButKeepsAndSendsTheirBits) {
    g_bComConnected = 1;
    for (int nId : {1036, 1033, 1057, 1058, 1059, 1092}) Click(edid, nId);
    ChooseMode(0, 5);  // "Copy From TV2"
    EXPECT_TRUE(OptionsVisible(0, false));
    EXPECT_TRUE(OptionsVisible(1, true));
    for (int nId : {1038, 1037, 1000, 1002, 1001}) EXPECT_TRUE(edid.IsDlgItemVisible(nId)) << nId;
    Click(edid, 1001);
    EXPECT_EQ(frames, std::vector<std::string>{"@ W 05 05 f9 #"});

    ChooseMode(0, 0);  // back to "1080P": same checks and radio as before
    EXPECT_TRUE(OptionsVisible(0, true));
    for (int nId : {1036, 1033, 1057, 1058, 1059, 1092}) EXPECT_TRUE(Checked(nId)) << nId;
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
    Click(edid, 1005);  // Read 2
    EXPECT_EQ(frames, std::vector<std::string>{"@ R 06 #"});
    EXPECT_EQ(DisabledAmong(edid, kReadApply), std::vector<int>{1005});
    EXPECT_EQ(Log(), "Waiting...");
    EXPECT_EQ(edid.GetTimerInterval(1), 8000);

    Click(edid, 1004);  // Apply 2
    EXPECT_EQ(DisabledAmong(edid, kReadApply), (std::vector<int>{1001, 1005, 1004, 1007, 1010}));
    EXPECT_EQ(frames.back(), "@ W 06 01 00 #");

    edid.OnTimer(1);
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    EXPECT_FALSE(edid.IsTimerRunning(1));
    EXPECT_EQ(Log(), "Set Fail! Waiting time out!");
}

TEST_F(EdidConfigPage, WithoutLinkReadAndApplyOnlyReport) {
    Click(edid, 1002);
    EXPECT_EQ(Log(), "Device is not connected!");
    Click(edid, 1001);
    EXPECT_EQ(Log(), "Device is not connected!");
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    EXPECT_FALSE(edid.IsTimerRunning(1));
    EXPECT_TRUE(frames.empty());
}

TEST_F(EdidConfigPage, ReadReplyShowsOnlyItsInputWithAudioPriority) {
    g_bComConnected = 1;
    Click(edid, 1008);
    Click(edid, 1043);           // input 2: 2.0 CH, to see it untouched below
    Reply("@07 02 a5#");         // input 3: mode 2, 3D + 5.1 + 36Bit + HDR
    EXPECT_EQ(g_EdidSetting[2].nMode, 2);
    EXPECT_EQ(g_EdidSetting[2].nFlags, 0xA5u);
    EXPECT_EQ(Combo(2)->currentIndex(), 2);
    for (int nId : {1050, 1048, 1064, 1094}) EXPECT_TRUE(Checked(nId)) << nId;
    for (int nId : {1063, 1065, 1047, 1049}) EXPECT_FALSE(Checked(nId)) << nId;
    EXPECT_EQ(Log(), "Load success!");
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    EXPECT_TRUE(Checked(1043));
    EXPECT_EQ(PortSetLog().size(), 0);  // the EDID log only

    Reply("@07 02 0e#");  // several audio bits: 2.0 wins
    EXPECT_TRUE(Checked(1049));
    Reply("@07 02 0c#");  // 5.1 over 7.1
    EXPECT_TRUE(Checked(1048));
    Reply("@07 02 00#");  // none: the radio keeps its choice, the flags hold none
    EXPECT_TRUE(Checked(1048));
    EXPECT_EQ(g_EdidSetting[2].nFlags, 0u);
}

TEST_F(EdidConfigPage, ModeOutsideTheListClearsTheComboHidesOptionsAndIsSentBack) {
    g_bComConnected = 1;
    Reply("@05 c8 10#");  // mode 200
    EXPECT_EQ(Combo(0)->currentIndex(), -1);
    EXPECT_TRUE(OptionsVisible(0, false));
    Click(edid, 1001);
    EXPECT_EQ(frames.back(), "@ W 05 c8 10 #");
    for (int nBad : {-1, 4, 99}) edid.RefreshInput(nBad);  // ignored, no crash
    Reply("@05 07 00#");  // a valid mode again shows its item, options hidden (copy mode)
    EXPECT_EQ(Combo(0)->currentIndex(), 7);
    EXPECT_TRUE(OptionsVisible(0, false));
}

TEST_F(EdidConfigPage, LoadAllReplyRefreshesBothPagesAndEndsBothWaits) {
    g_bComConnected = 1;
    Click(edid, 1002);
    Click(portSet, 1023);
    // Routing 3,2,1,0; EDID modes 0..3 with flags 01, 02, 04, 08; a name.
    Reply("@0e 03 00 01 02 01 02 01 02 04 00 03 08 41 42 43 00 00 00 00 00 00 00 00 00 00 00 00 00#");
    for (int n = 0; n < 4; ++n) EXPECT_EQ(Combo(n)->currentIndex(), n) << n;
    EXPECT_TRUE(Checked(1036));
    EXPECT_TRUE(Checked(1043));
    EXPECT_TRUE(Checked(1048));
    EXPECT_TRUE(Checked(1053));
    EXPECT_EQ(portSet.GetDlgItemText(1007), "4");
    EXPECT_EQ(portSet.GetDlgItemText(1022), "1");
    EXPECT_EQ(Log(), "Load All config data success!");
    EXPECT_EQ(PortSetLog().last(), "Load All config data success!");
    EXPECT_TRUE(DisabledAmong(edid, kReadApply).empty());
    EXPECT_TRUE(portSet.IsDlgItemEnabled(1023));
}
