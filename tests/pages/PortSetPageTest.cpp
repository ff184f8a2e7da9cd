// Port Set page: routing, all outputs, Status, the wait and its timeouts,
// the log box, and replies through the decoder.
#include "tests/pages/PageFixture.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <malloc.h>

#include "tests/support/Wait.h"

using namespace Dlg130;

namespace {

const std::initializer_list<int> kCommandButtons = {
    IDC_OUT1_IN1, IDC_OUT1_IN2, IDC_OUT1_IN3, IDC_OUT1_IN4, IDC_OUT2_IN1, IDC_OUT2_IN2, IDC_OUT2_IN3,
    IDC_OUT2_IN4, IDC_OUT3_IN1, IDC_OUT3_IN2, IDC_OUT3_IN3, IDC_OUT3_IN4, IDC_OUT4_IN1, IDC_OUT4_IN2,
    IDC_OUT4_IN3, IDC_OUT4_IN4, IDC_STATUS,   IDC_ALL_IN1,  IDC_ALL_IN2,  IDC_ALL_IN3,  IDC_ALL_IN4};
const int kDisplays[] = {IDC_DISPLAY_1, IDC_DISPLAY_2, IDC_DISPLAY_3, IDC_DISPLAY_4, IDC_DISPLAY_ALL};

}  // namespace

using PortSetPage = PageFixture;

TEST_F(PortSetPage, RouteButtonOnSerialLinkSendsLogsAndDisablesItsRow) {
    g_bComConnected = 1;
    Click(portSet, IDC_OUT2_IN3);  // output 2, input 3

    EXPECT_EQ(frames, std::vector<std::string>{"@W 01 02#"});
    EXPECT_EQ(g_nOutputSource[1], 2);
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_2), "3");
    EXPECT_EQ(PortSetLog(), QStringList({"Set Input 3 to Output 2!", "Waiting..."}));
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons),
              (std::vector<int>{IDC_OUT2_IN1, IDC_OUT2_IN2, IDC_OUT2_IN3, IDC_OUT2_IN4}));
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
            Click(portSet, ROUTE[o][i]);
            const std::string strExpected = {'@', 'W', ' ', '0', char('0' + o), ' ', '0', char('0' + i), '#'};
            EXPECT_EQ(frames, std::vector<std::string>{strExpected});
            EXPECT_EQ(g_nOutputSource[o], i);
            EXPECT_EQ(portSet.GetDlgItemText(DISPLAY[o]), QString::number(i + 1));
            const QStringList log = PortSetLog();
            ASSERT_GE(log.size(), 2);
            EXPECT_EQ(log[log.size() - 2], QString("Set Input %1 to Output %2!").arg(i + 1).arg(o + 1));
            portSet.EndWait();
        }
    }
}

// Nothing is sent without a link, so no routing is shown or stored that the
// switcher never got; only the log says why.
TEST_F(PortSetPage, WithoutLinkNothingChangesButTheLog) {
    Reply("@04 01 02 00 03#");  // a routing reported earlier
    const QStringList aShown = {"2", "3", "1", "4", "1"};
    auto ExpectRoutingUnchanged = [&](const char* pszAfter) {
        for (int n = 0; n < 5; ++n) EXPECT_EQ(portSet.GetDlgItemText(kDisplays[n]), aShown[n]) << pszAfter;
        EXPECT_EQ(std::vector<int>(g_nOutputSource, g_nOutputSource + 4), (std::vector<int>{1, 2, 0, 3})) << pszAfter;
    };
    Click(portSet, IDC_OUT1_IN4);
    ExpectRoutingUnchanged("route");
    EXPECT_EQ(PortSetLog().mid(1), QStringList({"Device is not connected!"}));

    Click(portSet, IDC_ALL_IN3);
    ExpectRoutingUnchanged("Output All");
    EXPECT_EQ(PortSetLog().mid(1), QStringList(3, "Device is not connected!"));

    portSet.OnCommand(IDC_SEL_INPUT_2, BN_CLICKED);
    ExpectRoutingUnchanged("hidden radio");
    EXPECT_EQ(PortSetLog().mid(1), QStringList(4, "Device is not connected!"));

    Click(portSet, IDC_STATUS);
    EXPECT_EQ(PortSetLog().mid(1), QStringList(5, "Device is not connected!"));

    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_FALSE(portSet.IsTimerRunning(1));
}

