#pragma once
// The simulated switcher, independent of any transport: a request goes in,
// at most one reply frame comes out. Reads answer with the register's value;
// writes change the registers and are answered as the write-reply mode says.
// A link session (CSimSession) turns a byte stream into requests; a serial
// link keeps one session for its lifetime, a datagram link answers each
// datagram on its own (SimAnswerDatagram), both sharing one CSimSwitcher.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sim/SimRegisters.h"
#include "tools/sim/SimReply.h"
#include "tools/sim/SimRequest.h"

enum class SimWriteReply {
    Ack,   // "@09 01#"
    Echo,  // the written register's read reply (ack where there is none)
    None,  // writes are not answered
};

struct SimBehaviour {
    SimWriteReply writeReply = SimWriteReply::Ack;
    SimReplyStyle style;
};

class CSimSwitcher {
public:
    explicit CSimSwitcher(SimBehaviour behaviour = {}, const SimRegisterValues& factory = SimFactoryValues())
        : m_Behaviour(behaviour), m_Registers(factory) {}

    // The reply to one request, or nothing when the switcher stays silent
    // (unknown register, rejected value, write with replies turned off).
    std::optional<std::string> Handle(const SimRequest& request);

    CSimRegisters& Registers() { return m_Registers; }
    const CSimRegisters& Registers() const { return m_Registers; }

private:
    std::optional<std::vector<std::uint8_t>> ReadFrame(std::uint8_t bRegister) const;
    bool ApplyWrite(const SimRequest& request);
    std::optional<std::string> WriteReply(std::uint8_t bRegister) const;

    SimBehaviour m_Behaviour;
    CSimRegisters m_Registers;
};

// One stream of request characters (a serial line).
class CSimSession {
public:
    explicit CSimSession(CSimSwitcher& sw) : m_Switcher(sw) {}

    // Feeds received characters; every reply produced is appended to replies.
    // Returns the number of malformed requests seen (for the log).
    int Feed(std::string_view bytes, std::vector<std::string>& replies);

private:
    CSimSwitcher& m_Switcher;
    CSimRequestParser m_Parser;
};

// A datagram holds one request: the first complete request in it is
// answered and the rest is ignored, so one datagram never brings more than
// one reply. Nothing carries over from one datagram to the next.
std::optional<std::string> SimAnswerDatagram(CSimSwitcher& sw, std::string_view datagram);
