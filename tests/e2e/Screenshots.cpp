// corvane-screenshots: renders the main window offscreen after connecting to
// corvane-sim, once each with the Port Set page, the EDID Config page, the
// Net Config page after a search and the System Config page with its service
// group shown, and saves the PNGs into the directory given as the first
// argument.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QTabBar>
#include <QTest>
#include <cstdio>
#include <cstring>

#include "resources/Dlg133_NetConfigIds.h"
#include "tests/e2e/E2eFixture.h"
#include "resources/Dlg135_SystemConfigIds.h"
#include "pages/EdidConfigPage.h"
#include "framework/MessageBox.h"
#include "link/NetLinkState.h"
#include "link/NetReceive.h"
#include "tests/support/OffscreenScreen.h"
#include "pages/PortSetPage.h"
#include "pages/Set_Net_Config.h"
#include "tests/support/SimProcess.h"
#include "link/Sock_UDP.h"
#include "tests/support/TextFit.h"
#include "tests/support/Wait.h"
#include "pages/System_Setting_Page.h"

#include "platform/QtEventLoop.h"

namespace {

// Reports controls whose text needs more room than they have.
void ReportTight(QWidget* pWnd, const char* pszView) {
    for (const QString& strClipped : ClippedTexts(pWnd)) std::printf("%s: clipped: %s\n", pszView, qPrintable(strClipped));
}

bool Save(QWidget* pWnd, const QString& strPath) {
    const bool bOk = pWnd->grab().save(strPath, "PNG");
    std::printf("%s %s\n", bOk ? "saved" : "FAILED", qPrintable(strPath));
    return bOk;
}

// The Net Config page with its socket open and three switchers found. The
// search goes to a loopback address, never to the network; the replies are
// handed to the receive logic as if they had come from 127.0.0.2 to .4.
bool SaveNetConfig(QTabBar* pBar, QWidget* pWnd, const QString& strDir) {
    QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(3).center());
    if (!WaitUntil([] { return g_NetConfigPage.IsWindowVisible() == TRUE; }, 2000)) return false;
    g_NetConfigPage.GetItem<QAbstractButton>(Dlg133::IDC_SOCKET)->click();
    if (g_bSocketOpen != 1) return false;
    g_SockUDP.SetSearchDestination(0x7F000009);
    g_NetConfigPage.GetItem<QAbstractButton>(Dlg133::IDC_SEARCH)->click();
    const struct { DWORD dwIp; const char* pszReply; } aReplies[] = {
        {0x7F000002, "@20 53 74 75 64 69 6f 2d 41 00 00 00 00 00 00 00 00#"},          // Studio-A
        {0x7F000003, "@20 43 6f 6e 74 72 6f 6c 20 52 6f 6f 6d 00 00 00 00#"},          // Control Room
        {0x7F000004, "@20 48 61 6c 6c 20 33 46 20 4c 65 66 74 00 00 00 00#"},          // Hall 3F Left
    };
    for (const auto& r : aReplies)
        NetReceive(r.pszReply, static_cast<int>(std::strlen(r.pszReply)), r.dwIp, &g_NetConfigPage, nullptr);
    QTest::qWait(100);
    const bool bOk = Save(pWnd, strDir + QStringLiteral("/net-config.png"));
    ReportTight(pWnd, "net config");
    g_SockUDP.SetSearchDestination(BROADCAST_IP);
    return bOk;
}

int Fail(const char* pszWhat) {
    std::fprintf(stderr, "corvane-screenshots: %s\n", pszWhat);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    UseOffscreenScreen();
    QtEventLoop::Choose();  // the programs' own event loop
    QApplication app(argc, argv);
    const QString strDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(strDir);

    CSimProcess sim;
    if (!sim.Start()) return Fail("cannot start corvane-sim");
    // Input 2 with 5.1 audio and deep colour, so the EDID page shows more than defaults.
    if (!sim.Preset("@ W 06 03 35 #", 1)) return Fail("the simulator did not take the preset");
    PointComPorts(sim.SlavePath());
    MessageBoxScript::Begin();   // a box would be a fault here, never a prompt

    auto pDlg = OpenMainWindow();
    if (!pDlg) return Fail("cannot create the main window");
    QWidget* pWnd = pDlg->GetSafeHwnd();
    pDlg->GetItem<QAbstractButton>(Dlg102::IDC_CONNECT)->click();
    if (!WaitUntil([] { return g_EdidConfigPage.GetDlgItemText(Dlg129::IDC_LOG) == QStringLiteral("Load All config data success!"); }))
        return Fail("no load-all reply");
    g_PortSetPage.GetItem<QAbstractButton>(Dlg130::IDC_OUT2_IN3)->click();   // output 2 <- input 3
    if (!WaitUntil([] { return g_EdidConfigPage.GetDlgItemText(Dlg129::IDC_LOG) == QStringLiteral("Set success!"); }))
        return Fail("no acknowledgement");
    QTest::qWait(100);

    bool bOk = Save(pWnd, strDir + QStringLiteral("/main-port-set.png"));
    ReportTight(pWnd, "port set");
    for (QWidget* p : {pWnd, g_PortSetPage.GetDlgItem(Dlg130::IDC_DISPLAY_1), g_PortSetPage.GetDlgItem(Dlg130::IDC_LOG)}) {
        const QFontInfo info(p->font());
        std::printf("font of %s: asked \"%s\" %.1f pt, got \"%s\" %d px\n", qPrintable(p->objectName()),
                    qPrintable(p->font().family()), p->font().pointSizeF(), qPrintable(info.family()), info.pixelSize());
    }
    QTabBar* pBar = pDlg->GetDlgItem(Dlg102::IDC_TAB)->findChild<QTabBar*>();
    if (!pBar) return Fail("no tab bar");
    QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(1).center());
    if (!WaitUntil([] { return g_EdidConfigPage.IsWindowVisible() == TRUE; }, 2000)) return Fail("EDID page not shown");
    QTest::qWait(100);
    bOk = Save(pWnd, strDir + QStringLiteral("/main-edid-config.png")) && bOk;
    ReportTight(pWnd, "edid config");

    bOk = SaveNetConfig(pBar, pWnd, strDir) && bOk;

    // System Config with the service group shown and the debug mode read back.
    QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(4).center());
    if (!WaitUntil([] { return g_SystemConfigPage.IsWindowVisible() == TRUE; }, 2000))
        return Fail("System Config page not shown");
    auto* pCommand = g_SystemConfigPage.GetItem<QLineEdit>(Dlg135::IDC_COMMAND);
    if (!pCommand) return Fail("no Command box");
    QTest::keyClicks(pCommand, QString::fromLatin1(CSystemConfigPage::SERVICE_ON));
    g_SystemConfigPage.GetItem<QAbstractButton>(Dlg135::IDC_COMMAND_APPLY)->click();
    g_SystemConfigPage.GetItem<QAbstractButton>(Dlg135::IDC_DEBUG_GET)->click();
    if (!WaitUntil([] { return g_SystemConfigPage.GetDebugMode() >= 0; })) return Fail("no debug-mode reply");
    QTest::qWait(100);
    bOk = Save(pWnd, strDir + QStringLiteral("/system-config.png")) && bOk;
    ReportTight(pWnd, "system config");

    for (const auto& box : MessageBoxScript::History())
        std::fprintf(stderr, "corvane-screenshots: unexpected box: %s\n", qPrintable(box.strText));
    const bool bNoBoxes = MessageBoxScript::History().empty();
    MessageBoxScript::End();
    pDlg->Shutdown();
    pDlg.reset();
    return bOk && bNoBoxes ? 0 : 1;
}
