#include "pages/Set_Net_Config.h"

#include <QDesktopServices>
#include <QUrl>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "link/CommandFrames.h"
#include "framework/DataExchange.h"
#include "link/DeviceState.h"
#include "resources/Dialogs.h"
#include "resources/Dlg133_NetConfigIds.h"
#include "framework/IPAddressCtrl.h"
#include "link/Ipv4Text.h"
#include "framework/MessageBox.h"
#include "link/NetLinkState.h"
#include "link/NetSend.h"
#include "link/PcAddress.h"
#include "link/Sock_UDP.h"

using namespace Dlg133;

CNetConfigPage g_NetConfigPage;

namespace {

// The host group in the order it is shown or hidden.
constexpr int kHostGroup[] = {IDC_HOST_GROUP,          IDC_HOST_IP,       IDC_HOST_CONNECT, IDC_SEARCH,
                              IDC_DEVICE_LIST,         IDC_DEVICE_NUMBER, IDC_CLEAR,        IDC_HOST_IP_LABEL,
                              IDC_DEVICE_NUMBER_LABEL, IDC_WEB_PAGE};
// What connecting to a switcher locks, and disconnecting frees again.
constexpr int kHostChoice[] = {IDC_HOST_IP, IDC_SEARCH, IDC_DEVICE_NUMBER, IDC_DEVICE_LIST, IDC_CLEAR};

const char* const kDefaultLocalPort = "5001";
const char* const kDefaultHostPort = "5000";

// The port box as a number, the way atol reads it (leading blanks, a sign,
// digits; no number gives 0), but without overflow: a value past the range
// of long stays out of the port range instead of wrapping into it.
long PortFromText(const QString& strText) {
    const QByteArray ab = strText.toLatin1();
    errno = 0;
    const long n = std::strtol(ab.constData(), nullptr, 10);
    if (errno == ERANGE) return n < 0 ? LONG_MIN : LONG_MAX;
    return n;
}

}  // namespace

CNetConfigPage::CNetConfigPage() : CDialog(IDD_NET_CONFIG_PAGE) {}

// InitControls makes the page the socket's search owner. The destructor
// does not undo that: at exit the socket, another global, may be gone
// already. A page made for a while (a test's) is taken off the socket with
// SetSearchOwner(nullptr) by whoever made it, before it goes.
CNetConfigPage::~CNetConfigPage() = default;

void CNetConfigPage::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_DEVICE_NUMBER, m_comboDevice);
    DDX_Text(pDX, IDC_DEVICE_LIST, m_strDeviceList);
    DDX_Text(pDX, IDC_LOCAL_PORT, m_strLocalPort);
    DDX_Text(pDX, IDC_HOST_PORT, m_strHostPort);
}

CIPAddressCtrl* CNetConfigPage::AddressCtrl(int nId) const { return GetItem<CIPAddressCtrl>(nId); }

void CNetConfigPage::InitControls() {
    m_strLocalPort = QString::fromLatin1(kDefaultLocalPort);
    m_strHostPort = QString::fromLatin1(kDefaultHostPort);
    UpdateData(FALSE);
    RefreshPcAddress();
    ShowHostGroup(FALSE);
    // The switcher's port is never shown; IE waits for a connection.
    ShowDlgItem(IDC_HOST_PORT_LABEL, FALSE);
    ShowDlgItem(IDC_HOST_PORT, FALSE);
    EnableDlgItem(IDC_WEB_PAGE, FALSE);
    m_ToolTip.Create(GetSafeHwnd());
    m_ToolTip.AddTool(GetDlgItem(IDC_WEB_PAGE), QStringLiteral("Go to Internet Explorer"));
    m_ToolTip.SetDelayTime(200);
    m_ToolTip.Activate(TRUE);
    g_bSearching = 0;
    g_SockUDP.SetSearchOwner(this);
}

void CNetConfigPage::RefreshPcAddress() {
    const QString strName = PcHostName();
    const DWORD dwIp = PcIpv4Address();
    if (CIPAddressCtrl* pLocal = AddressCtrl(IDC_LOCAL_IP)) pLocal->SetAddress(dwIp);
    UpdateData(TRUE);
    m_strDeviceList = QStringLiteral("%1 %2 \r\n").arg(strName, QString::fromStdString(corvane::link::DottedIp(dwIp)));
    UpdateData(FALSE);
}

