// Port Set page: routing, all outputs, Status, the wait and its timeouts,
// the log box, and replies through the decoder.
#include "PageFixture.h"

#include <QPlainTextEdit>

namespace {

const std::initializer_list<int> kCommandButtons = {1003, 1004, 1005, 1006, 1008, 1009, 1010, 1011, 1013, 1014, 1015,
                                                    1016, 1018, 1019, 1020, 1021, 1023, 1024, 1030, 1031, 1032};
const int kDisplays[] = {1007, 1012, 1017, 1022, 1033};

}  // namespace

using PortSetPage = PageFixture;

TEST_F(PortSetPage, RouteButtonOnSerialLinkSendsLogsAndDisablesItsRow) {
    g_bComConnected = 1;
    Click(portSet, 1010);  // output 2, input 3

    EXPECT_EQ(frames, std::vector<std::string>{"@W 01 02#"});
    EXPECT_EQ(g_nOutputSource[1], 2);
    EXPECT_EQ(portSet.GetDlgItemText(1012), "3");
    EXPECT_EQ(PortSetLog(), QStringList({"Set Input 3 to Output 2!", "Waiting..."}));
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons), (std::vector<int>{1008, 1009, 1010, 1011}));
    EXPECT_TRUE(portSet.IsTimerRunning(1));
    EXPECT_EQ(portSet.GetTimerInterval(1), 8000);

    Reply("@01 02#");  // the switcher echoes the register: wait ends, no line
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_FALSE(portSet.IsTimerRunning(1));
    EXPECT_EQ(PortSetLog().size(), 2);
}

TEST_F(PortSetPage, EverySixteenRouteButtonsMapToTheirOutputAndInput) {
    g_bComConnected = 1;
    for (int o = 0; o < 4; ++o) {
        for (int i = 0; i < 4; ++i) {
            frames.clear();
            Click(portSet, 1003 + 5 * o + i);
            const std::string strExpected = {'@', 'W', ' ', '0', char('0' + o), ' ', '0', char('0' + i), '#'};
            EXPECT_EQ(frames, std::vector<std::string>{strExpected});
            EXPECT_EQ(g_nOutputSource[o], i);
            EXPECT_EQ(portSet.GetDlgItemText(1007 + 5 * o), QString::number(i + 1));
            const QStringList log = PortSetLog();
            ASSERT_GE(log.size(), 2);
            EXPECT_EQ(log[log.size() - 2], QString("Set Input %1 to Output %2!").arg(i + 1).arg(o + 1));
            portSet.EndWait();
        }
    }
}

TEST_F(PortSetPage, WithoutLinkRoutingStaysOptimisticAndNothingWaits) {
    Click(portSet, 1004);  // output 1, input 2
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(g_nOutputSource[0], 1);
    EXPECT_EQ(portSet.GetDlgItemText(1007), "2");
    EXPECT_EQ(PortSetLog(), QStringList({"Device is not connected!"}));

    Click(portSet, 1032);  // Output All, input 4
    EXPECT_EQ(PortSetLog(),
              QStringList({"Device is not connected!", "Device is not connected!", "Device is not connected!"}));
    for (int nId : kDisplays) EXPECT_EQ(portSet.GetDlgItemText(nId), "4") << nId;
    for (int n = 0; n < 4; ++n) EXPECT_EQ(g_nOutputSource[n], 3);

    Click(portSet, 1023);  // Status
    EXPECT_EQ(PortSetLog().size(), 4);
    EXPECT_EQ(PortSetLog().last(), "Device is not connected!");

    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_FALSE(portSet.IsTimerRunning(1));
}

TEST_F(PortSetPage, OutputAllButtonSendsTheAllOutputsFrameAndDisablesOnlyThatRow) {
    g_bComConnected = 1;
    Click(portSet, 1031);  // input 3
    EXPECT_EQ(frames, std::vector<std::string>{"@ W 04  02 02 02 02#"});
    EXPECT_EQ(PortSetLog(), QStringList({"Set Input 3 to All HDMI Output!", "Waiting..."}));
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons), (std::vector<int>{1024, 1030, 1031, 1032}));
    for (int nId : kDisplays) EXPECT_EQ(portSet.GetDlgItemText(nId), "3") << nId;
}

TEST_F(PortSetPage, StatusOverNetworkDisablesOnlyStatusAndTheReplyShowsAllFour) {
    g_bNetConnected = 1;
    Click(portSet, 1023);
    EXPECT_TRUE(frames.empty());  // not the serial link
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons), std::vector<int>{1023});
    EXPECT_EQ(PortSetLog(), QStringList({"Waiting..."}));

    Reply("@04 03 02 01 00#");
    EXPECT_EQ(portSet.GetDlgItemText(1007), "4");
    EXPECT_EQ(portSet.GetDlgItemText(1012), "3");
    EXPECT_EQ(portSet.GetDlgItemText(1017), "2");
    EXPECT_EQ(portSet.GetDlgItemText(1022), "1");
    EXPECT_EQ(portSet.GetDlgItemText(1033), "1");  // the all-outputs display is the page's own
    EXPECT_EQ(PortSetLog(), QStringList({"Waiting...", "Load all ports success!"}));
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());

    g_bComConnected = 1;  // both links open: the serial link only
    Click(portSet, 1023);
    EXPECT_EQ(frames, std::vector<std::string>{"@R 04 #"});
}

