#pragma once
// The device state as corvane-cli prints it: plain text for people, JSON
// objects for scripts. Reads the globals the reply decoding fills.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "link/DeviceState.h"

namespace corvane::cli {

// Input number (1-based) routed to each output, outputs 1..4 in order.
QJsonArray RoutingJson();
QString RoutingText();

QJsonObject EdidJson(int nInput);
QString EdidText(int nInput);
// "1080P, HDR, 3D, 30Bit, 5.1 CH": the mode's text and its options.
QString EdidDescription(int nMode, UINT nFlags);
// The mode code of a command-line word ("4k30", any case); -1 for none.
int EdidModeFromWord(const QString& strWord);
// The channel bit of "2.0", "5.1" or "7.1"; 0 for anything else.
UINT EdidChannelsFromText(const QString& strText);

// A switcher's name without the trailing blanks it is padded with.
QString WithoutTrailingBlanks(QString strName);
// The switcher's name (g_DeviceName) without its trailing blanks.
QString DeviceNameTrimmed();

QJsonObject NetJson();
QString NetText();

QString DebugWord(int nValue);  // "on" (0), "off" (1), or the number

// Routing, EDID of each input, name; plus the network when bWithNet.
QJsonObject WholeConfigJson(bool bWithNet);
QString WholeConfigText(bool bWithNet);

}  // namespace corvane::cli