void CNetConfigPage::OnCommand(int nId, int nNotify) {
    if (nId == IDC_DEVICE_NUMBER && nNotify == CBN_SELCHANGE) {
        OnDeviceChosen();
        return;
    }
    if (nNotify != BN_CLICKED) return;
    switch (nId) {
    case IDC_SOCKET: OnSocketButton(); break;
    case IDC_SEARCH: OnSearch(); break;
    case IDC_CLEAR: OnClear(); break;
    case IDC_HOST_CONNECT: OnHostButton(); break;
    case IDC_WEB_PAGE: OnWebPage(); break;
    default: break;
    }
}

void CNetConfigPage::OnSocketButton() {
    UpdateData(TRUE);
    if (g_bSocketOpen == 0) {
        // Whatever was typed into 1082, the socket binds to the PC's address.
        RefreshPcAddress();
        OpenSocket();
    } else {
        CloseSocket();
    }
    g_bSearching = 0;
}

void CNetConfigPage::OpenSocket() {
    DWORD dwLocal = 0;
    if (CIPAddressCtrl* pLocal = AddressCtrl(IDC_LOCAL_IP)) pLocal->GetAddress(dwLocal);
    const long nPort = PortFromText(m_strLocalPort);
    if (!g_SockUDP.Open(nPort, corvane::link::DottedIp(dwLocal).c_str())) {
        MessageBox(nullptr, QStringLiteral("Create Socket Error\uFF1A%1").arg(g_SockUDP.GetLastError()), QString(),
                   MB_OK | MB_ICONEXCLAMATION, g_SockUDP.GetLastErrorText());
        ShowHostGroup(FALSE);
        return;
    }
    EnableDlgItem(IDC_LOCAL_IP, FALSE);
    EnableDlgItem(IDC_LOCAL_PORT, FALSE);
    SetDlgItemText(IDC_SOCKET, QStringLiteral("Disconnect"));
    g_bNetConnected = 0;
    ShowHostGroup(TRUE);
}

void CNetConfigPage::CloseSocket() {
    LeaveHost();
    g_SockUDP.Close();
    EnableDlgItem(IDC_LOCAL_IP, TRUE);
    EnableDlgItem(IDC_LOCAL_PORT, TRUE);
    SetDlgItemText(IDC_SOCKET, QStringLiteral("Connect"));
    ShowHostGroup(FALSE);
}

void CNetConfigPage::ShowHostGroup(BOOL bShow) {
    for (int nId : kHostGroup) ShowDlgItem(nId, bShow);
}

// Stops the poll and frees the choice of switcher again.
void CNetConfigPage::LeaveHost() {
    KillTimer(TIMER_POLL);
    EnableHostChoice(TRUE);
    SetDlgItemText(IDC_HOST_CONNECT, QStringLiteral("Connect"));
    g_bNetConnected = 0;
}

// IE is the opposite of the rest: usable only while connected.
void CNetConfigPage::EnableHostChoice(BOOL bEnable) {
    for (int nId : kHostChoice) EnableDlgItem(nId, bEnable);
    EnableDlgItem(IDC_WEB_PAGE, !bEnable);
}

