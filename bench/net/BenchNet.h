#pragma once
// The main window connected over UDP to a switcher simulator on a loopback
// address, the way the operator does it on the Net Config page. The page's
// socket is moved onto 127.0.0.1 after it opened, so that nothing the
// benchmarks send is addressed outside 127.0.0.0/8.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTabBar>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/app/BenchApp.h"
#include "tests/support/ComPorts.h"
#include "app/Corvane.h"
#include "app/CorvaneDlg.h"
#include "resources/Dlg133_NetConfigIds.h"
#include "pages/EdidConfigPage.h"
#include "framework/IPAddressCtrl.h"
#include "framework/MessageBox.h"
#include "link/NetLinkState.h"
#include "tests/support/ProcessCpu.h"
#include "pages/Set_Net_Config.h"
#include "link/Sock_UDP.h"

inline QAbstractButton* NetButton(int nId) { return g_NetConfigPage.GetItem<QAbstractButton>(nId); }

// The main window with the Net Config page shown and its socket open on
// 127.0.0.1 (a port the system picks). Null, with the reason printed, when
// that fails.
inline std::unique_ptr<CCorvaneDlg> StartWithSocketOpen(const char* pszWho) {
    PointComPortsNowhere();
    auto pDlg = ShowMainWindow();
    if (auto* pTabs = pDlg->GetSafeHwnd()->findChild<QTabBar*>()) pTabs->setCurrentIndex(3);
    g_NetConfigPage.SetDlgItemText(Dlg133::IDC_LOCAL_PORT, QStringLiteral("0"));
    NetButton(Dlg133::IDC_SOCKET)->click();
    if (!g_SockUDP.IsOpen() || !g_SockUDP.Open(0, "127.0.0.1")) {
        std::printf("%s: the socket did not open\n", pszWho);
        return nullptr;
    }
    return pDlg;
}

// As above, then connected to the switcher at dwHost: its whole
// configuration loaded.
inline std::unique_ptr<CCorvaneDlg> StartNetConnected(DWORD dwHost, const char* pszWho) {
    auto pDlg = StartWithSocketOpen(pszWho);
    if (!pDlg) return nullptr;
    g_NetConfigPage.GetItem<CIPAddressCtrl>(Dlg133::IDC_HOST_IP)->SetAddress(dwHost);
    NetButton(Dlg133::IDC_HOST_CONNECT)->click();
    const bool bLoaded = SpinUntil(
        [] { return g_EdidConfigPage.GetDlgItemText(1069) == QStringLiteral("Load All config data success!"); }, 5000);
    if (!g_bNetConnected || !bLoaded) {
        std::printf("%s: no configuration loaded over UDP\n", pszWho);
        return nullptr;
    }
    return pDlg;
}

inline DWORD HostOrderIp(const std::string& strIp) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(strIp.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    return a << 24 | b << 16 | c << 8 | d;
}
