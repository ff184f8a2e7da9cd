#include "pages/System_Setting_Page.h"

#include <string>

#include "link/CommandFrames.h"
#include "framework/DataExchange.h"
#include "link/DeviceState.h"
#include "resources/Dialogs.h"
#include "resources/Dlg135_SystemConfigIds.h"
#include "framework/MessageBox.h"
#include "link/SendPath.h"

namespace {

using namespace Dlg135;

// Radio index of the debug-mode group.
constexpr int DEBUG_ON = 0;

}  // namespace

CSystemConfigPage g_SystemConfigPage;

CSystemConfigPage::CSystemConfigPage() : CDialog(IDD_SYSTEM_CONFIG_PAGE) {}

void CSystemConfigPage::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_COMMAND, m_editCommand);
    DDX_Radio(pDX, IDC_DEBUG_ON, m_nDebugMode);
    DDX_Text(pDX, IDC_COMMAND, m_strCommand);
}

void CSystemConfigPage::OnCommand(int nId, int nNotify) {
    if (nNotify != BN_CLICKED) return;
    switch (nId) {
    case IDC_RESET: OnReset(); break;
    case IDC_DEFAULT: OnDefault(); break;
    case IDC_POWER_ON: OnPowerUp(); break;
    case IDC_POWER_OFF: OnPowerDown(); break;
    case IDC_DEBUG_GET: OnGetDebugMode(); break;
    case IDC_DEBUG_APPLY: OnApplyDebugMode(); break;
    case IDC_COMMAND_APPLY: OnApplyCommand(); break;
    default: break;
    }
}

// The reply may come before the page's window exists; the value is kept and
// shown when the window is built.
void CSystemConfigPage::SetDebugMode(int nMode) {
    m_nDebugMode = nMode;
    if (GetSafeHwnd()) UpdateData(FALSE);
}

void CSystemConfigPage::ShowServiceGroup(BOOL bShow) {
    for (int nId : {IDC_SERVICE_GROUP, IDC_DEBUG_ON, IDC_DEBUG_OFF, IDC_DEBUG_GET, IDC_DEBUG_APPLY})
        ShowDlgItem(nId, bShow);
}

// Boxes raised by this page carry the application's caption and no icon.
int CSystemConfigPage::Box(const QString& strText, UINT nType) {
    return MessageBox(GetSafeHwnd(), strText, QString(), nType);
}

void CSystemConfigPage::Send(const std::string& strFrame) {
    if (!SendCommand(strFrame)) Box(QStringLiteral("Device is disconnected!"), MB_OK);
}

void CSystemConfigPage::SendConfirmed(const char* pszFrame, const QString& strQuestion) {
    const std::string strFrame = pszFrame;
    if (Box(strQuestion, MB_YESNO) != IDYES) return;
    Send(strFrame);
    UpdateData(FALSE);
}

void CSystemConfigPage::SendAfterNotice(const char* pszFrame, const QString& strNotice) {
    const std::string strFrame = pszFrame;
    Box(strNotice, MB_OK);
    Send(strFrame);
    UpdateData(FALSE);
}

// "@W50#"
void CSystemConfigPage::OnReset() {
    SendConfirmed(Frames::RESTART, QStringLiteral("System will restart,are you sure?"));
}

// "@W51#"
void CSystemConfigPage::OnDefault() {
    SendConfirmed(Frames::FACTORY_DEFAULT, QStringLiteral("System will set default setting,are you sure?"));
}

// "@W0F01#"
void CSystemConfigPage::OnPowerUp() { SendAfterNotice(Frames::POWER_ON, QStringLiteral("Device Will Power Up!")); }

// "@W0F00#"
void CSystemConfigPage::OnPowerDown() {
    SendAfterNotice(Frames::POWER_OFF, QStringLiteral("Device Will Power Down!"));
}

// "@R10#"; the answer comes back through SetDebugMode.
void CSystemConfigPage::OnGetDebugMode() { Send(Frames::DEBUG_GET); }

// "@W1000#" for "Debug On"; "Debug Off" and no selection both give "@W1001#".
void CSystemConfigPage::OnApplyDebugMode() {
    UpdateData(TRUE);
    const bool bDebugOn = m_nDebugMode == DEBUG_ON;
    Send(Frames::DebugApply(bDebugOn));
    if (IsLinkOpen()) Box(bDebugOn ? QStringLiteral("Device Debug ON!") : QStringLiteral("Device Debug OFF!"), MB_OK);
    UpdateData(FALSE);
}

// The service words are compared whole and case-sensitively; nothing typed
// here is ever sent, and the box is emptied whatever it held.
void CSystemConfigPage::OnApplyCommand() {
    UpdateData(TRUE);
    if (m_strCommand == QLatin1String(SERVICE_ON))
        ShowServiceGroup(TRUE);
    else if (m_strCommand == QLatin1String(SERVICE_OFF))
        ShowServiceGroup(FALSE);
    m_strCommand.clear();
    UpdateData(FALSE);
}