TEST_F(PortSetPage, TimeoutEndsTheWaitOnceAfterTheLastCommand) {
    g_bComConnected = 1;
    Click(portSet, 1003);
    Click(portSet, 1019);  // a second row while the first waits: restarts timer 1
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons),
              (std::vector<int>{1003, 1004, 1005, 1006, 1018, 1019, 1020, 1021}));
    EXPECT_EQ(portSet.GetTimerInterval(1), 8000);

    portSet.OnTimer(1);
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_FALSE(portSet.IsTimerRunning(1));
    EXPECT_EQ(PortSetLog(), QStringList({"Set Input 1 to Output 1!", "Waiting...", "Set Input 2 to Output 4!",
                                         "Waiting...", "Set Fail! Waiting time out!"}));
    // The displays keep the optimistic values.
    EXPECT_EQ(portSet.GetDlgItemText(1007), "1");
    EXPECT_EQ(portSet.GetDlgItemText(1022), "2");
}

// A write acknowledgement ends both pages' waits: at once on the serial
// link; over the network "Set success!" shows at once and timer 2 (1000 ms
// here, 3000 ms on the EDID page) ends the wait.
TEST_F(PortSetPage, AcknowledgementEndsBothPagesWaitsAtOnceOnSerialThroughTimerTwoOnNetwork) {
    g_bComConnected = 1;
    Click(portSet, 1024);
    Click(edid, 1001);
    Reply("@09 01#");
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_TRUE(edid.IsDlgItemEnabled(1001));
    EXPECT_EQ(PortSetLog().last(), "Set success!");
    EXPECT_EQ(edid.GetDlgItemText(1069), "Set success!");

    g_bComConnected = 0;
    g_bNetConnected = 1;
    Click(portSet, 1024);
    Click(edid, 1001);
    Reply("@09 00#");  // not an acknowledgement: nothing at all
    EXPECT_EQ(PortSetLog().last(), "Waiting...");
    Reply("@09 01#");
    EXPECT_EQ(PortSetLog().last(), "Set success!");
    EXPECT_EQ(edid.GetDlgItemText(1069), "Set success!");
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons), (std::vector<int>{1024, 1030, 1031, 1032}));
    EXPECT_FALSE(edid.IsDlgItemEnabled(1001));
    EXPECT_EQ(portSet.GetTimerInterval(2), 1000);
    EXPECT_EQ(edid.GetTimerInterval(2), 3000);

    const int nLines = PortSetLog().size();
    portSet.OnTimer(2);
    edid.OnTimer(2);
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_TRUE(edid.IsDlgItemEnabled(1001));
    for (CDialog* pPage : std::initializer_list<CDialog*>{&portSet, &edid}) {
        EXPECT_FALSE(pPage->IsTimerRunning(1));
        EXPECT_FALSE(pPage->IsTimerRunning(2));
    }
    EXPECT_EQ(PortSetLog().size(), nLines);
    EXPECT_EQ(edid.GetDlgItemText(1069), "Set success!");
}

TEST_F(PortSetPage, OutOfRangeSourcesShowFourAndBadOutputsAreIgnored) {
    Reply("@02 07#");
    EXPECT_EQ(g_nOutputSource[2], 7);
    EXPECT_EQ(portSet.GetDlgItemText(1017), "4");
    g_nOutputSource[0] = -5;
    portSet.ShowOutputSource(0);
    EXPECT_EQ(portSet.GetDlgItemText(1007), "4");
    for (int nBad : {-1, 4, 200}) portSet.ShowOutputSource(nBad);
    EXPECT_EQ(portSet.GetDlgItemText(1033), "1");
}

TEST_F(PortSetPage, HiddenSelInputRadiosSendAllOutputsWithoutLineOrDisabling) {
    g_bComConnected = 1;
    portSet.OnCommand(1026, BN_CLICKED);
    EXPECT_EQ(frames, std::vector<std::string>{"@ W 04  01 01 01 01#"});
    EXPECT_EQ(PortSetLog(), QStringList({"Waiting..."}));
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_TRUE(portSet.IsTimerRunning(1));
    EXPECT_EQ(portSet.GetDlgItemText(1033), "1");
    EXPECT_EQ(portSet.GetDlgItemText(1007), "2");
    EXPECT_EQ(portSet.m_nSelInput, 1);
    EXPECT_TRUE(portSet.GetItem<QAbstractButton>(1026)->isChecked());
    EXPECT_FALSE(portSet.IsDlgItemVisible(1026));

    Click(portSet, 1008);  // a route clears the radio choice
    EXPECT_EQ(portSet.m_nSelInput, -1);
    EXPECT_FALSE(portSet.GetItem<QAbstractButton>(1026)->isChecked());

    g_bComConnected = 0;
    portSet.OnCommand(1025, BN_CLICKED);
    EXPECT_EQ(PortSetLog().last(), "Device is not connected!");
    EXPECT_EQ(PortSetLog().count("Device is not connected!"), 1);
}

TEST_F(PortSetPage, TypedLogTextSurvivesAppendsButNotARouteAndClearEmptiesTheBox) {
    auto* pLog = portSet.GetItem<QPlainTextEdit>(1042);
    ASSERT_NE(pLog, nullptr);
    Click(portSet, 1023);  // "Device is not connected!"
    pLog->moveCursor(QTextCursor::End);
    QTest::keyClicks(pLog, "note");
    Click(portSet, 1023);
    EXPECT_EQ(PortSetLog(), QStringList({"Device is not connected!", "noteDevice is not connected!"}));

    // A route writes the stored members back before it logs: the typed text goes.
    Click(portSet, 1003);
    pLog->moveCursor(QTextCursor::End);
    QTest::keyClicks(pLog, "typed");
    Click(portSet, 1004);
    EXPECT_FALSE(portSet.GetDlgItemText(1042).contains("typed"));
    EXPECT_EQ(PortSetLog().size(), 4);

    Click(portSet, 1034);
    EXPECT_EQ(portSet.GetDlgItemText(1042), "");
    EXPECT_TRUE(portSet.m_strLog.isEmpty());
}

