#pragma once
// What the switcher cannot store and the gateway keeps for it: a label per
// input and output, a lock per output, named presets.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <array>
#include <map>

#include "gateway/hub/SwitcherLink.h"

namespace corvane::gateway {

constexpr int LABEL_MAX_CHARS = 32;
constexpr int PRESET_NAME_MAX_CHARS = 32;
constexpr int PRESET_MAX_COUNT = 64;

struct HostState {
    std::array<QString, INPUT_COUNT> inputLabels;
    std::array<QString, OUTPUT_COUNT> outputLabels;
    std::array<QString, OUTPUT_COUNT> lockedBy;  // empty: not locked
    std::map<QString, Routing> presets;

    // "Input 1" ... "Output 4", nothing locked, no presets.
    static HostState Defaults();
    bool operator==(const HostState&) const = default;
};

// The labels as every front-end and the state file write them:
// {"inputs": [...], "outputs": [...]}.
QJsonArray TextsJson(const QString* pTexts, int nCount);
QJsonObject LabelsJson(const HostState& s);
// A routing as input numbers from 1, in output order.
QJsonArray RoutingJson(const Routing& routing);

// Printable text of at most LABEL_MAX_CHARS characters, no control characters.
bool ValidLabel(const QString& text);
// 1..PRESET_NAME_MAX_CHARS of letters, digits, space, '-', '_', '.'.
bool ValidPresetName(const QString& name);

}  // namespace corvane::gateway
