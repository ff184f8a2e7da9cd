#include "pages/PortSetPage.h"

#include <QFont>

#include "link/CommandFrames.h"
#include "framework/DataExchange.h"
#include "link/DeviceState.h"
#include "resources/Dialogs.h"
#include "resources/Dlg130_PortSetIds.h"
#include "pages/IdIndex.h"
#include "link/SendPath.h"

using namespace Dlg130;

CPortSetPage g_PortSetPage;

namespace {

constexpr int ROW_ALL = 4;

// The 21 command buttons in the order EndWait goes through them.
constexpr int kCommandButtons[] = {IDC_OUT1_IN1, IDC_OUT1_IN2, IDC_OUT1_IN3, IDC_OUT1_IN4, IDC_OUT2_IN1, IDC_OUT2_IN2,
                                   IDC_OUT2_IN3, IDC_OUT2_IN4, IDC_OUT3_IN1, IDC_OUT3_IN2, IDC_OUT3_IN3, IDC_OUT3_IN4,
                                   IDC_OUT4_IN1, IDC_OUT4_IN2, IDC_OUT4_IN3, IDC_OUT4_IN4, IDC_STATUS,   IDC_ALL_IN1,
                                   IDC_ALL_IN2,  IDC_ALL_IN3,  IDC_ALL_IN4};

constexpr UINT TIMER_WAIT = 1;  // no answer within WAIT_MS
constexpr UINT TIMER_ACK = 2;   // network acknowledgement: the wait ends ACK_MS later
constexpr UINT WAIT_MS = 8000;
constexpr UINT ACK_MS = 1000;

QString InputDigit(int nIndex) { return QString::number(nIndex + 1); }

}  // namespace

CPortSetPage::CPortSetPage() : CDialog(IDD_PORT_SET_PAGE) {}
CPortSetPage::~CPortSetPage() = default;

void CPortSetPage::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_LOG, m_editLog);
    DDX_Text(pDX, IDC_STATUS_TEXT, m_strStatus);
    DDX_Radio(pDX, IDC_SEL_INPUT_1, m_nSelInput);
    DDX_Text(pDX, IDC_LOG, m_strLog);
}

void CPortSetPage::InitControls() {
    // Bold, 46 px high. The face is SimSun where installed, else the first
    // CJK face present; the displays only ever show one digit.
    m_pFontDisplay = std::make_unique<QFont>();
    m_pFontDisplay->setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                                 QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")});
    m_pFontDisplay->setStyleHint(QFont::SansSerif);
    m_pFontDisplay->setPixelSize(46);
    m_pFontDisplay->setWeight(QFont::Bold);
    for (int nId : DISPLAY) {
        if (QWidget* pDisplay = GetDlgItem(nId)) pDisplay->setFont(*m_pFontDisplay);
    }
    if (QWidget* pDisplay = GetDlgItem(IDC_DISPLAY_ALL)) pDisplay->setFont(*m_pFontDisplay);
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) ShowOutputSource(nOutput);
    SettleRouting();
}

void CPortSetPage::ShowOutputSource(int nOutput) {
    if (nOutput < 0 || nOutput >= OUTPUT_COUNT) return;
    const int nSource = g_nOutputSource[nOutput];
    // Anything the switcher reports above input 3 (or below 0) shows as "4".
    const QString strDigit = (nSource >= 0 && nSource <= 2) ? InputDigit(nSource) : QStringLiteral("4");
    SetDlgItemText(DISPLAY[nOutput], strDigit);
}

void CPortSetPage::OnCommand(int nId, int nNotify) {
    if (nNotify != BN_CLICKED) return;
    if (nId == IDC_STATUS) return OnStatus();
    if (nId == IDC_CLEAR) return OnClear();
    int n;
    if ((n = IndexOfId(SEL_INPUT, nId)) >= 0) return OnSelInputRadio(n);
    if ((n = IndexOfId(ALL, nId)) >= 0) return OnOutputAllButton(n);
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) {
        if ((n = IndexOfId(ROUTE[nOutput], nId)) >= 0) return OnRouteButton(nOutput, n);
    }
}

void CPortSetPage::OnTimer(UINT nIdEvent) {
    if (nIdEvent == TIMER_WAIT) {
        // Nothing confirmed the routing shown since the last report: show
        // the reported one again.
        RestoreRouting();
        StopWaiting();
        AppendLog(QStringLiteral("Set Fail! Waiting time out!"));
    } else if (nIdEvent == TIMER_ACK) {
        EndWait();
    }
}

// Only the first acknowledgement of a wait counts: later ones would keep
// restarting timer 2 and hold the buttons disabled. What it confirms is
// settled at once, since a command sent before timer 2 fires stops it.
void CPortSetPage::StartAckTimer() {
    if (!m_bAckDue) return;
    m_bAckDue = false;
    SettleRouting();
    SetTimer(TIMER_ACK, ACK_MS);
}

void CPortSetPage::OnStatus() {
    if (!IsLinkOpen()) {
        AppendLog(QStringLiteral("Device is not connected!"));
        return;
    }
    // Disabled and waiting before the frame leaves, so that no reply can
    // arrive before the wait has begun.
    EnableDlgItem(IDC_STATUS, FALSE);
    StartWait();
    SendCommand(Frames::Status());
}

