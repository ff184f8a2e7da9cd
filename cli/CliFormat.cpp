#include "cli/CliFormat.h"

#include <QStringList>

#include "cli/CliOptions.h"
#include "link/DeviceNameText.h"
#include "link/EdidModes.h"

namespace corvane::cli {

namespace {

// Channels as the window's radio shows them.
const char* Channels(UINT nFlags) {
    for (const EdidChannelsName& c : EDID_CHANNELS)
        if (nFlags & c.nFlag) return c.pszText;
    return nullptr;
}

// An address of the network parameters as text.
QString Quad(const BYTE* p) { return QString::fromStdString(corvane::link::Ipv4Text({p[0], p[1], p[2], p[3]})); }

QString MacText() {
    QStringList parts;
    for (BYTE b : g_NetParams.abMac) parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(':'));
}

}  // namespace

QJsonArray RoutingJson() {
    QJsonArray a;
    for (int n = 0; n < OUTPUT_COUNT; ++n) a.append(g_nOutputSource[n] + 1);
    return a;
}

QString RoutingText() {
    QString s;
    for (int n = 0; n < OUTPUT_COUNT; ++n)
        s += QStringLiteral("Output %1: input %2\n").arg(n + 1).arg(g_nOutputSource[n] + 1);
    return s;
}

QString EdidDescription(int nMode, UINT nFlags) {
    QStringList parts;
    parts << (nMode >= 0 && nMode < EDID_MODE_COUNT ? QString::fromLatin1(EDID_MODES[nMode].pszText)
                                                    : QStringLiteral("mode %1").arg(nMode));
    for (const EdidOptionName& f : EDID_OPTIONS)
        if (nFlags & f.nFlag) parts << QString::fromLatin1(f.pszText);
    if (const char* pszCh = Channels(nFlags)) parts << QStringLiteral("%1 CH").arg(QLatin1String(pszCh));
    return parts.join(QLatin1String(", "));
}

int EdidModeFromWord(const QString& strWord) {
    for (int i = 0; i < EDID_MODE_COUNT; ++i) {
        if (strWord.compare(QLatin1String(EDID_MODES[i].pszWord), Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

UINT EdidChannelsFromText(const QString& strText) {
    for (const EdidChannelsName& c : EDID_CHANNELS)
        if (strText == QLatin1String(c.pszText)) return c.nFlag;
    return 0;
}

QJsonObject EdidJson(int nInput) {
    const EdidSetting& e = g_EdidSetting[nInput];
    QJsonObject o;
    o[QStringLiteral("input")] = nInput + 1;
    o[QStringLiteral("mode")] = e.nMode;
    if (e.nMode >= 0 && e.nMode < EDID_MODE_COUNT) {
        o[QStringLiteral("mode_name")] = QLatin1String(EDID_MODES[e.nMode].pszWord);
        o[QStringLiteral("mode_text")] = QLatin1String(EDID_MODES[e.nMode].pszText);
    }
    o[QStringLiteral("flags")] = static_cast<int>(e.nFlags & 0xFF);
    for (const EdidOptionName& f : EDID_OPTIONS) o[QLatin1String(f.pszWord)] = (e.nFlags & f.nFlag) != 0;
    const char* pszCh = Channels(e.nFlags);
    o[QStringLiteral("channels")] = pszCh ? QJsonValue(QLatin1String(pszCh)) : QJsonValue();
    return o;
}

QString EdidText(int nInput) {
    const EdidSetting& e = g_EdidSetting[nInput];
    return QStringLiteral("Input %1: %2\n").arg(nInput + 1).arg(EdidDescription(e.nMode, e.nFlags));
}

QString WithoutTrailingBlanks(QString strName) {
    while (strName.endsWith(QLatin1Char(' '))) strName.chop(1);
    return strName;
}

QString DeviceNameTrimmed() { return WithoutTrailingBlanks(DeviceNameToText(g_DeviceName)); }

QJsonObject NetJson() {
    QJsonObject o;
    o[QStringLiteral("ip")] = Quad(g_NetParams.abIp);
    o[QStringLiteral("mask")] = Quad(g_NetParams.abMask);
    o[QStringLiteral("gateway")] = Quad(g_NetParams.abGateway);
    o[QStringLiteral("dhcp")] = g_NetParams.bDhcp != 0;
    o[QStringLiteral("mac")] = MacText();
    return o;
}

QString NetText() {
    return QStringLiteral("IP address: %1\nNet mask: %2\nRouter: %3\nDHCP: %4\nMAC: %5\n")
        .arg(Quad(g_NetParams.abIp), Quad(g_NetParams.abMask), Quad(g_NetParams.abGateway),
             g_NetParams.bDhcp ? QStringLiteral("on") : QStringLiteral("off"), MacText());
}

QString DebugWord(int nValue) {
    if (nValue == 0) return QStringLiteral("on");
    if (nValue == 1) return QStringLiteral("off");
    return QString::number(nValue);
}

QJsonObject WholeConfigJson(bool bWithNet) {
    QJsonObject o;
    o[QStringLiteral("routing")] = RoutingJson();
    QJsonArray edid;
    for (int n = 0; n < INPUT_COUNT; ++n) edid.append(EdidJson(n));
    o[QStringLiteral("edid")] = edid;
    o[QStringLiteral("name")] = DeviceNameTrimmed();
    if (bWithNet) o[QStringLiteral("network")] = NetJson();
    return o;
}

QString WholeConfigText(bool bWithNet) {
    QString s = RoutingText();
    for (int n = 0; n < INPUT_COUNT; ++n) s += EdidText(n);
    s += QStringLiteral("Name: %1\n").arg(DeviceNameShown(DeviceNameTrimmed()));
    if (bWithNet) s += NetText();
    return s;
}

}  // namespace corvane::cli
