#include "cli/Snapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "cli/CliFormat.h"
#include "link/CommandFrames.h"
#include "link/DeviceNameText.h"
#include "cli/DuplicateKeys.h"
#include "link/EdidModes.h"

namespace corvane::cli {

namespace {

QString AddressText(const Ipv4& ip) { return QString::fromStdString(corvane::link::Ipv4Text(ip)); }

bool Fail(QString& strError, const QString& strText) {
    strError = strText;
    return false;
}

// The range is checked on the double: converting one outside int first
// (1e300) is undefined behaviour.
bool IntIn(const QJsonValue& v, int nMin, int nMax, int& n) {
    if (!v.isDouble()) return false;
    const double d = v.toDouble();
    if (!(d >= nMin && d <= nMax) || d != std::floor(d)) return false;
    n = static_cast<int>(d);
    return true;
}

bool ParseRouting(const QJsonValue& v, Snapshot& snap, QString& strError) {
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != OUTPUT_COUNT)
        return Fail(strError, QStringLiteral("\"routing\" must list the input (1..4) of each of the 4 outputs"));
    std::array<int, OUTPUT_COUNT> routing{};
    for (int n = 0; n < OUTPUT_COUNT; ++n) {
        int nInput = 0;
        if (!IntIn(a[n], 1, 4, nInput))
            return Fail(strError, QStringLiteral("\"routing\" entry %1 must be an input 1..4").arg(n + 1));
        routing[n] = nInput - 1;
    }
    snap.routing = routing;
    return true;
}

// "flags" (the byte as read) when present, else the option keys.
bool ParseEdidFlags(const QJsonObject& o, UINT& nFlags, const QString& strWhere, QString& strError) {
    if (o.contains(QStringLiteral("flags"))) {
        int n = 0;
        if (!IntIn(o[QStringLiteral("flags")], 0, 255, n))
            return Fail(strError, strWhere + QStringLiteral(": \"flags\" must be 0..255"));
        nFlags = static_cast<UINT>(n);
        return true;
    }
    nFlags = 0;
    for (const EdidOptionName& f : EDID_OPTIONS)
        if (o[QLatin1String(f.pszWord)].toBool()) nFlags |= f.nFlag;
    const QString strCh = o[QStringLiteral("channels")].toString();
    const UINT nChannels = EdidChannelsFromText(strCh);
    if (!nChannels && !strCh.isEmpty())
        return Fail(strError, strWhere + QStringLiteral(": \"channels\" must be 2.0, 5.1 or 7.1"));
    nFlags |= nChannels;
    return true;
}

bool ParseEdidMode(const QJsonObject& o, int& nMode, const QString& strWhere, QString& strError) {
    if (o.contains(QStringLiteral("mode"))) {
        // Only the modes the switcher takes: another would wait out the
        // whole time-out for an answer that never comes.
        if (!IntIn(o[QStringLiteral("mode")], 0, EDID_MODE_COUNT - 1, nMode))
            return Fail(strError, strWhere + QStringLiteral(": \"mode\" must be 0..%1").arg(EDID_MODE_COUNT - 1));
        return true;
    }
    nMode = EdidModeFromWord(o[QStringLiteral("mode_name")].toString());
    if (nMode >= 0) return true;
    return Fail(
        strError,
        strWhere + QStringLiteral(": needs \"mode\" (0..%1) or a known \"mode_name\"").arg(EDID_MODE_COUNT - 1));
}

bool ParseEdid(const QJsonValue& v, Snapshot& snap, QString& strError) {
    if (!v.isArray()) return Fail(strError, QStringLiteral("\"edid\" must be a list of inputs"));
    for (const QJsonValue& item : v.toArray()) {
        const QJsonObject o = item.toObject();
        int nInput = 0;
        if (!item.isObject() || !IntIn(o[QStringLiteral("input")], 1, 4, nInput))
            return Fail(strError, QStringLiteral("each \"edid\" entry needs an \"input\" 1..4"));
        const QString strWhere = QStringLiteral("\"edid\" input %1").arg(nInput);
        if (snap.edid[nInput - 1]) return Fail(strError, strWhere + QStringLiteral(" is listed twice"));
        EdidSetting e{};
        if (!ParseEdidMode(o, e.nMode, strWhere, strError) || !ParseEdidFlags(o, e.nFlags, strWhere, strError))
            return false;
        snap.edid[nInput - 1] = e;
    }
    return true;
}

// The same rule as the name command: a name the switcher would not give
// back unchanged would be sent again by every later apply.
bool ParseName(const QJsonValue& v, Snapshot& snap, QString& strError) {
    if (!v.isString())
        return Fail(strError, QStringLiteral("\"name\" must be text of at most %1 characters").arg(DEVICE_NAME_LEN));
    const QString strName = v.toString();
    if (const QString strProblem = DeviceNameProblem(strName); !strProblem.isEmpty())
        return Fail(strError, QStringLiteral("\"name\": %1").arg(strProblem));
    snap.name = strName;
    return true;
}

bool ParseAddress(const QJsonObject& o, const char* pszKey, Ipv4& ip, QString& strError) {
    const std::optional<Ipv4> parsed = corvane::link::ParseIpv4(o[QLatin1String(pszKey)].toString().toStdString());
    if (!parsed)
        return Fail(strError, QStringLiteral("\"network\" needs \"%1\" as A.B.C.D").arg(QLatin1String(pszKey)));
    ip = *parsed;
    return true;
}

bool ParseNet(const QJsonValue& v, Snapshot& snap, QString& strError) {
    const QJsonObject o = v.toObject();
    if (!v.isObject()) return Fail(strError, QStringLiteral("\"network\" must be an object"));
    SnapshotNet net;
    if (!ParseAddress(o, "ip", net.ip, strError) || !ParseAddress(o, "mask", net.mask, strError) ||
        !ParseAddress(o, "gateway", net.gateway, strError))
        return false;
    if (!o[QStringLiteral("dhcp")].isBool())
        return Fail(strError, QStringLiteral("\"network\" needs \"dhcp\" as true or false"));
    net.bDhcp = o[QStringLiteral("dhcp")].toBool();
    snap.net = net;
    return true;
}

QString InputWord(int nIndex) { return QStringLiteral("input %1").arg(nIndex + 1); }

void PlanRouting(const Snapshot& snap, bool bAll, std::vector<PlannedChange>& plan) {
    if (!snap.routing) return;
    for (int n = 0; n < OUTPUT_COUNT; ++n) {
        const int nWant = (*snap.routing)[n];
        if (!bAll && g_nOutputSource[n] == nWant) continue;
        const QString strWhat =
            bAll
                ? QStringLiteral("output %1: %2").arg(n + 1).arg(InputWord(nWant))
                : QStringLiteral("output %1: %2 -> %3").arg(n + 1).arg(InputWord(g_nOutputSource[n]), InputWord(nWant));
        plan.push_back({ChangeKind::Route, n, Frames::Route(n, nWant), strWhat});
    }
}

void PlanEdid(const Snapshot& snap, bool bAll, std::vector<PlannedChange>& plan) {
    for (int n = 0; n < INPUT_COUNT; ++n) {
        if (!snap.edid[n]) continue;
        const EdidSetting& want = *snap.edid[n];
        const EdidSetting& have = g_EdidSetting[n];
        if (!bAll && SameEdid(have, want)) continue;
        const QString strWant = EdidDescription(want.nMode, want.nFlags);
        const QString strWhat = bAll ? QStringLiteral("EDID %1: %2").arg(InputWord(n), strWant)
                                     : QStringLiteral("EDID %1: %2 -> %3")
                                           .arg(InputWord(n), EdidDescription(have.nMode, have.nFlags), strWant);
        plan.push_back({ChangeKind::Edid, n, Frames::EdidApply(EDID_REG_BASE + n, want.nMode, want.nFlags), strWhat});
    }
}

void PlanName(const Snapshot& snap, bool bAll, std::vector<PlannedChange>& plan) {
    if (!snap.name) return;
    const QString strWant = WithoutTrailingBlanks(*snap.name);
    if (!bAll && DeviceNameTrimmed() == strWant) return;
    BYTE abName[DEVICE_NAME_LEN];
    DeviceNameFromText(strWant, abName);
    const QString strWhat =
        bAll ? QStringLiteral("name: \"%1\"").arg(strWant)
             : QStringLiteral("name: \"%1\" -> \"%2\"").arg(DeviceNameShown(DeviceNameTrimmed()), strWant);
    plan.push_back({ChangeKind::Name, 0, Frames::DeviceNameWrite(abName), strWhat});
}

void PlanNet(const Snapshot& snap, bool bAll, std::vector<PlannedChange>& plan) {
    if (!snap.net) return;
    const SnapshotNet& want = *snap.net;
    NetParams params = g_NetParams;
    std::memcpy(params.abIp, want.ip.data(), 4);
    std::memcpy(params.abMask, want.mask.data(), 4);
    std::memcpy(params.abGateway, want.gateway.data(), 4);
    params.bDhcp = want.bDhcp ? 1 : 0;
    if (!bAll && std::memcmp(&params, &g_NetParams, sizeof params) == 0) return;
    const QString strWhat = QStringLiteral("network: %1 mask %2 router %3 DHCP %4")
                                .arg(AddressText(want.ip), AddressText(want.mask), AddressText(want.gateway),
                                     want.bDhcp ? QStringLiteral("on") : QStringLiteral("off"));
    plan.push_back({ChangeKind::Net, 0, Frames::NetParamsWrite(params), strWhat});
}

}  // namespace

