#include "PortSetPage.h"

#include <QFont>

#include "CommandFrames.h"
#include "DataExchange.h"
#include "DeviceState.h"
#include "Dialogs.h"
#include "NetSend.h"
#include "SendPath.h"
#include "SerialPort.h"

CPortSetPage g_PortSetPage;

namespace {

enum : int {
    IDC_ROUTE_FIRST = 1003,    // output o, input i: 1003 + 5*o + i
    IDC_DISPLAY_FIRST = 1007,  // output o: 1007 + 5*o
    IDC_ROUTE_LAST = 1021,
    IDC_STATUS = 1023,
    IDC_SEL_INPUT_FIRST = 1025,
    IDC_SEL_INPUT_LAST = 1028,
    IDC_STATUS_TEXT = 1029,
    IDC_DISPLAY_ALL = 1033,
    IDC_CLEAR = 1034,
    IDC_LOG = 1042,
};
constexpr int ROW_STRIDE = 5;
constexpr int ROW_ALL = 4;
constexpr int kOutputAllButtons[INPUT_COUNT] = {1024, 1030, 1031, 1032};

// The 21 command buttons in the order EndWait goes through them.
constexpr int kCommandButtons[] = {1003, 1004, 1005, 1006, 1008, 1009, 1010, 1011, 1013, 1014, 1015,
                                   1016, 1018, 1019, 1020, 1021, 1023, 1024, 1030, 1031, 1032};

constexpr UINT TIMER_WAIT = 1;       // no answer within WAIT_MS
constexpr UINT TIMER_ACK = 2;        // network acknowledgement, started by the reply handling
constexpr UINT WAIT_MS = 8000;

QString InputDigit(int nIndex) { return QString::number(nIndex + 1); }

}  // namespace

CPortSetPage::CPortSetPage() : CDialog(IDD_PORT_SET_PAGE) {}
CPortSetPage::~CPortSetPage() = default;

void CPortSetPage::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_LOG, m_editLog);
    DDX_Text(pDX, IDC_STATUS_TEXT, m_strStatus);
    DDX_Radio(pDX, IDC_SEL_INPUT_FIRST, m_nSelInput);
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
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) {
        if (QWidget* pDisplay = GetDlgItem(IDC_DISPLAY_FIRST + ROW_STRIDE * nOutput))
            pDisplay->setFont(*m_pFontDisplay);
    }
    if (QWidget* pDisplay = GetDlgItem(IDC_DISPLAY_ALL)) pDisplay->setFont(*m_pFontDisplay);
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) ShowOutputSource(nOutput);
}

void CPortSetPage::ShowOutputSource(int nOutput) {
    if (nOutput < 0 || nOutput >= OUTPUT_COUNT) return;
    const int nSource = g_nOutputSource[nOutput];
    // Anything the switcher reports above input 3 (or below 0) shows as "4".
    const QString strDigit = (nSource >= 0 && nSource <= 2) ? InputDigit(nSource) : QStringLiteral("4");
    SetDlgItemText(IDC_DISPLAY_FIRST + ROW_STRIDE * nOutput, strDigit);
}

void CPortSetPage::OnCommand(int nId, int nNotify) {
    if (nNotify != BN_CLICKED) return;
    if (nId == IDC_STATUS) return OnStatus();
    if (nId == IDC_CLEAR) return OnClear();
    if (nId >= IDC_SEL_INPUT_FIRST && nId <= IDC_SEL_INPUT_LAST) return OnSelInputRadio(nId - IDC_SEL_INPUT_FIRST);
    for (int nInput = 0; nInput < INPUT_COUNT; ++nInput) {
        if (nId == kOutputAllButtons[nInput]) return OnOutputAllButton(nInput);
    }
    if (nId >= IDC_ROUTE_FIRST && nId <= IDC_ROUTE_LAST) {
        const int nOffset = nId - IDC_ROUTE_FIRST;
        const int nInput = nOffset % ROW_STRIDE;
        if (nInput < INPUT_COUNT) OnRouteButton(nOffset / ROW_STRIDE, nInput);  // column 4 is the display
    }
}

