#pragma once
// Replies waiting for their send time (the reply delay option). Every reply
// gets the same delay, so the queue is first-in first-out. It is bounded: a
// client that floods requests faster than the delay lets replies leave gets
// the excess dropped instead of growing the simulator without limit.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

using SimClock = std::chrono::steady_clock;

// Where a datagram reply goes: IPv4 address and port in host byte order.
// Unused on the serial link.
struct SimPeer {
    std::uint32_t dwIp = 0;
    std::uint16_t wPort = 0;
    bool operator==(const SimPeer&) const = default;
};

struct SimQueuedReply {
    std::string reply;
    SimPeer peer;
};

class CSimReplyQueue {
public:
    explicit CSimReplyQueue(std::size_t nMax = 256) : m_nMax(nMax) {}

    // Returns false (and drops the reply) when the queue is full.
    bool Push(std::string reply, SimClock::time_point due, SimPeer peer = {});
    // The send time of the oldest reply, if any.
    std::optional<SimClock::time_point> NextDue() const;
    // The oldest reply if it is due at or before now.
    std::optional<SimQueuedReply> PopDue(SimClock::time_point now);
    std::size_t Size() const { return m_Items.size(); }

private:
    struct Item {
        SimQueuedReply reply;
        SimClock::time_point due;
    };
    std::deque<Item> m_Items;
    std::size_t m_nMax;
};