TEST_F(PortSetPage, OutputAllButtonSendsTheAllOutputsFrameAndDisablesOnlyThatRow) {
    g_bComConnected = 1;
    Click(portSet, IDC_ALL_IN3);  // input 3
    EXPECT_EQ(frames, std::vector<std::string>{"@ W 04  02 02 02 02#"});
    EXPECT_EQ(PortSetLog(), QStringList({"Set Input 3 to All HDMI Output!", "Waiting..."}));
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons),
              (std::vector<int>{IDC_ALL_IN1, IDC_ALL_IN2, IDC_ALL_IN3, IDC_ALL_IN4}));
    for (int nId : kDisplays) EXPECT_EQ(portSet.GetDlgItemText(nId), "3") << nId;
}

TEST_F(PortSetPage, StatusOverNetworkDisablesOnlyStatusAndTheReplyShowsAllFour) {
    g_bNetConnected = 1;
    Click(portSet, IDC_STATUS);
    EXPECT_TRUE(frames.empty());  // not the serial link
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons), std::vector<int>{IDC_STATUS});
    EXPECT_EQ(PortSetLog(), QStringList({"Waiting..."}));

    Reply("@04 03 02 01 00#");
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_1), "4");
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_2), "3");
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_3), "2");
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_4), "1");
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_ALL), "1");  // the all-outputs display is the page's own
    EXPECT_EQ(PortSetLog(), QStringList({"Waiting...", "Load all ports success!"}));
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());

    g_bComConnected = 1;  // both links open: the serial link only
    Click(portSet, IDC_STATUS);
    EXPECT_EQ(frames, std::vector<std::string>{"@R 04 #"});
}

TEST_F(PortSetPage, TimeoutEndsTheWaitOnceAfterTheLastCommand) {
    g_bComConnected = 1;
    Click(portSet, IDC_OUT1_IN1);
    Click(portSet, IDC_OUT4_IN2);  // a second row while the first waits: restarts timer 1
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons),
              (std::vector<int>{IDC_OUT1_IN1, IDC_OUT1_IN2, IDC_OUT1_IN3, IDC_OUT1_IN4, IDC_OUT4_IN1, IDC_OUT4_IN2,
                                IDC_OUT4_IN3, IDC_OUT4_IN4}));
    EXPECT_EQ(portSet.GetTimerInterval(1), 8000);

    portSet.OnTimer(1);
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_FALSE(portSet.IsTimerRunning(1));
    EXPECT_EQ(PortSetLog(), QStringList({"Set Input 1 to Output 1!", "Waiting...", "Set Input 2 to Output 4!",
                                         "Waiting...", "Set Fail! Waiting time out!"}));
}

// Unconfirmed routing does not stay on the displays: a timeout brings back
// what they showed before the presses, or once the switcher has reported,
// its report.
TEST_F(PortSetPage, TimeoutPutsTheDisplaysBackToTheLastReportedRouting) {
    g_bComConnected = 1;
    Click(portSet, IDC_OUT2_IN3);
    Click(portSet, IDC_ALL_IN4);
    for (int nId : kDisplays) EXPECT_EQ(portSet.GetDlgItemText(nId), "4") << nId;
    portSet.OnTimer(1);
    for (int nId : kDisplays) EXPECT_EQ(portSet.GetDlgItemText(nId), "1") << nId;
    EXPECT_EQ(std::vector<int>(g_nOutputSource, g_nOutputSource + 4), (std::vector<int>{0, 0, 0, 0}));

    Click(portSet, IDC_STATUS);
    Reply("@04 03 02 01 00#");
    Click(portSet, IDC_OUT1_IN2);
    Click(portSet, IDC_ALL_IN3);
    portSet.OnTimer(1);
    const QStringList aReported = {"4", "3", "2", "1", "1"};
    for (int n = 0; n < 5; ++n) EXPECT_EQ(portSet.GetDlgItemText(kDisplays[n]), aReported[n]) << n;
    EXPECT_EQ(std::vector<int>(g_nOutputSource, g_nOutputSource + 4), (std::vector<int>{3, 2, 1, 0}));

    // An acknowledged route is the switcher's word too: it stays.
    Click(portSet, IDC_OUT3_IN4);
    Reply("@09 01#");
    Click(portSet, IDC_OUT4_IN4);
    portSet.OnTimer(1);
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_3), "4");
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_4), "1");
}

