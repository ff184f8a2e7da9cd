#pragma once
// The main window created the way the application creates it (all pages,
// the 30-port probe), with every COM port pointed at a path that does not
// exist except COM1, which the caller points at the simulator's device.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTabBar>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/Corvane.h"
#include "app/CorvaneDlg.h"
#include "framework/IPAddressCtrl.h"
#include "framework/MessageBox.h"
#include "link/DeviceState.h"
#include "link/Ipv4Text.h"
#include "link/NetLinkState.h"
#include "link/ReplyAssembler.h"
#include "link/SearchDecoder.h"
#include "link/SerialPort.h"
#include "link/Sock_UDP.h"
#include "pages/PortSetPage.h"
#include "pages/Set_Net_Config.h"
#include "resources/Dlg102_MainIds.h"
#include "resources/Dlg129_EdidConfigIds.h"
#include "resources/Dlg130_PortSetIds.h"
#include "resources/Dlg133_NetConfigIds.h"
#include "tests/support/ComPorts.h"

// The main window's tabs: Port Set, EDID Config, IP Config, Net Config, ...
inline constexpr int NET_CONFIG_TAB = 3;

// COM1 -> strCom1 (empty: no device), COM2..COM30 -> nothing that exists, so
// the machine's own /dev/ttyS* cannot leak into the run.
inline void PointComPorts(const QString& strCom1) {
    PointComPortsNowhere();
    if (!strCom1.isEmpty()) PointComPort(1, strCom1.toStdString());
}

inline std::unique_ptr<CCorvaneDlg> OpenMainWindow() {
    InstallSerialErrorSink();
    auto pDlg = std::make_unique<CCorvaneDlg>();
    if (!pDlg->Create(nullptr)) return nullptr;
    pDlg->GetSafeHwnd()->show();
    return pDlg;
}

// Lines of a log box, without the empty one after the last line break.
inline QStringList LogLines(const QString& strLog) {
    QString s = strLog;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList a = s.split(QLatin1Char('\n'));
    while (!a.isEmpty() && a.last().isEmpty()) a.removeLast();
    return a;
}

// Button nId of a window or page. Without it nothing after could run: a
// missing one ends the program with its number.
inline QAbstractButton* Button(const CDialog& dlg, int nId) {
    auto* p = dlg.GetItem<QAbstractButton>(nId);
    if (!p) qFatal("no button %d", nId);
    return p;
}

// The Port Set log's last line, empty while the log is.
inline QString PortSetLastLine() {
    const QStringList a = LogLines(g_PortSetPage.GetDlgItemText(Dlg130::IDC_LOG));
    return a.isEmpty() ? QString() : a.last();
}

// Every case starts from the state the application starts with (device,
// reply assembler, network link, search results) and records its message
// boxes instead of showing them.
inline void BeginWindowCase() {
    ResetDeviceState();
    RxReset();
    ResetNetLinkState();
    ResetSearchDecoder();
    MessageBoxScript::Begin();
}

// Shuts the window down, stops recording boxes and resets the state again.
// Returns how many boxes came that the case did not expect.
inline int EndWindowCase(std::unique_ptr<CCorvaneDlg>& pDlg) {
    if (pDlg) pDlg->Shutdown();
    pDlg.reset();
    const int nUnexpected = MessageBoxScript::UnexpectedCount();
    MessageBoxScript::End();
    ResetNetLinkState();
    ResetDeviceState();
    return nUnexpected;
}

// The window for the cases over UDP: no COM port leads anywhere, so the
// serial link stays closed, and the Net Config tab is chosen. Null when the
// window or its tabs could not be made.
inline std::unique_ptr<CCorvaneDlg> OpenOnNetConfigTab() {
    PointComPorts(QString());
    auto pDlg = OpenMainWindow();
    if (!pDlg) return nullptr;
    auto* pTabs = pDlg->GetSafeHwnd()->findChild<QTabBar*>();
    if (!pTabs) {
        pDlg->Shutdown();
        return nullptr;
    }
    pTabs->setCurrentIndex(NET_CONFIG_TAB);
    return pDlg;
}

// On the Net Config page: opens the PC socket on a port of the system's
// choosing, moves it onto 127.0.0.1 so that nothing in a test is addressed
// outside 127.0.0.0/8 and no test holds the default port 5001 (the page sees
// no difference), types strHost into the host field as the operator types
// it (digits, '.' moves to the next field) and presses Connect. Empty when
// the page is connected to strHost; otherwise what went wrong.
inline QString ConnectByTypedAddress(CCorvaneDlg& dlg, const QString& strHost) {
    g_NetConfigPage.SetDlgItemText(Dlg133::IDC_LOCAL_PORT, QStringLiteral("0"));
    Button(g_NetConfigPage, Dlg133::IDC_SOCKET)->click();
    if (g_NetConfigPage.GetDlgItemText(Dlg133::IDC_SOCKET) != QStringLiteral("Disconnect") || !g_SockUDP.IsOpen())
        return QStringLiteral("the PC socket did not open");
    if (!g_SockUDP.Open(0, "127.0.0.1")) return QStringLiteral("the socket could not be moved to 127.0.0.1");

    auto* pHost = g_NetConfigPage.GetItem<CIPAddressCtrl>(Dlg133::IDC_HOST_IP);
    if (!pHost) return QStringLiteral("no host address field");
    pHost->ClearAddress();
    dlg.GetSafeHwnd()->activateWindow();
    if (!QTest::qWaitForWindowActive(dlg.GetSafeHwnd())) return QStringLiteral("the window did not become active");
    auto* pFirst = pHost->findChild<QLineEdit*>();
    if (!pFirst) return QStringLiteral("the host address field has no fields");
    pFirst->setFocus();
    for (QChar c : strHost) {
        QWidget* pFocus = QApplication::focusWidget();
        if (!pFocus || !pHost->isAncestorOf(pFocus)) return QStringLiteral("the focus left the host address field");
        QTest::keyClick(pFocus, c.toLatin1());
    }
    DWORD dwTyped = 0;
    pHost->GetAddress(dwTyped);
    const QString strTyped = QString::fromStdString(corvane::link::DottedIp(dwTyped));
    if (strTyped != strHost) return QStringLiteral("typed %1, the field holds %2").arg(strHost, strTyped);

    Button(g_NetConfigPage, Dlg133::IDC_HOST_CONNECT)->click();
    if (g_NetConfigPage.GetDlgItemText(Dlg133::IDC_HOST_CONNECT) != QStringLiteral("Disconnect") ||
        g_bNetConnected != 1)
        return QStringLiteral("Connect did not connect");
    return {};
}
