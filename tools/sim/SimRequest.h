#pragma once
// Requests as the control tool sends them: '@', optional spaces, opcode 'R' or
// 'W' (either case), then hexadecimal digits in pairs (spaces ignored) up to
// '#'. The first byte is the register, the rest is data. The parser works one
// character at a time with fixed storage, so a stream of garbage can neither
// grow memory nor wedge it: every '@' starts over, and a request longer than
// SIM_MAX_REQUEST_CHARS is dropped.
#include <array>
#include <cstddef>
#include <cstdint>

// The longest request the tool sends is 62 characters; leave room for
// hand-typed extra spaces.
constexpr std::size_t SIM_MAX_REQUEST_CHARS = 128;
constexpr std::size_t SIM_MAX_REQUEST_DATA = SIM_MAX_REQUEST_CHARS / 2;

enum class SimOp : char { Read = 'R', Write = 'W' };

struct SimRequest {
    SimOp op = SimOp::Read;
    std::uint8_t bRegister = 0;
    std::array<std::uint8_t, SIM_MAX_REQUEST_DATA> abData{};
    std::size_t nData = 0;
};

enum class SimFeed {
    None,       // nothing finished with this character
    Request,    // a well-formed request is ready in Request()
    Malformed,  // a request was abandoned (bad character, odd digits, too long)
};

class CSimRequestParser {
public:
    SimFeed Feed(char c);
    const SimRequest& Request() const { return m_Request; }
    void Reset();

private:
    enum class State { Idle, BeforeOp, Body, Discard };

    SimFeed Abandon();
    SimFeed OnBody(char c);

    State m_State = State::Idle;
    SimRequest m_Request;
    std::size_t m_nChars = 0;  // characters since '@'
    bool m_bHaveRegister = false;
    bool m_bHalfByte = false;
    std::uint8_t m_bHigh = 0;
};