// A write acknowledgement ends both pages' waits: at once on the serial
// link; over the network "Set success!" shows at once and timer 2 (1000 ms
// here, 3000 ms on the EDID page) ends the wait.
TEST_F(PortSetPage, AcknowledgementEndsBothPagesWaitsAtOnceOnSerialThroughTimerTwoOnNetwork) {
    g_bComConnected = 1;
    Click(portSet, IDC_ALL_IN1);
    Click(edid, Dlg129::IDC_APPLY_1);
    Reply("@09 01#");
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_TRUE(edid.IsDlgItemEnabled(Dlg129::IDC_APPLY_1));
    EXPECT_EQ(PortSetLog().last(), "Set success!");
    EXPECT_EQ(edid.GetDlgItemText(Dlg129::IDC_LOG), "Set success!");

    g_bComConnected = 0;
    g_bNetConnected = 1;
    Click(portSet, IDC_ALL_IN1);
    Click(edid, Dlg129::IDC_APPLY_1);
    Reply("@09 00#");  // not an acknowledgement: nothing at all
    EXPECT_EQ(PortSetLog().last(), "Waiting...");
    Reply("@09 01#");
    EXPECT_EQ(PortSetLog().last(), "Set success!");
    EXPECT_EQ(edid.GetDlgItemText(Dlg129::IDC_LOG), "Set success!");
    EXPECT_EQ(DisabledAmong(portSet, kCommandButtons),
              (std::vector<int>{IDC_ALL_IN1, IDC_ALL_IN2, IDC_ALL_IN3, IDC_ALL_IN4}));
    EXPECT_FALSE(edid.IsDlgItemEnabled(Dlg129::IDC_APPLY_1));
    EXPECT_EQ(portSet.GetTimerInterval(2), 1000);
    EXPECT_EQ(edid.GetTimerInterval(2), 3000);

    const int nLines = PortSetLog().size();
    portSet.OnTimer(2);
    edid.OnTimer(2);
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_TRUE(edid.IsDlgItemEnabled(Dlg129::IDC_APPLY_1));
    for (CDialog* pPage : std::initializer_list<CDialog*>{&portSet, &edid}) {
        EXPECT_FALSE(pPage->IsTimerRunning(1));
        EXPECT_FALSE(pPage->IsTimerRunning(2));
    }
    EXPECT_EQ(PortSetLog().size(), nLines);
    EXPECT_EQ(edid.GetDlgItemText(Dlg129::IDC_LOG), "Set success!");
}

// Over the network the acknowledgement of one route must not end the wait
// of the next, whose datagram may be lost: the next wait stops timer 2, and
// when it times out only the acknowledged route stays.
TEST_F(PortSetPage, AcknowledgementOfOneRouteDoesNotEndTheWaitOfTheNext) {
    g_bNetConnected = 1;
    Click(portSet, IDC_OUT1_IN2);
    Reply("@09 01#");
    EXPECT_TRUE(portSet.IsTimerRunning(2));
    Click(portSet, IDC_OUT2_IN3);  // no answer to this one
    EXPECT_FALSE(portSet.IsTimerRunning(2));
    EXPECT_EQ(portSet.GetTimerInterval(1), 8000);

    portSet.OnTimer(1);
    EXPECT_EQ(PortSetLog().last(), "Set Fail! Waiting time out!");
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_1), "2");
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_2), "1");
    EXPECT_EQ(std::vector<int>(g_nOutputSource, g_nOutputSource + 4), (std::vector<int>{1, 0, 0, 0}));
}