void CNetConfigPage::OnSearch() {
    if (g_bSocketOpen == 0) {
        AfxMessageBox(QStringLiteral("sock is disconnect!"), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    g_SockUDP.SendSearch();  // a failed send shows as an empty list
    BeginDeviceSearch();
    OnClear();
}

// Empties the list and the combo only: the table keeps its entries, and the
// items that later replies add still show (and select) their own entries.
void CNetConfigPage::OnClear() {
    m_strDeviceList.clear();
    m_comboDevice.ResetContent();
    UpdateData(FALSE);
}

int CNetConfigPage::EntryOfItem(int nItem) const {
    if (nItem < 0 || nItem >= m_comboDevice.GetCount()) return -1;
    bool bNumber = false;
    const int nEntry = m_comboDevice.GetLBText(nItem).toInt(&bNumber) - 1;
    if (!bNumber || nEntry < 0 || nEntry >= static_cast<int>(g_nDeviceCount)) return -1;
    return nEntry;
}

void CNetConfigPage::ShowHostAddress(int nEntry) {
    if (nEntry < 0 || nEntry >= MAX_DEVICE_NUM) return;
    if (CIPAddressCtrl* pHost = AddressCtrl(IDC_HOST_IP)) pHost->SetAddress(g_DeviceTable[nEntry].dwIp);
}

void CNetConfigPage::OnDeviceChosen() {
    UpdateData(TRUE);
    ShowHostAddress(EntryOfItem(m_comboDevice.GetCurSel()));
    UpdateData(FALSE);
}

void CNetConfigPage::SelectDevice(int nEntry) {
    UpdateData(TRUE);
    for (int nItem = m_comboDevice.GetCount() - 1; nItem >= 0; --nItem) {
        if (EntryOfItem(nItem) == nEntry) {
            m_comboDevice.SetCurSel(nItem);
            break;
        }
    }
    ShowHostAddress(nEntry);
    UpdateData(FALSE);
}

void CNetConfigPage::AppendDeviceList(const char* pszLine) {
    UpdateData(TRUE);
    m_strDeviceList += QString::fromLatin1(pszLine);
    UpdateData(FALSE);
}

void CNetConfigPage::AddDeviceItem(int nEntry) { m_comboDevice.AddString(QString::number(nEntry + 1)); }

void CNetConfigPage::DeviceTableFull(const char* pszNotice) {
    AfxMessageBox(QString::fromLatin1(pszNotice), MB_OK | MB_ICONEXCLAMATION);
}

void CNetConfigPage::OnHostButton() {
    if (g_bNetConnected == 1) {
        LeaveHost();
        return;
    }
    DWORD dwHost = 0;
    if (CIPAddressCtrl* pHost = AddressCtrl(IDC_HOST_IP)) pHost->GetAddress(dwHost);
    g_dwHostIp = dwHost;
    if (g_dwHostIp == 0) {
        AfxMessageBox(QStringLiteral("Host IP is Null !"), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The broadcast address is no one switcher: nothing may be sent to it
    // (NetSend keeps it as "none chosen") and no reply comes from it, so a
    // connection to it would show "connected" and carry nothing.
    if (g_dwHostIp == BROADCAST_IP) {
        MessageBox(nullptr, QStringLiteral("Host IP is Null !"), QString(), MB_OK | MB_ICONEXCLAMATION,
                   QStringLiteral("%1 is the broadcast address, not the address of a switcher.")
                       .arg(QString::fromStdString(corvane::link::DottedIp(BROADCAST_IP))));
        return;
    }
    EnableHostChoice(FALSE);
    SetDlgItemText(IDC_HOST_CONNECT, QStringLiteral("Disconnect"));
    g_bSearching = 0;
    g_bNetConnected = 1;
    SetTimer(TIMER_POLL, POLL_MS);
    ReadAllConfig();
}

// The poll runs only while connected and the serial link is closed; with
// both open the serial link carries the commands and network replies are
// dropped, so a poll would only load the network.
void CNetConfigPage::OnTimer(UINT nIdEvent) {
    if (nIdEvent == TIMER_POLL && g_bNetConnected == 1 && g_bComConnected == 0) PollDevice();
}

void CNetConfigPage::OnWebPage() {
    const QUrl url(QStringLiteral("http://") + QString::fromStdString(corvane::link::DottedIp(g_dwHostIp)));
    // Hands the address to the desktop's browser and returns at once.
    if (!QDesktopServices::openUrl(url))
        AfxMessageBox(QStringLiteral("Cannot open %1 in a web browser.").arg(url.toString()),
                      MB_OK | MB_ICONEXCLAMATION);
}

// Only while connected: after a disconnect the switcher's address is kept,
// and a reload must not go to a switcher the operator has left.
void CNetConfigPage::ReadAllConfig() {
    if (g_bNetConnected != 1) return;
    NetSend(Frames::Read(Frames::REG_ALL_CONFIG));
}

void CNetConfigPage::PollDevice() { NetSend(Frames::Read(Frames::REG_CHANGE_COUNTER)); }
