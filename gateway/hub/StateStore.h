#pragma once
// The state file: the host-kept state as JSON, replaced atomically so that a
// crash or power loss at any moment leaves the old or the new file whole
// (write a temporary file beside it, sync it, rename it over the old one,
// sync the directory). One process at a time uses it: two gateways given the
// same file would write the same temporary file and could leave a mixed one.
#include <QString>

#include "gateway/hub/HostState.h"

namespace corvane::gateway {

constexpr const char* DEFAULT_STATE_FILE = "/var/lib/corvane-gateway/state.json";

class StateStore {
public:
    explicit StateStore(QString path) : m_path(std::move(path)) {}
    StateStore(const StateStore&) = delete;
    StateStore& operator=(const StateStore&) = delete;
    ~StateStore();
    const QString& Path() const { return m_path; }

    enum class LockResult {
        Held,         // this store holds the file until it is destroyed
        InUse,        // another process holds it: do not use it
        Unavailable,  // no lock can be made there (saving will fail and say why too)
    };
    // Takes the lock before the file is read: flock() on "<file>.lock", which
    // the kernel frees when the process ends however it ends, so a crash
    // never leaves a stale lock. message says what happened unless Held.
    LockResult Lock(QString& message);

    // The stored state, or the defaults when there is no file yet. A file
    // that cannot be read or understood is renamed aside and the defaults
    // are used; notice then says so in one line (empty otherwise).
    HostState Load(QString& notice) const;
    bool Save(const HostState& state, QString& error) const;

private:
    bool MakeFolder(QString& error) const;

    QString m_path;
    int m_lockFd = -1;
};

// The JSON text of the state file, and back (false when it is not one).
QByteArray StateFileText(const HostState& state);
bool ParseStateFile(const QByteArray& text, HostState& state, QString& error);

}  // namespace corvane::gateway
