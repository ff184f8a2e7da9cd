#include "DeviceNameText.h"

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
