#include "SerialErrorText.h"

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

QString PortAndPath(int nPortNr, const QString& strPath) {
    return QStringLiteral("COM%1 (%2)").arg(nPortNr).arg(strPath);
}

QString DeviceLostDetails(int nPortNr, const QString& strPath) {
    return PortAndPath(nPortNr, strPath) +
           QStringLiteral(" stopped answering: the device was unplugged or switched off.\n\n"
                          "Press \"Disconnect!\", then \"Connect\" once the device is back.");
}

QString SerialErrorDetails(int nPortNr, const QString& strPath) { return PortAndPath(nPortNr, strPath); }

QString OpenFailureDetails(int nPortNr, const QString& strPath, int nErrno, const QString& strReason,
                           const QString& strGroup, const QString& strUser) {
    QString strDetails = PortAndPath(nPortNr, strPath);
    if (!strReason.isEmpty()) strDetails += QStringLiteral(": ") + strReason;
    if (nErrno != EACCES && nErrno != EPERM) return strDetails;
    if (strGroup == QLatin1String("dialout")) {
        return strDetails + QStringLiteral(
                                "\n\nSerial ports belong to the group \"dialout\". Add your user to it "
                                "(sudo adduser %1 dialout), then log out and in again.")
                                .arg(strUser);
    }
    return strDetails + QStringLiteral("\n\nUser \"%1\" has no read and write access to %2.").arg(strUser, strPath);
}

QString FileGroupName(const QString& strPath) {
    struct stat st {};
    if (::stat(strPath.toLocal8Bit().constData(), &st) != 0) return {};
    const group* pGroup = ::getgrgid(st.st_gid);
    return pGroup ? QString::fromLocal8Bit(pGroup->gr_name) : QString::number(st.st_gid);
}

QString CurrentUserName() {
    const uid_t nUid = ::geteuid();
    const passwd* pUser = ::getpwuid(nUid);
    return pUser ? QString::fromLocal8Bit(pUser->pw_name) : QString::number(nUid);
}