// Without a link nothing is sent, so nothing changes but the log.
void CPortSetPage::OnRouteButton(int nOutput, int nInput) {
    if (!IsLinkOpen()) {
        AppendLog(QStringLiteral("Device is not connected!"));
        return;
    }
    RouteOutput(nOutput, nInput);
    AppendLog(QStringLiteral("Set Input ") + InputDigit(nInput) + QStringLiteral(" to Output ") + InputDigit(nOutput) +
              QStringLiteral("!"));
    DisableRow(nOutput);
    StartWait();
}

void CPortSetPage::OnOutputAllButton(int nInput) {
    if (!SendAllOutputs(nInput)) {
        // SendAllOutputs already wrote it once; the operator sees it twice.
        AppendLog(QStringLiteral("Device is not connected!"));
        return;
    }
    SetDlgItemText(IDC_DISPLAY_ALL, InputDigit(nInput));
    AppendLog(QStringLiteral("Set Input ") + InputDigit(nInput) + QStringLiteral(" to All HDMI Output!"));
    DisableRow(ROW_ALL);
    StartWait();
}

// The hidden "Sel Input" radios: all outputs from one input, no line of
// their own, nothing disabled, display IDC_DISPLAY_ALL untouched.
void CPortSetPage::OnSelInputRadio(int nInput) {
    m_nSelInput = nInput;
    SendAllOutputs(nInput);
    StartWait();
}

void CPortSetPage::OnClear() {
    m_strLog.clear();
    UpdateData(FALSE);
}

void CPortSetPage::RouteOutput(int nOutput, int nInput) {
    g_nOutputSource[nOutput] = nInput;
    ShowOutputSource(nOutput);
    SendRoute(nOutput, nInput);
}

void CPortSetPage::SendRoute(int nOutput, int nInput) {
    SendCommand(Frames::Route(nOutput, nInput));
    m_nSelInput = -1;
    UpdateData(FALSE);
}

bool CPortSetPage::SendAllOutputs(int nInput) {
    if (!SendCommand(Frames::AllOutputs(nInput))) {
        AppendLog(QStringLiteral("Device is not connected!"));
        return false;
    }
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) g_nOutputSource[nOutput] = nInput;
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) ShowOutputSource(nOutput);
    UpdateData(FALSE);
    return true;
}

// A new command waits for its own answer: an acknowledgement timer still
// running for the one before must not end this wait.
void CPortSetPage::StartWait() {
    if (!IsLinkOpen()) return;
    KillTimer(TIMER_ACK);
    m_bAckDue = true;
    SetTimer(TIMER_WAIT, WAIT_MS);
    AppendLog(QStringLiteral("Waiting..."));
}

void CPortSetPage::DisableRow(int nRow) {
    if (nRow == ROW_ALL) {
        for (int nId : ALL) EnableDlgItem(nId, FALSE);
        return;
    }
    if (nRow < 0 || nRow >= OUTPUT_COUNT) return;
    for (int nId : ROUTE[nRow]) EnableDlgItem(nId, FALSE);
}

// Called when the switcher answered: what the displays show now is what it
// reported or acknowledged.
void CPortSetPage::EndWait() {
    SettleRouting();
    StopWaiting();
}

void CPortSetPage::StopWaiting() {
    for (int nId : kCommandButtons) {
        if (!IsDlgItemEnabled(nId)) EnableDlgItem(nId, TRUE);
    }
    KillTimer(TIMER_WAIT);
    KillTimer(TIMER_ACK);
    m_bAckDue = false;
}

void CPortSetPage::SettleRouting() {
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) m_anSettledSource[nOutput] = g_nOutputSource[nOutput];
    m_strSettledAll = GetDlgItemText(IDC_DISPLAY_ALL);
}

void CPortSetPage::RestoreRouting() {
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) {
        g_nOutputSource[nOutput] = m_anSettledSource[nOutput];
        ShowOutputSource(nOutput);
    }
    SetDlgItemText(IDC_DISPLAY_ALL, m_strSettledAll);
}

void CPortSetPage::AppendLog(const QString& strText) {
    const QString strLine = strText + QStringLiteral("\r\n");
    if (m_editLog.IsEditedSinceWrite()) {
        // The operator typed into the box: the typed text stays (read back
        // once, the whole text).
        UpdateData(TRUE);
        m_strLog += strLine;
        UpdateData(FALSE);
    } else {
        m_strLog += strLine;
        m_editLog.AppendText(strLine);
    }
    TrimLog();
    m_editLog.LineScroll(m_editLog.GetLineCount());
}

// The oldest lines go a batch at a time, so that the cost of dropping them
// spreads over the lines appended in between.
void CPortSetPage::TrimLog() {
    const int nLines = m_editLog.GetLineCount() - 1;  // the line after the last "\r\n" is empty
    if (nLines <= MAX_LOG_LINES) return;
    m_editLog.DropFirstLines(nLines - KEEP_LOG_LINES);
    m_strLog = m_editLog.GetWindowText();
}
