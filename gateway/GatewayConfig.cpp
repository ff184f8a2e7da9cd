#include "gateway/GatewayConfig.h"

#include <optional>

#include "link/ComPortText.h"
#include "link/Ipv4Text.h"
#include "gateway/hub/StateStore.h"

namespace corvane::gateway {
namespace {

// The settings both the file and the command line know.
const QStringList KEYS = QStringList{QStringLiteral("port"),          QStringLiteral("host"),  QStringLiteral("local-port"),
                          QStringLiteral("http"),          QStringLiteral("state"), QStringLiteral("token"),
                          QStringLiteral("serial-poll-ms"),
                          QStringLiteral("videohub"),      QStringLiteral("relay")} + mqtt::MqttKeys();

bool Number(const QString& text, int lo, int hi, int& out) {
    bool bOk = false;
    const int n = text.toInt(&bOk);
    if (!bOk || n < lo || n > hi) return false;
    out = n;
    return true;
}

// "A.B.C.D:PORT" of a listener.
bool Listener(const QString& text, QHostAddress& address, quint16& port) {
    const qsizetype nColon = text.lastIndexOf(QLatin1Char(':'));
    int nPort = 0;
    if (nColon <= 0 || !link::ParseIpv4(text.left(nColon).toStdString()) || !Number(text.mid(nColon + 1), 0, 65535, nPort)) return false;
    address = QHostAddress(text.left(nColon));
    port = static_cast<quint16>(nPort);
    return true;
}

// The one wording of a listener setting that does not read: the form it
// takes, then an example for this computer alone and one for the LAN, on
// the listener's default port. Without a port the form is the address alone
// (the relay's UDP port is fixed).
QString ListenerError(const QString& key, const QString& value, std::optional<int> port) {
    const QString form = port ? QStringLiteral("ADDRESS:PORT") : QStringLiteral("ADDRESS");
    const QString onPort = port ? QStringLiteral(":%1").arg(*port) : QString();
    return QStringLiteral("%1 %2 is not %3 (for example 127.0.0.1%4, or 0.0.0.0%4 for the LAN)")
        .arg(key, value, form, onPort);
}

}  // namespace

bool ParseCommandLine(const QStringList& args, Settings& settings, QString& configFile, bool& configGiven, bool& help,
                      bool& version, QString& error) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
            continue;
        }
        if (a == QLatin1String("--version")) {
            version = true;
            continue;
        }
        const QString key = a.startsWith(QLatin1String("--")) ? a.mid(2) : QString();
        if (key != QLatin1String("config") && !KEYS.contains(key)) {
            error = QStringLiteral("unknown option %1").arg(a);
            return false;
        }
        if (i + 1 >= args.size()) {
            error = QStringLiteral("%1 needs a value").arg(a);
            return false;
        }
        const QString value = args[++i];
        if (key == QLatin1String("config")) {
            configFile = value;
            configGiven = true;
        } else {
            settings[key] = value;
        }
    }
    return true;
}

bool ParseConfigText(const QString& text, Settings& settings, QString& error) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        const qsizetype nHash = line.indexOf(QLatin1Char('#'));
        if (nHash >= 0) line.truncate(nHash);
        line = line.trimmed();
        if (line.isEmpty()) continue;
        const qsizetype nEq = line.indexOf(QLatin1Char('='));
        const QString key = nEq > 0 ? line.left(nEq).trimmed() : QString();
        if (!KEYS.contains(key)) {
            error =
                QStringLiteral("line %1: expected one of %2 = value").arg(n + 1).arg(KEYS.join(QStringLiteral(", ")));
            return false;
        }
        settings[key] = line.mid(nEq + 1).trimmed();
    }
    return true;
}

