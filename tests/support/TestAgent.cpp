// corvane_test_agent: loaded into a running corvane with LD_PRELOAD, it
// presses the buttons named in CORVANE_TEST_CLICK (object names, that is
// control IDs, separated by commas), in that order, each as soon as it is
// visible and enabled. On an offscreen display the real executable has no
// other input, so this is how a process test connects it to a port.
#include <QAbstractButton>
#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <memory>

namespace {

QAbstractButton* FindReady(const QString& strName) {
    for (QWidget* pTop : QApplication::topLevelWidgets()) {
        if (!pTop->isVisible()) continue;
        auto* pButton = pTop->findChild<QAbstractButton*>(strName);
        if (pButton && pButton->isVisible() && pButton->isEnabled()) return pButton;
    }
    return nullptr;
}

void StartAgent() {
    const QStringList aNames = qEnvironmentVariable("CORVANE_TEST_CLICK").split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (aNames.isEmpty()) return;
    auto pPending = std::make_shared<QStringList>(aNames);
    auto* pTimer = new QTimer(QCoreApplication::instance());
    QObject::connect(pTimer, &QTimer::timeout, pTimer, [pTimer, pPending] {
        // Only a widget application has buttons to press.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return pTimer->stop();
        QAbstractButton* pButton = FindReady(pPending->first());
        if (!pButton) return;
        std::fprintf(stderr, "corvane_test_agent: click %s\n", qPrintable(pPending->first()));
        pPending->removeFirst();
        if (pPending->isEmpty()) pTimer->stop();
        pButton->click();
    });
    pTimer->start(20);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartAgent)
