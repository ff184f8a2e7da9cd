// Serial connection panel of the main window: probe COM1..COM30, connect and
// disconnect, ask for the whole configuration once the link is open.
#include <QString>

#include "link/CommandFrames.h"
#include "app/ConnectCheck.h"
#include "app/CorvaneDlg.h"
#include "link/DeviceState.h"
#include "resources/Dlg102_MainIds.h"
#include "framework/MessageBox.h"
#include "link/SendPath.h"
#include "app/SerialErrorText.h"

int g_nFoundPorts[MaxSerialPortNum];
BYTE g_bPortsFound;

namespace {

QString PortName(int nPortNr) { return QStringLiteral("COM%1").arg(nPortNr); }

}  // namespace

// Sets the port up with the switcher's serial profile.
BOOL CCorvaneDlg::SetupPort(UINT nPortNr) {
    m_serialLink.SetPort(nPortNr);
    return m_serialLink.Setup() ? TRUE : FALSE;
}

void CCorvaneDlg::ScanPorts() {
    if (m_serialLink.IsOpen()) return;
    UpdateData(TRUE);
    m_cbPort.ResetContent();
    int nFound = 0;
    for (int n = 1; n <= MaxSerialPortNum; ++n) {
        if (!SetupPort(n)) continue;
        // A port is only tried here: held, it would keep every other
        // program off that device until the next Setup.
        g_SerialPort.Close();
        g_nFoundPorts[nFound++] = n;
        const int nItem = m_cbPort.AddString(PortName(n));
        m_cbPort.SetItemToolTip(nItem, QString::fromStdString(SerialDevicePath(n)));
    }
    g_bPortsFound = nFound > 0 ? 1 : 0;
    if (!g_bPortsFound) {
        for (int n = 1; n <= MaxSerialPortNum; ++n) {
            const int nItem = m_cbPort.AddString(PortName(n));
            m_cbPort.SetItemToolTip(nItem, QString::fromStdString(SerialDevicePath(n)));
        }
    }
    m_cbPort.SetCurSel(0);
    UpdateData(FALSE);
}

int CCorvaneDlg::SelectedPortNumber() const {
    const int nSel = SelectedPortEntry();
    if (nSel < 0) return 0;
    if (!g_bPortsFound) return nSel + 1;
    return nSel < MaxSerialPortNum ? g_nFoundPorts[nSel] : 0;
}

// The port list has an edit field. Text typed there that is not the selected
// entry's names the entry it equals, or no entry at all: the port shown is
// always the port connected, never a stale selection behind other text.
int CCorvaneDlg::SelectedPortEntry() const {
    const int nSel = m_cbPort.GetCurSel();
    const QString strShown = m_cbPort.GetWindowText().trimmed();
    if (nSel >= 0 && strShown.compare(m_cbPort.GetLBText(nSel), Qt::CaseInsensitive) == 0) return nSel;
    for (int i = 0; i < m_cbPort.GetCount(); ++i) {
        if (strShown.compare(m_cbPort.GetLBText(i), Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

void CCorvaneDlg::OnConnect() {
    ToggleConnection();
    if (m_serialLink.IsOpen()) {
        GetAllPorts();
        const UINT nPortNr = g_SerialPort.GetPortNr();
        const QString strPort =
            PortAndPath(static_cast<int>(nPortNr), QString::fromStdString(SerialDevicePath(nPortNr)));
        ArmConnectCheck(GetSafeHwnd(), strPort, [this](const QString& strLine) { LogToPages(strLine, LOG_PORT_SET); });
    }
}

void CCorvaneDlg::ToggleConnection() {
    const int nPortNr = SelectedPortNumber();
    if (nPortNr == 0 || nPortNr > MaxSerialPortNum) {
        MessageBox(GetSafeHwnd(), QStringLiteral("Current Select serial port is invalid!"));
        return;
    }
    if (m_serialLink.IsOpen()) {
        Disconnect();
        return;
    }
    if (!SetupPort(nPortNr)) {
        ReportOpenFailure(nPortNr);
        ScanPorts();
        return;
    }
    m_serialLink.Start();
    m_btnConnect.SetWindowText(QStringLiteral("Disconnect!"));
    m_cbPort.EnableWindow(FALSE);
    EnableDlgItem(Dlg102::IDC_SEARCH, FALSE);
}

// Ends the monitor thread and closes the port in use; no other port is
// opened in its place.
void CCorvaneDlg::StopSerialLink() { m_serialLink.Close(); }

void CCorvaneDlg::Disconnect() {
    g_bComConnected = 0;
    DisarmConnectCheck();
    m_btnConnect.SetWindowText(QStringLiteral("Connect"));
    StopSerialLink();
    m_cbPort.EnableWindow(TRUE);
    EnableDlgItem(Dlg102::IDC_SEARCH, TRUE);
}

// The message stays the same for every cause; the box's details name the
// port, the device and the reason, with what to do about a permission problem.
void CCorvaneDlg::ReportOpenFailure(int nPortNr) {
    const QString strPath = QString::fromStdString(SerialDevicePath(nPortNr));
    const QString strDetails = OpenFailureDetails(nPortNr, g_SerialPort.LastOpenError(),
                                                  GatherOpenFailureFacts(g_SerialPort.LastOpenErrno(), strPath));
    MessageBox(GetSafeHwnd(), QStringLiteral("Cannot open serial port"), QString(), MB_OK, strDetails);
}

void CCorvaneDlg::GetAllPorts() {
    SendCommand(Frames::Read(Frames::REG_ALL_CONFIG));
    LogToPages(QStringLiteral("Get All Ports "), LOG_BOTH_PAGES);
    UpdateData(FALSE);
}
