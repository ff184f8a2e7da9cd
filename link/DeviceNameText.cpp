#include "link/DeviceNameText.h"

#include <QList>

void DeviceNameFromText(const QString& strText, BYTE abName[DEVICE_NAME_LEN]) {
    // Code points, so that a character outside the BMP is one '?', not two.
    const QList<uint> aChars = strText.toUcs4();
    for (int i = 0; i < DEVICE_NAME_LEN; ++i) {
        if (i >= aChars.size()) {
            abName[i] = ' ';
            continue;
        }
        const uint c = aChars[i];
        abName[i] = c <= 0xFF ? static_cast<BYTE>(c) : static_cast<BYTE>('?');
    }
}

QString DeviceNameToText(const BYTE abName[DEVICE_NAME_LEN]) {
    int nLen = 0;
    while (nLen < DEVICE_NAME_LEN && abName[nLen] != 0) ++nLen;
    return QString::fromLatin1(reinterpret_cast<const char*>(abName), nLen);
}

namespace {

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

QString Escaped(char32_t c) {
    return QStringLiteral("\\x") +
           QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

}  // namespace

bool DeviceNameCharAllowed(char32_t c) { return c <= 0xFF && !IsControl(c); }

QString DeviceNameProblem(const QString& strText) {
    const QList<uint> aChars = strText.toUcs4();
    if (aChars.size() > DEVICE_NAME_LEN)
        return QStringLiteral("at most %1 characters, not %2").arg(DEVICE_NAME_LEN).arg(aChars.size());
    for (uint c : aChars) {
        if (DeviceNameCharAllowed(c)) continue;
        const QString strChar = IsControl(c) ? Escaped(c) : QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        return QStringLiteral("'%1' cannot be stored in the switcher's name").arg(strChar);
    }
    return {};
}

QString DeviceNameShown(const QString& strName) {
    QString strShown;
    for (uint c : strName.toUcs4())
        strShown += IsControl(c) ? Escaped(c) : QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
    return strShown;
}
