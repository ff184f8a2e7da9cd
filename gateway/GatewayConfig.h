#pragma once
// The gateway's settings: from the configuration file (key = value lines,
// '#' starts a comment) and from the command line (--key value), the
// command line winning. Parsing does no I/O but reading the named file.
#include <QHostAddress>
#include <QMap>
#include <QString>
#include <QStringList>

#include "gateway/mqtt/MqttSettings.h"

namespace corvane::gateway {

constexpr const char* DEFAULT_CONFIG_FILE = "/etc/corvane/gateway.conf";
constexpr int DEFAULT_HTTP_PORT = 8080;
constexpr int DEFAULT_VIDEOHUB_PORT = 9990;

struct GatewayConfig {
    QString port;  // serial: "COM3" or a device path
    QString host;  // or UDP: the switcher's address
    int localPort = 5001;
    QHostAddress httpAddress = QHostAddress::LocalHost;
    quint16 httpPort = DEFAULT_HTTP_PORT;
    QString stateFile;
    QString token;
    int serialPollMs = 2000;
    // The router-protocol listener (ports counted from 0 there).
    QHostAddress videohubAddress = QHostAddress::LocalHost;
    quint16 videohubPort = DEFAULT_VIDEOHUB_PORT;
    mqtt::MqttSettings mqtt;
    // The switcher's own UDP protocol relayed on relayAddress, port 5000.
    bool relay = false;
    QHostAddress relayAddress;
};

using Settings = QMap<QString, QString>;

// --key value pairs into settings; --config FILE separately. --help and
// --version set their flags. False with a one-line reason.
bool ParseCommandLine(const QStringList& args, Settings& settings, QString& configFile, bool& configGiven, bool& help,
                      bool& version, QString& error);
// key = value lines. False when the text has a line that is neither.
bool ParseConfigText(const QString& text, Settings& settings, QString& error);
// Settings into values, checked. False with a one-line reason.
bool MakeConfig(const Settings& settings, GatewayConfig& config, QString& error);

QString GatewayUsage();
// How the operator chooses another local UDP port, for the message that the
// one asked for is taken.
QString LocalPortAdvice();

}  // namespace corvane::gateway
