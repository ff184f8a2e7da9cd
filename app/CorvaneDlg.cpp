// Main window: start-up, the tab pages, result lines and the reply hand-off.
#include "app/CorvaneDlg.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPoint>
#include <QRect>
#include <QShortcut>
#include <algorithm>

#include "app/AboutDlg.h"
#include "app/AppIcon.h"
#include "app/ConnectCheck.h"
#include "version/CorvaneVersion.h"
#include "link/DeviceNameText.h"
#include "resources/Dialogs.h"
#include "resources/Dlg102_MainIds.h"
#include "pages/EdidConfigPage.h"
#include "pages/IP_SEL_PAGE.h"
#include "pages/PortSetPage.h"
#include "link/ReplyAssembler.h"
#include "pages/Set_Net_Config.h"
#include "link/Sock_UDP.h"
#include "pages/System_Setting_Page.h"

namespace {

struct PagePlacement {
    const char* pszTab;
    CDialog* pPage;
};

// Tab order: index i shows page i.
const PagePlacement* Placement() {
    static const PagePlacement aPages[CCorvaneDlg::PAGE_COUNT] = {
        {"Port Set", &g_PortSetPage},
        {"EDID Config", &g_EdidConfigPage},
        {"IP Config", &g_IpConfigPage},
        {"Net Config", &g_NetConfigPage},
        {"System Config", &g_SystemConfigPage},
    };
    return aPages;
}

}  // namespace

using namespace Dlg102;

CCorvaneDlg::CCorvaneDlg()
    : CDialog(IDD_CORVANE_DIALOG), m_strVersion(QStringLiteral("Rev:" CORVANE_VERSION)), m_hAppIcon(LoadAppIcon()) {}

CCorvaneDlg::~CCorvaneDlg() { Shutdown(); }

void CCorvaneDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_EDIT_NAME, m_btnEdit);
    DDX_Control(pDX, IDC_DEVICE_NAME, m_editDeviceName);
    DDX_Control(pDX, IDC_CONNECT, m_btnConnect);
    DDX_Control(pDX, IDC_PORT_LIST, m_cbPort);
    DDX_Control(pDX, IDC_TAB, m_tabPages);
    DDX_Text(pDX, IDC_DEVICE_NAME, m_strDeviceName);
    DDX_Text(pDX, IDC_VERSION, m_strVersion);
}

BOOL CCorvaneDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Every frame the serial driver accepts goes to the IP Config page's log.
    g_SerialPort.SetWriteEcho([](const char* pszText) { g_IpConfigPage.AppendLog(QString::fromLatin1(pszText)); });
    // Both links hand their bytes here; the network link delivers the chosen
    // switcher's datagrams whoever opens the socket.
    for (corvane::link::Link* pLink : {static_cast<corvane::link::Link*>(&m_serialLink),
                                       static_cast<corvane::link::Link*>(&m_netLink)}) {
        pLink->SetBytesHandler([this](const char* pData, std::size_t nLen) { OnLinkBytes(pData, nLen); });
    }
    m_netLink.Attach();
    GetSafeHwnd()->setWindowIcon(m_hAppIcon);
    auto* pQuit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), GetSafeHwnd());
    QObject::connect(pQuit, &QShortcut::activated, GetSafeHwnd(), [this] { OnClose(); });
    for (int i = 0; i < PAGE_COUNT; ++i) m_tabPages.InsertItem(i, QString::fromLatin1(Placement()[i].pszTab));
    CreatePages();
    ScanPorts();
    CreateToolTip();
    g_PortSetPage.InitControls();
    g_EdidConfigPage.InitControls();
    g_IpConfigPage.InitControls();
    g_NetConfigPage.InitControls();
    return TRUE;
}

