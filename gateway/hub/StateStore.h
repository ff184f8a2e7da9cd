#pragma once
// The state file: the host-kept state as JSON, replaced atomically so that a
// crash or power loss at any moment leaves the old or the new file whole
// (write a temporary file beside it, sync it, rename it over the old one,
// sync the directory).
#include <QString>

#include "gateway/hub/HostState.h"

namespace corvane::gateway {

constexpr const char* DEFAULT_STATE_FILE = "/var/lib/corvane-gateway/state.json";

class StateStore {
public:
    explicit StateStore(QString path) : m_path(std::move(path)) {}
    const QString& Path() const { return m_path; }

    // The stored state, or the defaults when there is no file yet. A file
    // that cannot be read or understood is renamed aside and the defaults
    // are used; notice then says so in one line (empty otherwise).
    HostState Load(QString& notice) const;
    bool Save(const HostState& state, QString& error) const;

private:
    QString m_path;
};

// The JSON text of the state file, and back (false when it is not one).
QByteArray StateFileText(const HostState& state);
bool ParseStateFile(const QByteArray& text, HostState& state, QString& error);

}  // namespace corvane::gateway