// Over the network an acknowledgement that no command waits for changes
// nothing; during a wait only the first counts, so a stream of them from
// the switcher's address cannot hold the row disabled by restarting timer 2.
TEST_F(PortSetPage, AcknowledgementsThatNoCommandWaitsForChangeNothing) {
    g_bNetConnected = 1;
    Reply("@09 01#");
    EXPECT_FALSE(portSet.IsTimerRunning(2));
    EXPECT_FALSE(edid.IsTimerRunning(2));
    EXPECT_TRUE(PortSetLog().isEmpty());
    EXPECT_EQ(edid.GetDlgItemText(Dlg129::IDC_LOG), "");

    Click(portSet, IDC_OUT3_IN4);
    QTimer flood;
    flood.callOnTimeout([this] { Reply("@09 01#"); });
    flood.start(50);
    EXPECT_TRUE(WaitUntil([&] { return DisabledAmong(portSet, kCommandButtons).empty(); }, 5000));
    flood.stop();
    EXPECT_EQ(PortSetLog().count("Set success!"), 1);
    EXPECT_FALSE(PortSetLog().contains("Set Fail! Waiting time out!"));
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_3), "4");
    EXPECT_FALSE(edid.IsTimerRunning(2));  // that page waited for nothing
}

TEST_F(PortSetPage, OutOfRangeSourcesShowFourAndBadOutputsAreIgnored) {
    Reply("@02 07#");
    EXPECT_EQ(g_nOutputSource[2], 7);
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_3), "4");
    g_nOutputSource[0] = -5;
    portSet.ShowOutputSource(0);
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_1), "4");
    for (int nBad : {-1, 4, 200}) portSet.ShowOutputSource(nBad);
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_ALL), "1");
}

TEST_F(PortSetPage, HiddenSelInputRadiosSendAllOutputsWithoutLineOrDisabling) {
    g_bComConnected = 1;
    portSet.OnCommand(IDC_SEL_INPUT_2, BN_CLICKED);
    EXPECT_EQ(frames, std::vector<std::string>{"@ W 04  01 01 01 01#"});
    EXPECT_EQ(PortSetLog(), QStringList({"Waiting..."}));
    EXPECT_TRUE(DisabledAmong(portSet, kCommandButtons).empty());
    EXPECT_TRUE(portSet.IsTimerRunning(1));
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_ALL), "1");
    EXPECT_EQ(portSet.GetDlgItemText(IDC_DISPLAY_1), "2");
    EXPECT_EQ(portSet.m_nSelInput, 1);
    EXPECT_TRUE(portSet.GetItem<QAbstractButton>(IDC_SEL_INPUT_2)->isChecked());
    EXPECT_FALSE(portSet.IsDlgItemVisible(IDC_SEL_INPUT_2));

    Click(portSet, IDC_OUT2_IN1);  // a route clears the radio choice
    EXPECT_EQ(portSet.m_nSelInput, -1);
    EXPECT_FALSE(portSet.GetItem<QAbstractButton>(IDC_SEL_INPUT_2)->isChecked());

    g_bComConnected = 0;
    portSet.OnCommand(IDC_SEL_INPUT_1, BN_CLICKED);
    EXPECT_EQ(PortSetLog().last(), "Device is not connected!");
    EXPECT_EQ(PortSetLog().count("Device is not connected!"), 1);
}

TEST_F(PortSetPage, TypedLogTextSurvivesAppendsButNotARouteAndClearEmptiesTheBox) {
    auto* pLog = portSet.GetItem<QPlainTextEdit>(IDC_LOG);
    ASSERT_NE(pLog, nullptr);
    Click(portSet, IDC_STATUS);  // "Device is not connected!"
    pLog->moveCursor(QTextCursor::End);
    QTest::keyClicks(pLog, "note");
    Click(portSet, IDC_STATUS);
    EXPECT_EQ(PortSetLog(), QStringList({"Device is not connected!", "noteDevice is not connected!"}));

    // A route writes the stored members back before it logs: the typed text goes.
    g_bComConnected = 1;
    Click(portSet, IDC_OUT1_IN1);
    pLog->moveCursor(QTextCursor::End);
    QTest::keyClicks(pLog, "typed");
    Click(portSet, IDC_OUT2_IN2);
    EXPECT_FALSE(portSet.GetDlgItemText(IDC_LOG).contains("typed"));
    EXPECT_EQ(PortSetLog().size(), 6);

    Click(portSet, IDC_CLEAR);
    EXPECT_EQ(portSet.GetDlgItemText(IDC_LOG), "");
    EXPECT_TRUE(portSet.m_strLog.isEmpty());
}

