#include "gateway/hub/CommandQueue.h"

namespace corvane::gateway {

CommandQueue::CommandQueue(SwitcherLink& link, int clientLimit) : m_link(link), m_nClientLimit(clientLimit) {
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { OnTimer(); });
}

bool CommandQueue::Submit(Job job) {
    if (!job.internal) {
        if (m_nClientJobs >= m_nClientLimit) return false;
        ++m_nClientJobs;
    }
    m_jobs.push_back(std::move(job));
    if (!m_bInFlight) SendNext();
    return true;
}

void CommandQueue::SendNext() {
    if (m_bInFlight) return;
    while (!m_jobs.empty() && m_jobs.front().steps.empty()) Finish(Outcome::Done());
    if (m_jobs.empty()) return;
    const Step& step = m_jobs.front().steps[m_nStep];
    m_bInFlight = true;
    m_timer.start(step.timeoutMs);
    m_link.Send(step.frame);
}

void CommandQueue::OnEvent(const LinkEvent& ev) {
    if (!m_bInFlight) return;
    // One reply frame gives several events (the whole configuration: name,
    // then the configuration, then the frame itself). Those after the one
    // that answered a step are not the answer to the frame sent next.
    if (ev.frameSeq != 0 && ev.frameSeq == m_nAnsweredSeq) return;
    Job& job = m_jobs.front();
    const Step& step = job.steps[m_nStep];
    if (!step.isAnswer(ev)) return;
    m_nAnsweredSeq = ev.frameSeq;
    m_timer.stop();
    if (step.onAnswer) step.onAnswer(ev);
    if (++m_nStep < job.steps.size()) {
        m_bInFlight = false;
        SendNext();
        return;
    }
    Finish(Outcome::Done());
    SendNext();
}

// Takes the front job off the queue before telling its client, so a client
// that submits again from its completion finds a consistent queue.
void CommandQueue::Finish(const Outcome& outcome) {
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    m_nStep = 0;
    m_bInFlight = false;
    if (!job.internal) --m_nClientJobs;
    if (job.done) job.done(outcome);
}

void CommandQueue::OnTimer() {
    if (!m_bInFlight) return;
    const Job failed = m_jobs.front();
    Finish(Outcome::Fail(Failure::Timeout, QStringLiteral("the switcher did not answer in time")));
    if (onTimeout) onTimeout(failed);
    SendNext();
}

void CommandQueue::FailAll(const Outcome& outcome) {
    m_timer.stop();
    std::deque<Job> jobs;
    jobs.swap(m_jobs);
    m_bInFlight = false;
    m_nStep = 0;
    m_nClientJobs = 0;
    for (Job& job : jobs) {
        if (job.done) job.done(outcome);
    }
}

}  // namespace corvane::gateway
