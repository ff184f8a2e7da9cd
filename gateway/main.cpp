// corvane-gateway: the only owner of one switcher's link, serving many
// clients over HTTP, a WebSocket and MQTT. Log lines go to stderr (the journal).
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <cstdio>

#include "version/CorvaneVersion.h"
#include "gateway/GatewayConfig.h"
#include "platform/QtEventLoop.h"
#include "platform/TermSignal.h"
#include "gateway/http/HttpFront.h"
#include "gateway/hub/Hub.h"
#include "gateway/router/RouterServer.h"
#include "gateway/mqtt/MqttFront.h"
#include "gateway/relay/RelayFrame.h"
#include "gateway/relay/UdpRelay.h"

namespace {

using namespace corvane::gateway;

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

void Log(const QString& line) {
    std::fprintf(stderr, "corvane-gateway: %s\n", qPrintable(line));
    std::fflush(stderr);
}

// The file's settings under the command line's. A missing default file is
// no error; a missing named one is.
bool LoadSettings(const QStringList& args, GatewayConfig& config, bool& help, bool& version, QString& error) {
    Settings cmdline;
    QString configFile = QString::fromLatin1(DEFAULT_CONFIG_FILE);
    bool configGiven = false;
    if (!ParseCommandLine(args, cmdline, configFile, configGiven, help, version, error)) return false;
    if (help || version) return true;
    Settings settings;
    QFile file(configFile);
    if (file.exists() || configGiven) {
        if (!file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("cannot read %1: %2").arg(configFile, file.errorString());
            return false;
        }
        if (!ParseConfigText(QString::fromUtf8(file.readAll()), settings, error)) {
            error = QStringLiteral("%1: %2").arg(configFile, error);
            return false;
        }
    }
    for (auto it = cmdline.begin(); it != cmdline.end(); ++it) settings[it.key()] = it.value();
    return MakeConfig(settings, config, error);
}

}  // namespace

int main(int argc, char** argv) {
    QtEventLoop::Choose();
    QCoreApplication app(argc, argv);
    QtEventLoop::Forget();
    QCoreApplication::setApplicationName(QStringLiteral("corvane-gateway"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));

    GatewayConfig config;
    bool help = false, version = false;
    QString error;
    if (!LoadSettings(QCoreApplication::arguments().mid(1), config, help, version, error)) {
        std::fprintf(stderr, "corvane-gateway: %s\n(corvane-gateway --help lists the options)\n", qPrintable(error));
        return EXIT_USAGE;
    }
    if (help) {
        std::fputs(qPrintable(GatewayUsage()), stdout);
        return EXIT_OK;
    }
    if (version) {
        std::printf("corvane-gateway %s\n", CORVANE_VERSION);
        return EXIT_OK;
    }

    StateStore store(config.stateFile);
    // Before the file is read: a second gateway must not load or write it.
    switch (store.Lock(error)) {
    case StateStore::LockResult::Held: break;
    case StateStore::LockResult::InUse: Log(error); return EXIT_FAILED;
    case StateStore::LockResult::Unavailable: Log(error); break;
    }
    QString notice;
    const HostState host = store.Load(notice);
    if (!notice.isEmpty()) Log(notice);

    const std::unique_ptr<SwitcherLink> link = MakeCoreLink({config.port, config.host, config.localPort, LocalPortAdvice()});
    HubOptions hubOptions;
    hubOptions.serialPollMs = config.serialPollMs;
    Hub hub(*link, &store, hubOptions);
    hub.onLog = Log;

    HttpOptions httpOptions;
    httpOptions.address = config.httpAddress;
    httpOptions.port = config.httpPort;
    httpOptions.token = config.token;
    HttpFront http(hub, httpOptions);
    http.onLog = Log;
    if (!http.Listen(error)) {
        Log(error);
        return EXIT_FAILED;
    }

    router::RouterOptions routerOptions;
    routerOptions.address = config.videohubAddress;
    routerOptions.port = config.videohubPort;
    router::RouterServer routerServer(hub, routerOptions);
    routerServer.onLog = Log;
    if (!routerServer.Listen(error)) {
        Log(error);
        return EXIT_FAILED;
    }
    Log(QStringLiteral("router protocol (ports from 0) on %1:%2")
            .arg(config.videohubAddress.toString())
            .arg(routerServer.Port()));

    std::unique_ptr<mqtt::MqttFront> mqttFront;
    if (config.mqtt.enabled) {
        QString password;
        if (!config.mqtt.passwordFile.isEmpty() && !mqtt::ReadPasswordFile(config.mqtt.passwordFile, password, error)) {
            Log(error);
            return EXIT_FAILED;
        }
        mqttFront = std::make_unique<mqtt::MqttFront>(hub, config.mqtt, password, QStringLiteral(CORVANE_VERSION));
        mqttFront->onLog = Log;
        if (!mqttFront->Start(error)) {
            Log(error);
            return EXIT_FAILED;
        }
    }

    // The switcher's own UDP protocol, when asked for.
    std::unique_ptr<relay::UdpRelay> udpRelay;
    if (config.relay) {
        udpRelay = std::make_unique<relay::UdpRelay>(hub);
        udpRelay->onLog = Log;
        if (!udpRelay->Listen(config.relayAddress, relay::RELAY_PORT, error)) {
            Log(error);
            return EXIT_FAILED;
        }
        Log(QStringLiteral("relaying the switcher's UDP protocol on %1").arg(udpRelay->LocalName()));
    }

    // SIGTERM, SIGINT, SIGHUP: stop the link and write the state file, then end.
    corvane::platform::TermSignal termSignal([&hub, &mqttFront] {
        Log(QStringLiteral("stopping"));
        if (mqttFront) mqttFront->Stop();
        hub.Stop();
        QCoreApplication::quit();
    });

    Log(QStringLiteral("started %1: switcher on %2, HTTP on %3:%4, state file %5")
            .arg(QStringLiteral(CORVANE_VERSION), link->Name(), config.httpAddress.toString())
            .arg(http.Port())
            .arg(config.stateFile));
    hub.Start(host);
    routerServer.FreeStaleLocks();
    const int status = app.exec();
    Log(QStringLiteral("stopped"));
    return status;
}