// Once full, the log's memory stays put: the lines it drops are freed, not
// kept for an undo (which cost about 130 bytes a line of this length).
TEST_F(PortSetPage, FullLogFreesTheLinesItDrops) {
    const QString strLine = QStringLiteral("The switcher on COM1 has not answered (wrong port or cable?) %1");
    int n = 0;
    // Events run every 100 lines, as a running event loop would run them:
    // the box's posted updates would pile up otherwise.
    auto AppendAsTheWindowWould = [&](const QString& strText) {
        portSet.AppendLog(strText);
        if (n % 100 == 0) QCoreApplication::processEvents();
    };
    while (n < CPortSetPage::MAX_LOG_LINES + 2000) AppendAsTheWindowWould(strLine.arg(n++));
    const size_t nBefore = mallinfo2().uordblks;  // heap in use
    constexpr int MORE_LINES = 20000;
    for (int i = 0; i < MORE_LINES; ++i) AppendAsTheWindowWould(strLine.arg(n++));
    const size_t nAfter = mallinfo2().uordblks;
    EXPECT_LE(PortSetLog().size(), CPortSetPage::MAX_LOG_LINES);
    // The log's own text is the same size as before; what may remain is the
    // text document's garbage before it collects it (under 200 KB).
    EXPECT_LT(nAfter, nBefore + 1'000'000) << "grew by " << (nAfter - nBefore) / MORE_LINES << " bytes a line";
}

// A long session keeps the log bounded: past MAX_LOG_LINES the oldest lines
// go, down to KEEP_LOG_LINES; box and member stay the same text, and typed
// text still stays until a route.
TEST_F(PortSetPage, LogKeepsOnlyTheLastLines) {
    constexpr int nMax = CPortSetPage::MAX_LOG_LINES;
    constexpr int nKeep = CPortSetPage::KEEP_LOG_LINES;
    auto Line = [](int n) { return QString("line %1").arg(n); };
    for (int n = 1; n <= nMax; ++n) portSet.AppendLog(Line(n));
    EXPECT_EQ(PortSetLog().size(), nMax);
    portSet.AppendLog(Line(nMax + 1));
    QStringList log = PortSetLog();
    ASSERT_EQ(log.size(), nKeep);
    EXPECT_EQ(log.first(), Line(nMax + 2 - nKeep));
    EXPECT_EQ(log.last(), Line(nMax + 1));
    EXPECT_EQ(portSet.m_strLog, portSet.GetDlgItemText(IDC_LOG));
    EXPECT_EQ(portSet.GetItem<QPlainTextEdit>(IDC_LOG)->toPlainText(), QString(portSet.m_strLog).replace("\r\n", "\n"));

    auto* pLog = portSet.GetItem<QPlainTextEdit>(IDC_LOG);
    pLog->moveCursor(QTextCursor::End);
    QTest::keyClicks(pLog, "note ");
    portSet.AppendLog(Line(nMax + 2));
    EXPECT_EQ(PortSetLog().last(), "note " + Line(nMax + 2));
    for (int n = nMax + 3; n <= 2 * nMax; ++n) portSet.AppendLog(Line(n));
    log = PortSetLog();
    EXPECT_LE(log.size(), nMax);
    EXPECT_GE(log.size(), nKeep);
    EXPECT_EQ(log.last(), Line(2 * nMax));
    portSet.UpdateData(TRUE);
    EXPECT_EQ(portSet.m_strLog, portSet.GetDlgItemText(IDC_LOG));
}
