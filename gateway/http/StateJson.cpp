#include "gateway/http/StateJson.h"

#include <QJsonArray>

#include "gateway/hub/MacText.h"

namespace corvane::gateway {
namespace {

template <size_t N>
QString Dotted(const std::array<uint8_t, N>& bytes, const char* sep, int base) {
    QStringList parts;
    for (uint8_t b : bytes)
        parts << (base == 16 ? QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')) : QString::number(b));
    return parts.join(QLatin1String(sep));
}

}  // namespace

QJsonObject PresetsJson(const HostState& host) {
    QJsonObject o;
    for (const auto& [name, routing] : host.presets) o.insert(name, RoutingJson(routing));
    return o;
}

QJsonObject StateJson(const Hub& hub) {
    const SwitcherState& sw = hub.Switcher();
    const HostState& host = hub.Host();
    QJsonArray edid;
    for (const EdidValue& e : sw.edid)
        edid.append(QJsonObject{{QStringLiteral("mode"), e.mode}, {QStringLiteral("flags"), e.flags}});
    QJsonArray locks;
    for (const QString& who : host.lockedBy) locks.append(who.isEmpty() ? QJsonValue() : QJsonValue(who));
    const QJsonObject network{{QStringLiteral("mac"), MacText(sw.net.mac)},
                              {QStringLiteral("ip"), Dotted(sw.net.ip, ".", 10)},
                              {QStringLiteral("mask"), Dotted(sw.net.mask, ".", 10)},
                              {QStringLiteral("gateway"), Dotted(sw.net.gateway, ".", 10)},
                              {QStringLiteral("dhcp"), sw.net.dhcp}};
    return QJsonObject{
        {QStringLiteral("present"), sw.present},
        {QStringLiteral("known"), sw.known},
        {QStringLiteral("link"), hub.LinkName()},
        {QStringLiteral("name"), sw.name},
        {QStringLiteral("routing"), RoutingJson(sw.routing)},
        {QStringLiteral("edid"), edid},
        {QStringLiteral("network"), network},
        {QStringLiteral("labels"), LabelsJson(host)},
        {QStringLiteral("locks"), locks},
        {QStringLiteral("presets"), PresetsJson(host)},
    };
}

QString ChangeName(Change what) {
    switch (what) {
    case Change::Presence: return QStringLiteral("presence");
    case Change::Routing: return QStringLiteral("routing");
    case Change::Edid: return QStringLiteral("edid");
    case Change::Name: return QStringLiteral("name");
    case Change::Network: return QStringLiteral("network");
    case Change::Labels: return QStringLiteral("labels");
    case Change::Locks: return QStringLiteral("locks");
    case Change::Presets: return QStringLiteral("presets");
    }
    return {};
}

}  // namespace corvane::gateway
