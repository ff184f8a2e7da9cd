#include "pages/PageReplyTarget.h"

#include <QString>

#include "pages/EdidConfigPage.h"
#include "pages/IP_SEL_PAGE.h"
#include "pages/PortSetPage.h"
#include "pages/Set_Net_Config.h"
#include "pages/System_Setting_Page.h"

CPageReplyTarget::CPageReplyTarget() : CPageReplyTarget(g_PortSetPage, g_EdidConfigPage) {}

CPageReplyTarget::CPageReplyTarget(CPortSetPage& portSet, CEdidConfigPage& edid)
    : m_portSet(portSet),
      m_edid(edid),
      m_ipConfig(g_IpConfigPage),
      m_netConfig(g_NetConfigPage),
      m_systemConfig(g_SystemConfigPage) {}

void CPageReplyTarget::ShowOutputSource(int nOutput) { m_portSet.ShowOutputSource(nOutput); }
void CPageReplyTarget::PortSetEndWait() { m_portSet.EndWait(); }
void CPageReplyTarget::RefreshEdidInput(int nInput) { m_edid.RefreshInput(nInput); }
void CPageReplyTarget::EdidEndWait() { m_edid.EndWait(); }

void CPageReplyTarget::StartAckTimers() {
    m_portSet.StartAckTimer();
    m_edid.StartAckTimer();
}

bool CPageReplyTarget::AckAwaited() const { return m_portSet.AckAwaited() || m_edid.AckAwaited(); }

void CPageReplyTarget::LogToPages(const char* pszText, int nTarget) {
    LogToPages(QString::fromLatin1(pszText), nTarget);
}

void CPageReplyTarget::LogToPages(const QString& strText, int nTarget) {
    if (nTarget == LOG_PORT_SET || nTarget == LOG_BOTH_PAGES) m_portSet.AppendLog(strText);
    if (nTarget == LOG_EDID_CONFIG || nTarget == LOG_BOTH_PAGES) m_edid.SetLogText(strText);
}

void CPageReplyTarget::ShowNetParams() { m_ipConfig.ShowNetParams(); }
void CPageReplyTarget::GetIpConfig() { m_ipConfig.GetIpConfig(); }
void CPageReplyTarget::ReadAllConfig() { m_netConfig.ReadAllConfig(); }
void CPageReplyTarget::SetDebugMode(int nMode) { m_systemConfig.SetDebugMode(nMode); }
