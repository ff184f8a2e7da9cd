#pragma once
// The blocks the gateway sends on the router protocol, written from the
// hub's state. Ports count from 0 here. Locks depend on who reads them:
// "O" for the client's own lock, "L" for another's, "U" for none.
#include <QByteArray>
#include <QString>

#include "gateway/hub/Hub.h"

namespace corvane::gateway::router {

constexpr const char* PROTOCOL_VERSION = "2.3";
constexpr const char* MODEL_NAME = "Corvane 4x4 Gateway";

struct DeviceText {
    bool present = false;
    QString friendlyName;  // the switcher's name
    QString uniqueId;      // 12 hex digits
};

QByteArray PreambleBlock();
QByteArray DeviceBlock(const DeviceText& device);
// Only the ports whose flag is set; the whole block when all are.
// Inputs and outputs are as many, so one array type holds either's labels.
static_assert(INPUT_COUNT == OUTPUT_COUNT);
QByteArray LabelBlock(bool input, const std::array<QString, INPUT_COUNT>& labels, unsigned mask = 0xF);
QByteArray LockBlock(const std::array<QString, OUTPUT_COUNT>& lockedBy, const QString& who, unsigned mask = 0xF);
QByteArray RoutingBlock(const Routing& routing, unsigned mask = 0xF);
QByteArray EndPrelude();
QByteArray Ack();
QByteArray Nak();

// A stable id for one link: the same switcher link gives the same id.
QString UniqueIdFor(const QString& linkName);

}  // namespace corvane::gateway::router
