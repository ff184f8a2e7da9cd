#include "gateway/mqtt/MqttSettings.h"

#include <QFile>
#include <QUrl>

namespace corvane::gateway::mqtt {
namespace {

constexpr int ID_MAX_CHARS = 64;

bool ValidPrefix(const QString& prefix) {
    if (prefix.isEmpty()) return false;
    for (const QString& level : prefix.split(QLatin1Char('/'))) {
        if (!ValidTopicLevel(level)) return false;
    }
    return true;
}

bool ParseUrl(const QString& text, MqttSettings& out, QString& error) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts")) ||
        (!url.path().isEmpty() && url.path() != QLatin1String("/")) || !url.userInfo().isEmpty()) {
        error = QStringLiteral("mqtt %1 is not mqtt://HOST[:PORT] or mqtts://HOST[:PORT]").arg(text);
        return false;
    }
    out.enabled = true;
    out.tls = scheme == QLatin1String("mqtts");
    out.host = url.host();
    out.port = url.port(out.tls ? DEFAULT_MQTTS_PORT : DEFAULT_MQTT_PORT);
    if (out.port < 1) {
        error = QStringLiteral("mqtt %1: the port must be 1..65535").arg(text);
        return false;
    }
    return true;
}

}  // namespace

QStringList MqttKeys() {
    return {QStringLiteral("mqtt"),
            QStringLiteral("mqtt-ca"),
            QStringLiteral("mqtt-id"),
            QStringLiteral("mqtt-user"),
            QStringLiteral("mqtt-password-file"),
            QStringLiteral("discovery-prefix")};
}

bool ValidTopicLevel(const QString& text) {
    if (text.isEmpty() || text.size() > ID_MAX_CHARS) return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool bOk =
            (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '_';
        if (!bOk) return false;
    }
    return true;
}

bool ParseMqttSettings(const QMap<QString, QString>& s, MqttSettings& out, QString& error) {
    out = MqttSettings{};
    const QString url = s.value(QStringLiteral("mqtt"));
    if (url.isEmpty()) {
        for (const QString& key : MqttKeys()) {
            if (s.contains(key) && key != QLatin1String("mqtt")) {
                error = QStringLiteral("%1 needs mqtt (the broker's URL)").arg(key);
                return false;
            }
        }
        return true;
    }
    if (!ParseUrl(url, out, error)) return false;
    out.caFile = s.value(QStringLiteral("mqtt-ca"));
    if (!out.caFile.isEmpty() && !out.tls) {
        error = QStringLiteral("mqtt-ca is for mqtts:// brokers");
        return false;
    }
    out.id = s.value(QStringLiteral("mqtt-id"));
    if (s.contains(QStringLiteral("mqtt-id")) && !ValidTopicLevel(out.id)) {
        error = QStringLiteral("mqtt-id is 1..%1 letters, digits, '-' or '_'").arg(ID_MAX_CHARS);
        return false;
    }
    out.user = s.value(QStringLiteral("mqtt-user"));
    out.passwordFile = s.value(QStringLiteral("mqtt-password-file"));
    if (!out.passwordFile.isEmpty() && out.user.isEmpty()) {
        error = QStringLiteral("mqtt-password-file needs mqtt-user");
        return false;
    }
    if (s.contains(QStringLiteral("discovery-prefix"))) {
        out.discoveryPrefix = s.value(QStringLiteral("discovery-prefix"));
        if (!ValidPrefix(out.discoveryPrefix)) {
            error = QStringLiteral("discovery-prefix is topic levels of letters, digits, '-' or '_' joined by '/'");
            return false;
        }
    }
    return true;
}

bool ReadPasswordFile(const QString& path, QString& password, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the MQTT password file %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) {
        error = QStringLiteral("the MQTT password file %1 is empty").arg(path);
        return false;
    }
    password = QString::fromUtf8(line);
    return true;
}

QString MqttUsage() {
    return QStringLiteral(
        "  --mqtt URL           publish to and take commands from an MQTT broker:\n"
        "                       mqtt://HOST[:1883] or mqtts://HOST[:8883]\n"
        "  --mqtt-ca FILE       the CA certificate for mqtts (default: the system's)\n"
        "  --mqtt-id ID         topics under corvane/ID (default: the switcher's MAC)\n"
        "  --mqtt-user NAME     log in to the broker as NAME\n"
        "  --mqtt-password-file FILE  with the password on the file's first line\n"
        "  --discovery-prefix PREFIX  Home Assistant discovery (default homeassistant)\n");
}

}  // namespace corvane::gateway::mqtt