bool MakeConfig(const Settings& s, GatewayConfig& c, QString& error) {
    c.port = s.value(QStringLiteral("port"));
    c.host = s.value(QStringLiteral("host"));
    if (c.port.isEmpty() == c.host.isEmpty()) {
        error = QStringLiteral("name the switcher's link: either port (COMn or a device path) or host (A.B.C.D)");
        return false;
    }
    if (!c.port.isEmpty() && link::ParseComPort(c.port) < 0) {
        error = QStringLiteral("port %1 is neither COM1..COM30 nor a device path").arg(c.port);
        return false;
    }
    if (!c.host.isEmpty() && !link::ParseIpv4(c.host.toStdString())) {
        error = QStringLiteral("host %1 is not an address A.B.C.D").arg(c.host);
        return false;
    }
    if (s.contains(QStringLiteral("local-port")) &&
        !Number(s.value(QStringLiteral("local-port")), 0, 65535, c.localPort)) {
        error = QStringLiteral("local-port must be 0..65535");
        return false;
    }
    const QString http = s.value(QStringLiteral("http"), QStringLiteral("127.0.0.1:%1").arg(DEFAULT_HTTP_PORT));
    if (!Listener(http, c.httpAddress, c.httpPort)) {
        error = ListenerError(QStringLiteral("http"), http, DEFAULT_HTTP_PORT);
        return false;
    }
    c.stateFile = s.value(QStringLiteral("state"), QString::fromLatin1(DEFAULT_STATE_FILE));
    c.token = s.value(QStringLiteral("token"));
    if (s.contains(QStringLiteral("serial-poll-ms")) &&
        !Number(s.value(QStringLiteral("serial-poll-ms")), 200, 60000, c.serialPollMs)) {
        error = QStringLiteral("serial-poll-ms must be 200..60000");
        return false;
    }
    if (s.contains(QStringLiteral("videohub")) &&
        !Listener(s.value(QStringLiteral("videohub")), c.videohubAddress, c.videohubPort)) {
        error = ListenerError(QStringLiteral("videohub"), s.value(QStringLiteral("videohub")), DEFAULT_VIDEOHUB_PORT);
        return false;
    }
    const QString relay = s.value(QStringLiteral("relay"));
    if (!relay.isEmpty()) {
        if (!link::ParseIpv4(relay.toStdString())) {
            error = ListenerError(QStringLiteral("relay"), relay, std::nullopt);
            return false;
        }
        c.relay = true;
        c.relayAddress = QHostAddress(relay);
    }
    return mqtt::ParseMqttSettings(s, c.mqtt, error);
}

QString GatewayUsage() {
    return QStringLiteral(
               "Usage: corvane-gateway (--port COMn|DEVICE | --host A.B.C.D) [options]\n"
               "Owns the link to one switcher and serves many clients: a JSON API and\n"
               "a WebSocket over HTTP, and a page for phones and tablets.\n"
               "\n"
               "  --port COMn|DEVICE   the switcher on a serial port (opened again by name\n"
               "                       on every reconnect, so /dev/serial/by-id/... works)\n"
               "  --host A.B.C.D       the switcher on the network (UDP port 5000)\n"
               "  --local-port N       this computer's UDP port (default 5001)\n"
               "  --http ADDRESS:PORT  the HTTP listener (default 127.0.0.1:8080)\n"
               "  --state FILE         labels, locks and presets (default %1)\n"
               "  --token TEXT         changes need \"Authorization: Bearer TEXT\"\n"
               "  --serial-poll-ms N   read the routing over serial every N ms (default 2000)\n"
               "  --videohub ADDRESS:PORT  the router-protocol listener for control panels\n"
               "                       (default 127.0.0.1:9990; ports count from 0 there)\n"
               "  --relay ADDRESS      relay the switcher's own UDP protocol on ADDRESS,\n"
               "                       port 5000 (off unless given)\n"
               "%3"
               "  --config FILE        settings as key = value lines (default %2);\n"
               "                       the command line wins over the file\n"
               "  --version, --help\n")
        .arg(QString::fromLatin1(DEFAULT_STATE_FILE), QString::fromLatin1(DEFAULT_CONFIG_FILE), mqtt::MqttUsage());
}

QString LocalPortAdvice() { return QStringLiteral("choose another with --local-port"); }

}  // namespace corvane::gateway
