#include "gateway/router/RouterText.h"

#include <QCryptographicHash>

namespace corvane::gateway::router {
namespace {

QByteArray Block(const char* header, const QByteArray& body) { return QByteArray(header) + ":\n" + body + "\n"; }

}  // namespace

QByteArray PreambleBlock() { return Block("PROTOCOL PREAMBLE", QByteArray("Version: ") + PROTOCOL_VERSION + "\n"); }

QByteArray DeviceBlock(const DeviceText& device) {
    const QString friendly = device.friendlyName.isEmpty() ? QString::fromLatin1(MODEL_NAME) : device.friendlyName;
    QByteArray body = QByteArray("Device present: ") + (device.present ? "true" : "false") + "\n";
    body += QByteArray("Model name: ") + MODEL_NAME + "\n";
    body += "Friendly name: " + friendly.toUtf8() + "\n";
    body += "Unique ID: " + device.uniqueId.toLatin1() + "\n";
    body += "Video inputs: " + QByteArray::number(INPUT_COUNT) + "\n";
    body += "Video processing units: 0\n";
    body += "Video outputs: " + QByteArray::number(OUTPUT_COUNT) + "\n";
    body += "Video monitoring outputs: 0\n";
    body += "Serial ports: 0\n";
    return Block("VIDEOHUB DEVICE", body);
}

QByteArray LabelBlock(bool input, const std::array<QString, INPUT_COUNT>& labels, unsigned mask) {
    QByteArray body;
    for (int n = 0; n < INPUT_COUNT; ++n) {
        if (mask & (1u << n)) body += QByteArray::number(n) + " " + labels[n].toUtf8() + "\n";
    }
    return Block(input ? "INPUT LABELS" : "OUTPUT LABELS", body);
}

QByteArray LockBlock(const std::array<QString, OUTPUT_COUNT>& lockedBy, const QString& who, unsigned mask) {
    QByteArray body;
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        if (!(mask & (1u << o))) continue;
        const char* state = lockedBy[o].isEmpty() ? "U" : lockedBy[o] == who ? "O" : "L";
        body += QByteArray::number(o) + " " + state + "\n";
    }
    return Block("VIDEO OUTPUT LOCKS", body);
}

QByteArray RoutingBlock(const Routing& routing, unsigned mask) {
    QByteArray body;
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        if (mask & (1u << o)) body += QByteArray::number(o) + " " + QByteArray::number(routing[o]) + "\n";
    }
    return Block("VIDEO OUTPUT ROUTING", body);
}

QByteArray EndPrelude() { return QByteArrayLiteral("END PRELUDE:\n\n"); }
QByteArray Ack() { return QByteArrayLiteral("ACK\n\n"); }
QByteArray Nak() { return QByteArrayLiteral("NAK\n\n"); }

QString UniqueIdFor(const QString& linkName) {
    const QByteArray hash = QCryptographicHash::hash(linkName.toUtf8(), QCryptographicHash::Sha1);
    return QString::fromLatin1(hash.left(6).toHex().toUpper());
}

}  // namespace corvane::gateway::router
