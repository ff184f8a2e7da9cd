#pragma once
// Snapshot files for commissioning many rooms alike: `load --json` writes
// one, `apply FILE` reads it back and works out the frames that bring the
// switcher to it. Parsing and planning do no I/O; the current state is the
// device state the last load filled.
#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "link/DeviceState.h"

namespace corvane::cli {

struct SnapshotNet {
    Ipv4 ip{}, mask{}, gateway{};
    bool bDhcp = false;
};

// What the file asks for; sections it leaves out stay as they are.
struct Snapshot {
    std::optional<std::array<int, OUTPUT_COUNT>> routing;  // input index 0..3 per output
    std::array<std::optional<EdidSetting>, INPUT_COUNT> edid;
    std::optional<QString> name;
    std::optional<SnapshotNet> net;
};

// Reads the JSON text of a snapshot; false with the reason (naming the
// offending key) when it is not one.
bool ParseSnapshot(const QByteArray& json, Snapshot& snap, QString& strError);

enum class ChangeKind { Route, Edid, Name, Net };

struct PlannedChange {
    ChangeKind kind;
    int n = 0;  // output (Route) or input (Edid), 0-based
    std::string strFrame;
    QString strWhat;  // "output 2: input 1 -> input 3"
};

// The frames, in sending order (routing, EDID, name, network last since it
// may move the switcher to another address), for every item of snap that
// differs from the device state; with bAll for every item of snap. The
// network frame keeps the MAC address of the device state.
std::vector<PlannedChange> PlanApply(const Snapshot& snap, bool bWithNetwork, bool bAll);

}  // namespace corvane::cli
