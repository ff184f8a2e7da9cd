#include "pages/IP_SEL_PAGE.h"

#include <cstdio>

#include "link/CommandFrames.h"
#include "link/DeviceState.h"
#include "resources/Dialogs.h"
#include "resources/Dlg132_IpConfigIds.h"
#include "framework/IPAddressCtrl.h"
#include "link/SendPath.h"

namespace {

using namespace Dlg132;

void SetAddress(CIPAddressCtrl* pCtrl, const BYTE ab[4]) {
    if (pCtrl) pCtrl->SetAddress(ab[0], ab[1], ab[2], ab[3]);
}

// A blank field (or a missing control) reads as 0.
void GetAddress(const CIPAddressCtrl* pCtrl, BYTE ab[4]) {
    ab[0] = ab[1] = ab[2] = ab[3] = 0;
    if (pCtrl) pCtrl->GetAddress(ab[0], ab[1], ab[2], ab[3]);
}

}  // namespace

CIpConfigPage g_IpConfigPage;

CIpConfigPage::CIpConfigPage() : CDialog(IDD_IP_CONFIG_PAGE) {}

void CIpConfigPage::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_LOG, m_editLog);
    DDX_Text(pDX, IDC_MAC, m_strMac);
    DDX_Text(pDX, IDC_RAW_TEXT, m_strSend);
    DDX_Text(pDX, IDC_LOG, m_strLog);
    DDX_Check(pDX, IDC_DHCP, m_bDhcp);
}

void CIpConfigPage::OnCommand(int nId, int nNotify) {
    if (nNotify != BN_CLICKED) return;
    switch (nId) {
    case IDC_SAVE_IP_CONFIG:
        ReadAddressControls();
        SaveIpConfig();
        break;
    case IDC_GET_IP_CONFIG: GetIpConfig(); break;
    case IDC_DHCP: OnDhcpClicked(); break;
    default: break;
    }
}

void CIpConfigPage::InitControls() {
    ShowDlgItem(IDC_RAW_TEXT, FALSE);
    ShowDlgItem(IDC_SEND, FALSE);
    ShowDlgItem(IDC_CLEAR, FALSE);
    ShowDlgItem(IDC_LOG, FALSE);
}

// Called by the serial driver with every frame it accepts, before the page's
// window may exist; then only the member collects the line.
void CIpConfigPage::AppendLog(const QString& strText) {
    const bool bHasWindow = GetSafeHwnd() != nullptr;
    if (bHasWindow) UpdateData(TRUE);
    m_strLog += strText;
    m_strLog += QStringLiteral("\r\n");
    TrimLog();
    if (!bHasWindow) return;
    UpdateData(FALSE);
    m_editLog.LineScroll(m_editLog.GetLineCount());
}

// The log is never shown, yet every serial frame of a long session lands in
// it: keep it bounded. Trimming rewrites the whole box, so it cuts a quarter
// at a time; in between, lines are appended in place.
void CIpConfigPage::TrimLog() {
    if (m_strLog.size() <= MAX_LOG_CHARS) return;
    qsizetype nCut = m_strLog.size() - MAX_LOG_CHARS * 3 / 4;
    const qsizetype nLineEnd = m_strLog.indexOf(QLatin1Char('\n'), nCut);
    nCut = nLineEnd < 0 ? m_strLog.size() : nLineEnd + 1;
    m_strLog.remove(0, nCut);
}

void CIpConfigPage::GetIpConfig() { SendCommand(Frames::Read(Frames::NET_PARAMS_REG)); }

void CIpConfigPage::ReadAddressControls() {
    GetAddress(AddressCtrl(IDC_IP_ADDRESS), g_NetParams.abIp);
    GetAddress(AddressCtrl(IDC_IP_MASK), g_NetParams.abMask);
    GetAddress(AddressCtrl(IDC_IP_ROUTER), g_NetParams.abGateway);
}

void CIpConfigPage::SaveIpConfig() { SendCommand(Frames::NetParamsWrite(g_NetParams)); }

void CIpConfigPage::OnDhcpClicked() {
    UpdateData(TRUE);
    g_NetParams.bDhcp = static_cast<BYTE>(m_bDhcp & 0xFF);
    EnableAddressControls(g_NetParams.bDhcp == 0);
}

void CIpConfigPage::ShowNetParams() {
    SetAddress(AddressCtrl(IDC_IP_ADDRESS), g_NetParams.abIp);
    SetAddress(AddressCtrl(IDC_IP_MASK), g_NetParams.abMask);
    SetAddress(AddressCtrl(IDC_IP_ROUTER), g_NetParams.abGateway);
    const BYTE* m = g_NetParams.abMac;
    char szMac[100] = {};
    std::snprintf(szMac, sizeof szMac, "%02X : %02X : %02X : %02X : %02X : %02X", m[0], m[1], m[2], m[3], m[4], m[5]);
    m_strMac = QString::fromLatin1(szMac);
    m_bDhcp = g_NetParams.bDhcp;
    EnableAddressControls(m_bDhcp == 0);
    UpdateData(FALSE);
}

void CIpConfigPage::EnableAddressControls(BOOL bEnable) {
    EnableDlgItem(IDC_IP_ADDRESS, bEnable);
    EnableDlgItem(IDC_IP_MASK, bEnable);
    EnableDlgItem(IDC_IP_ROUTER, bEnable);
}

CIPAddressCtrl* CIpConfigPage::AddressCtrl(int nId) const { return GetItem<CIPAddressCtrl>(nId); }
