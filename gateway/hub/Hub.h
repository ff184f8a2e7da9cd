#pragma once
// The hub: the only owner of the link to one switcher. Every client's
// request goes through its one queue (one frame in flight) and is answered
// to that client alone; every change, whoever made it, goes to all
// subscribers through changed(). It reads the whole configuration when the
// switcher comes (back), watches for changes made elsewhere, notices when
// the switcher is gone and opens the link again with a growing pause. It
// knows nothing of the front-ends that use it.
#include <QObject>
#include <QTimer>

#include "gateway/hub/CommandQueue.h"
#include "gateway/hub/HostState.h"
#include "gateway/hub/Outcome.h"
#include "gateway/hub/StateStore.h"
#include "gateway/hub/SwitcherLink.h"

namespace corvane::gateway {

// What the switcher reported, as last read.
struct SwitcherState {
    bool present = false;
    bool known = false;  // read at least once since the gateway started
    Routing routing{};
    std::array<EdidValue, INPUT_COUNT> edid{};
    QString name;
    NetValue net;
};

enum class Change { Presence, Routing, Edid, Name, Network, Labels, Locks, Presets };

struct HubOptions {
    int commandTimeoutMs = 8000;  // as the window waits for an answer
    int netPollMs = 1000;         // change counter over UDP
    int serialPollMs = 2000;      // routing over serial
    int missedPollsForAbsent = 3;
    int queueLimit = 32;
    int reconnectMinMs = 1000;
    int reconnectMaxMs = 30000;
};

class Hub : public QObject {
    Q_OBJECT
public:
    // store may be null (nothing is kept between runs).
    Hub(SwitcherLink& link, const StateStore* store, HubOptions options, QObject* parent = nullptr);
    ~Hub() override;

    void Start(const HostState& host);
    // Fails whatever waits, closes the link and writes the state file.
    void Stop();

    const SwitcherState& Switcher() const { return m_sw; }
    const HostState& Host() const { return m_host; }
    QString LinkName() const { return m_link.Name(); }
    const HubOptions& Options() const { return m_options; }

    // Requests; numbers are indices from 0. who names the client that asked.
    void Route(const QString& who, int output, int input, const Completion& done);
    void Salvo(const QString& who, const Routing& routing, const Completion& done);
    void SetEdid(const QString& who, int input, EdidValue value, const Completion& done);
    void SetName(const QString& who, const QString& name, const Completion& done);
    void SetLabel(const QString& who, bool input, int n, const QString& label, const Completion& done);
    void Lock(const QString& who, int output, const Completion& done);
    void Unlock(const QString& who, int output, bool force, const Completion& done);
    void SavePreset(const QString& who, const QString& name, const Completion& done);
    void ApplyPreset(const QString& who, const QString& name, const Completion& done);
    void DeletePreset(const QString& who, const QString& name, const Completion& done);

    // A frame in the switcher's own protocol as a client wrote it, sent as
    // it is; done hears the switcher's reply frame (empty on failure). After
    // an answered write the configuration is read again, so every client
    // learns what the write changed.
    using RawCompletion = std::function<void(const Outcome&, const std::string& reply)>;
    void Raw(const QString& who, const std::string& frame, bool write, const RawCompletion& done);

    // One line for the log (start, link up or lost, errors).
    std::function<void(const QString&)> onLog;

signals:
    void changed(corvane::gateway::Change what, const QString& who);

private:
    void Connect();
    void ReadAll();
    void Poll();
    void OnEvent(const LinkEvent& ev);
    void OnTimeout(const Job& job);
    void GoAbsent(const QString& reason);
    void Submit(Job job);
    bool CheckPresent(const Completion& done);
    bool CheckOutput(int output, const Completion& done);
    QString LockedByOther(const QString& who, int output) const;
    void TakeConfiguration(const LinkEvent& ev);
    void SetRouting(int output, int input, const QString& who);
    void HostChanged(Change what, const QString& who, const Completion& done);
    void Log(const QString& line) {
        if (onLog) onLog(line);
    }

    SwitcherLink& m_link;
    const StateStore* m_pStore;
    HubOptions m_options;
    CommandQueue m_queue;
    SwitcherState m_sw;
    HostState m_host = HostState::Defaults();
    QTimer m_pollTimer;
    QTimer m_reconnectTimer;
    int m_nReconnectMs;
    int m_nMissedPolls = 0;
    bool m_bPollQueued = false;
    bool m_bReading = false;
    bool m_bCounterKnown = false;
    uint16_t m_nCounter = 0;
    bool m_bStopped = false;
    QString m_strLastOpenError;
    QString m_strLastAbsentReason;
};

}  // namespace corvane::gateway
