#pragma once
// One queue for every frame sent to the switcher, with one frame in flight.
// A job is one or more frames (a salvo is four), each done when the
// switcher's answer arrives or failed when its time is up; a failed frame
// ends its job, and the frames after it are not sent. Jobs of clients are
// bounded; the hub's own reads and polls always find room.
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "gateway/hub/Outcome.h"
#include "gateway/hub/SwitcherLink.h"

namespace corvane::gateway {

struct Step {
    std::string frame;
    std::function<bool(const LinkEvent&)> isAnswer;
    std::function<void(const LinkEvent&)> onAnswer;  // may be empty
    int timeoutMs = 8000;
};

struct Job {
    QString who;
    bool internal = false;  // the hub's own: not counted against the limit
    std::vector<Step> steps;
    Completion done;
};

class CommandQueue {
public:
    CommandQueue(SwitcherLink& link, int clientLimit);

    // False (and nothing queued) when the clients' share is full.
    bool Submit(Job job);
    // A reply: completes the frame in flight when it is its answer.
    void OnEvent(const LinkEvent& ev);
    // Ends every job, the one in flight included, with outcome.
    void FailAll(const Outcome& outcome);
    bool Idle() const { return m_jobs.empty(); }
    int ClientJobs() const { return m_nClientJobs; }

    // Told when a frame had no answer in time (the job has failed already).
    std::function<void(const Job& job)> onTimeout;

private:
    void SendNext();
    void Finish(const Outcome& outcome);
    void OnTimer();

    SwitcherLink& m_link;
    int m_nClientLimit;
    int m_nClientJobs = 0;
    std::deque<Job> m_jobs;  // front: the job in flight, when m_bInFlight
    size_t m_nStep = 0;
    bool m_bInFlight = false;
    uint32_t m_nAnsweredSeq = 0;  // the reply frame that answered the last step
    QTimer m_timer;
};

}  // namespace corvane::gateway
