#pragma once
// The gateway's state as the HTTP API and the WebSocket show it. Numbers of
// inputs and outputs count from 1 here, as everywhere people see them.
#include <QJsonObject>

#include "gateway/hub/Hub.h"

namespace corvane::gateway {

QJsonObject StateJson(const Hub& hub);
QJsonObject PresetsJson(const HostState& host);
// "routing", "labels", "presence" ...: what a change event says changed.
QString ChangeName(Change what);

}  // namespace corvane::gateway
