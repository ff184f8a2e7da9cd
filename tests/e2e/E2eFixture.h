#pragma once
// The main window created the way the application creates it (all pages,
// the 30-port probe), with every COM port pointed at a path that does not
// exist except COM1, which the caller points at the simulator's device.
#include <QAbstractButton>
#include <QComboBox>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <memory>
#include <string>

#include "ComPorts.h"
#include "Corvane.h"
#include "CorvaneDlg.h"
#include "Dlg102_MainIds.h"
#include "Dlg129_EdidConfigIds.h"
#include "Dlg130_PortSetIds.h"
#include "SerialPort.h"

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
