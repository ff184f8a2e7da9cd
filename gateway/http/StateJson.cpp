#include "gateway/http/StateJson.h"

#include <QJsonArray>

#include "link/Ipv4Text.h"
#include "gateway/hub/MacText.h"

namespace corvane::gateway {
namespace {

QString AddressText(const link::Ipv4& ip) { return QString::fromStdString(link::Ipv4Text(ip)); }

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
                              {QStringLiteral("ip"), AddressText(sw.net.ip)},
                              {QStringLiteral("mask"), AddressText(sw.net.mask)},
                              {QStringLiteral("gateway"), AddressText(sw.net.gateway)},
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
