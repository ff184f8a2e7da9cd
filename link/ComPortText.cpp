#include "link/ComPortText.h"

#include "link/SerialPort.h"

namespace corvane::link {

int ParseComPort(const QString& strText) {
    if (strText.contains(QLatin1Char('/'))) return 0;
    if (!strText.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return -1;
    const QString strNumber = strText.mid(3);
    bool bOk = false;
    const int n = strNumber.toInt(&bOk);
    if (!bOk || strNumber.startsWith(QLatin1Char('+')) || n < 1 || n > MaxSerialPortNum) return -1;
    return n;
}

QString ComPortName(int nPortNr) { return QStringLiteral("COM%1").arg(nPortNr); }

}  // namespace corvane::link