void CPortSetPage::OnTimer(UINT nIdEvent) {
    if (nIdEvent == TIMER_WAIT) {
        EndWait();
        AppendLog(QStringLiteral("Set Fail! Waiting time out!"));
    } else if (nIdEvent == TIMER_ACK) {
        EndWait();
    }
}

// "Status" writes straight to the link (serial first) rather than through
// SendCommand, so it can disable itself and start the wait before sending.
void CPortSetPage::OnStatus() {
    const std::string strFrame = Frames::Status();
    if (g_bComConnected == 1) {
        EnableDlgItem(IDC_STATUS, FALSE);
        StartWait();
        g_SerialPort.WriteText(strFrame.c_str());
    } else if (g_bNetConnected == 1) {
        EnableDlgItem(IDC_STATUS, FALSE);
        StartWait();
        NetSend(strFrame);
    } else {
        AppendLog(QStringLiteral("Device is not connected!"));
    }
}

void CPortSetPage::OnRouteButton(int nOutput, int nInput) {
    RouteOutput(nOutput, nInput);
    if (!IsLinkOpen()) {
        AppendLog(QStringLiteral("Device is not connected!"));
        return;
    }
    AppendLog(QStringLiteral("Set Input ") + InputDigit(nInput) + QStringLiteral(" to Output ") +
              InputDigit(nOutput) + QStringLiteral("!"));
    DisableRow(nOutput);
    StartWait();
}

void CPortSetPage::OnOutputAllButton(int nInput) {
    SendAllOutputs(nInput);
    SetDlgItemText(IDC_DISPLAY_ALL, InputDigit(nInput));
    if (!IsLinkOpen()) {
        // SendAllOutputs already wrote it once; the operator sees it twice.
        AppendLog(QStringLiteral("Device is not connected!"));
        return;
    }
    AppendLog(QStringLiteral("Set Input ") + InputDigit(nInput) + QStringLiteral(" to All HDMI Output!"));
    DisableRow(ROW_ALL);
    StartWait();
}

// The hidden "Sel Input" radios: all outputs from one input, no line of
// their own, nothing disabled, display 1033 untouched.
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
    SendCommand(Frames::Route(nOutput, nInput));  // no link: the caller reports it
    m_nSelInput = -1;
    UpdateData(FALSE);
}

void CPortSetPage::SendAllOutputs(int nInput) {
    if (!SendCommand(Frames::AllOutputs(nInput))) AppendLog(QStringLiteral("Device is not connected!"));
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) g_nOutputSource[nOutput] = nInput;
    for (int nOutput = 0; nOutput < OUTPUT_COUNT; ++nOutput) ShowOutputSource(nOutput);
    UpdateData(FALSE);
}

void CPortSetPage::StartWait() {
    if (!IsLinkOpen()) return;
    SetTimer(TIMER_WAIT, WAIT_MS);
    AppendLog(QStringLiteral("Waiting..."));
}

void CPortSetPage::DisableRow(int nRow) {
    if (nRow == ROW_ALL) {
        for (int nId : kOutputAllButtons) EnableDlgItem(nId, FALSE);
        return;
    }
    if (nRow < 0 || nRow >= OUTPUT_COUNT) return;
    for (int nInput = 0; nInput < INPUT_COUNT; ++nInput)
        EnableDlgItem(IDC_ROUTE_FIRST + ROW_STRIDE * nRow + nInput, FALSE);
}

void CPortSetPage::EndWait() {
    for (int nId : kCommandButtons) {
        if (!IsDlgItemEnabled(nId)) EnableDlgItem(nId, TRUE);
    }
    KillTimer(TIMER_WAIT);
    KillTimer(TIMER_ACK);
}

void CPortSetPage::AppendLog(const QString& strText) {
    UpdateData(TRUE);  // keeps what the operator typed into the box
    m_strLog += strText + QStringLiteral("\r\n");
    UpdateData(FALSE);
    m_editLog.LineScroll(m_editLog.GetLineCount());
}
