#include "tools/sim/SimReplyQueue.h"

bool CSimReplyQueue::Push(std::string reply, SimClock::time_point due, SimPeer peer) {
    if (m_Items.size() >= m_nMax) return false;
    m_Items.push_back({{std::move(reply), peer}, due});
    return true;
}

std::optional<SimClock::time_point> CSimReplyQueue::NextDue() const {
    if (m_Items.empty()) return std::nullopt;
    return m_Items.front().due;
}

std::optional<SimQueuedReply> CSimReplyQueue::PopDue(SimClock::time_point now) {
    if (m_Items.empty() || m_Items.front().due > now) return std::nullopt;
    SimQueuedReply reply = std::move(m_Items.front().reply);
    m_Items.pop_front();
    return reply;
}