bool ParseSnapshot(const QByteArray& json, Snapshot& snap, QString& strError) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (doc.isNull())
        return Fail(strError, QStringLiteral("not JSON: %1 at offset %2").arg(err.errorString()).arg(err.offset));
    // The JSON reader keeps the last of two equal keys; which of two values
    // was meant cannot be told, so the file is refused.
    if (const std::optional<QString> strKey = FirstDuplicateKey(json))
        return Fail(strError, QStringLiteral("the key \"%1\" appears twice in one object").arg(*strKey));
    if (!doc.isObject())
        return Fail(strError, QStringLiteral("a snapshot is one JSON object (as load --json writes it)"));
    const QJsonObject o = doc.object();
    snap = Snapshot{};
    if (o.contains(QStringLiteral("routing")) && !ParseRouting(o[QStringLiteral("routing")], snap, strError))
        return false;
    if (o.contains(QStringLiteral("edid")) && !ParseEdid(o[QStringLiteral("edid")], snap, strError)) return false;
    if (o.contains(QStringLiteral("name")) && !ParseName(o[QStringLiteral("name")], snap, strError)) return false;
    if (o.contains(QStringLiteral("network")) && !ParseNet(o[QStringLiteral("network")], snap, strError)) return false;
    if (!snap.routing && !snap.name && !snap.net &&
        std::none_of(snap.edid.begin(), snap.edid.end(), [](const auto& e) { return e.has_value(); }))
        return Fail(strError, QStringLiteral("nothing to apply: no \"routing\", \"edid\", \"name\" or \"network\""));
    return true;
}

std::vector<PlannedChange> PlanApply(const Snapshot& snap, bool bWithNetwork, bool bAll) {
    std::vector<PlannedChange> plan;
    PlanRouting(snap, bAll, plan);
    PlanEdid(snap, bAll, plan);
    PlanName(snap, bAll, plan);
    if (bWithNetwork) PlanNet(snap, bAll, plan);
    return plan;
}

}  // namespace corvane::cli