// Pages are children of the tab control, placed below its tab row.
void CCorvaneDlg::CreatePages() {
    QWidget* pParent = m_tabPages.GetPageParent();
    for (int i = 0; i < PAGE_COUNT; ++i) Placement()[i].pPage->Create(pParent);
    // The tab control's client area, inset by a pixel or two at the sides and
    // bottom; the 30 pixels at the top clear the tab row unless the style
    // draws the row taller, in which case the pages start below it.
    QRect rc = pParent->rect().adjusted(1, 30, -2, -5);
    rc.setTop(std::max(rc.top(), m_tabPages.GetClientRect().top()));
    for (int i = 0; i < PAGE_COUNT; ++i) Placement()[i].pPage->MoveWindow(rc);
    ShowPage(0);
    m_tabPages.SetCurSel(0);
}

void CCorvaneDlg::CreateToolTip() {
    m_ToolTip.Create(GetSafeHwnd());
    m_ToolTip.AddTool(GetDlgItem(IDC_DEVICE_NAME), QStringLiteral("Input Max Size:16"));
    m_ToolTip.SetDelayTime(300);
    m_ToolTip.Activate(TRUE);
}

void CCorvaneDlg::ShowPage(int nIndex) {
    if (nIndex < 0 || nIndex >= PAGE_COUNT) return;
    for (int i = 0; i < PAGE_COUNT; ++i) Placement()[i].pPage->ShowWindow(i == nIndex);
}

void CCorvaneDlg::OnCommand(int nId, int nNotify) {
    if (nId == IDC_TAB && nNotify == TCN_SELCHANGE) {
        ShowPage(m_tabPages.GetCurSel());
        return;
    }
    if (nNotify != BN_CLICKED) return;
    switch (nId) {
    case IDC_CONNECT: OnConnect(); break;
    case IDC_EDIT_NAME: OnEditDeviceName(); break;
    case IDC_GET_NAME: OnGetDeviceName(); break;
    case IDC_SEARCH: ScanPorts(); break;
    default: break;
    }
}

// Linux window managers offer no extendable system menu: the about item
// lives in the main window's context menu instead.
void CCorvaneDlg::OnContextMenu(const QPoint& ptGlobal) {
    const QString strAbout = LoadResString(IDS_ABOUTBOX);
    if (strAbout.isEmpty()) return;
    QMenu menu(GetSafeHwnd());
    QAction* pAbout = menu.addAction(strAbout);
    if (menu.exec(ptGlobal) == pAbout) OnSysCommand(IDM_ABOUTBOX);
}

void CCorvaneDlg::OnClose() { EndDialog(IDCANCEL); }

void CCorvaneDlg::OnSysCommand(UINT nId) {
    if ((nId & 0xFFF0) != IDM_ABOUTBOX) return;
    CAboutDlg dlgAbout;
    dlgAbout.DoModal(GetSafeHwnd());
}

void CCorvaneDlg::LogToPages(const QString& strText, int nTarget) {
    UpdateData(TRUE);
    CPageReplyTarget::LogToPages(strText, nTarget);
    UpdateData(FALSE);
}

void CCorvaneDlg::LogToPages(const char* pszText, int nTarget) { LogToPages(QString::fromLatin1(pszText), nTarget); }

void CCorvaneDlg::OnLinkBytes(const char* pData, std::size_t nLen) { RxFeedBytes(pData, nLen, *this); }

// The reply decoding calls this after each whole-configuration reply.
void CCorvaneDlg::GetIpConfig() {
    NoteAllConfigReply();
    CPageReplyTarget::GetIpConfig();
}

// The monitor thread delivers into this window, so the link ends first, the
// way Disconnect ends it but without touching controls (the modal run may
// already have destroyed them), and the socket closes; then the page windows (children of the tab
// control) and the window itself, while Qt still exists.
void CCorvaneDlg::Shutdown() {
    if (m_bShutDown) return;
    m_bShutDown = true;
    if (m_serialLink.IsOpen()) StopSerialLink();
    g_SerialPort.SetWriteEcho(nullptr);
    // The socket goes with the window it delivers to.
    g_SockUDP.Close();
    g_bNetConnected = 0;
    m_netLink.Detach();
    m_serialLink.SetBytesHandler(nullptr);
    m_netLink.SetBytesHandler(nullptr);
    for (int i = 0; i < PAGE_COUNT; ++i) Placement()[i].pPage->DestroyWindow();
    DestroyWindow();
}
