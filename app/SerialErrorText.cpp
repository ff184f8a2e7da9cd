#include "app/SerialErrorText.h"

QString PortAndPath(int nPortNr, const QString& strPath) {
    return QStringLiteral("COM%1 (%2)").arg(nPortNr).arg(strPath);
}

QString DeviceLostDetails(int nPortNr, const QString& strPath) {
    return PortAndPath(nPortNr, strPath) +
           QStringLiteral(" stopped answering: the device was unplugged or switched off.\n\n"
                          "Press \"Disconnect!\", then \"Connect\" once the device is back.");
}

QString SerialErrorDetails(int nPortNr, const QString& strPath) { return PortAndPath(nPortNr, strPath); }

QString OpenFailureDetails(int nPortNr, const QString& strReason, const OpenFailureFacts& facts) {
    QString strDetails = PortAndPath(nPortNr, facts.strPath);
    if (!strReason.isEmpty()) strDetails += QStringLiteral(": ") + strReason;
    const QString strAdvice = OpenFailureAdvice(facts);
    if (!strAdvice.isEmpty()) strDetails += QStringLiteral("\n\n") + strAdvice;
    return strDetails;
}
