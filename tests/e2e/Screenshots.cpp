// corvane-screenshots: renders the main window offscreen after connecting to
// corvane-sim, once with the Port Set page and once with the EDID Config
// page, and saves the PNGs into the directory given as the first argument.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTabBar>
#include <QTest>
#include <cstdio>
#include <functional>

#include "E2eFixture.h"
#include "EdidConfigPage.h"
#include "MessageBox.h"
#include "PortSetPage.h"
#include "SimProcess.h"

namespace {

bool WaitFor(const std::function<bool()>& pred, int nMaxMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!pred() && timer.elapsed() < nMaxMs) QTest::qWait(10);
    return pred();
}

bool Save(QWidget* pWnd, const QString& strPath) {
    const bool bOk = pWnd->grab().save(strPath, "PNG");
    std::printf("%s %s\n", bOk ? "saved" : "FAILED", qPrintable(strPath));
    return bOk;
}

int Fail(const char* pszWhat) {
    std::fprintf(stderr, "corvane-screenshots: %s\n", pszWhat);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QString strDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(strDir);

    CSimProcess sim;
    if (!sim.Start(QStringLiteral(CORVANE_SIM_PATH))) return Fail("cannot start corvane-sim");
    // Input 2 with 5.1 audio and deep colour, so the EDID page shows more than defaults.
    if (!sim.Preset("@ W 06 03 35 #", 1)) return Fail("the simulator did not take the preset");
    PointComPorts(sim.SlavePath());
    MessageBoxScript::Begin();   // a box would be a fault here, never a prompt

    auto pDlg = OpenMainWindow();
    if (!pDlg) return Fail("cannot create the main window");
    QWidget* pWnd = pDlg->GetSafeHwnd();
    pDlg->GetItem<QAbstractButton>(1001)->click();
    if (!WaitFor([] { return g_EdidConfigPage.GetDlgItemText(1069) == QStringLiteral("Load All config data success!"); }))
        return Fail("no load-all reply");
    g_PortSetPage.GetItem<QAbstractButton>(1010)->click();   // output 2 <- input 3
    if (!WaitFor([] { return g_EdidConfigPage.GetDlgItemText(1069) == QStringLiteral("Set success!"); }))
        return Fail("no acknowledgement");
    QTest::qWait(100);

    bool bOk = Save(pWnd, strDir + QStringLiteral("/main-port-set.png"));
    QTabBar* pBar = pDlg->GetDlgItem(1002)->findChild<QTabBar*>();
    if (!pBar) return Fail("no tab bar");
    QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->tabRect(1).center());
    if (!WaitFor([] { return g_EdidConfigPage.IsWindowVisible() == TRUE; }, 2000)) return Fail("EDID page not shown");
    QTest::qWait(100);
    bOk = Save(pWnd, strDir + QStringLiteral("/main-edid-config.png")) && bOk;

    for (const auto& box : MessageBoxScript::History())
        std::fprintf(stderr, "corvane-screenshots: unexpected box: %s\n", qPrintable(box.strText));
    const bool bNoBoxes = MessageBoxScript::History().empty();
    MessageBoxScript::End();
    pDlg->Shutdown();
    pDlg.reset();
    return bOk && bNoBoxes ? 0 : 1;
}
