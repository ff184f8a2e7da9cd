#include "tools/sim/SimRequest.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void CSimRequestParser::Reset() {
    m_State = State::Idle;
    m_nChars = 0;
    m_bHaveRegister = false;
    m_bHalfByte = false;
    m_bHigh = 0;
    m_Request = SimRequest{};
}

SimFeed CSimRequestParser::Abandon() {
    m_State = State::Discard;
    return SimFeed::Malformed;
}

SimFeed CSimRequestParser::Feed(char c) {
    if (c == '@') {
        // A new start mark drops whatever was in progress.
        const bool bWasOpen = m_State == State::BeforeOp || m_State == State::Body;
        Reset();
        m_State = State::BeforeOp;
        m_nChars = 1;
        return bWasOpen ? SimFeed::Malformed : SimFeed::None;
    }
    if (m_State == State::Idle || m_State == State::Discard) return SimFeed::None;

    if (++m_nChars > SIM_MAX_REQUEST_CHARS) return Abandon();

    if (m_State == State::BeforeOp) {
        if (IsBlank(c)) return SimFeed::None;
        if (c == 'R' || c == 'r') {
            m_Request.op = SimOp::Read;
        } else if (c == 'W' || c == 'w') {
            m_Request.op = SimOp::Write;
        } else {
            return Abandon();
        }
        m_State = State::Body;
        return SimFeed::None;
    }
    return OnBody(c);
}

SimFeed CSimRequestParser::OnBody(char c) {
    if (IsBlank(c)) return SimFeed::None;
    if (c == '#') {
        if (!m_bHaveRegister || m_bHalfByte) return Abandon();
        m_State = State::Idle;
        return SimFeed::Request;
    }
    const int v = HexValue(c);
    if (v < 0) return Abandon();
    if (!m_bHalfByte) {
        m_bHigh = static_cast<std::uint8_t>(v << 4);
        m_bHalfByte = true;
        return SimFeed::None;
    }
    m_bHalfByte = false;
    const auto b = static_cast<std::uint8_t>(m_bHigh | v);
    if (!m_bHaveRegister) {
        m_Request.bRegister = b;
        m_bHaveRegister = true;
    } else if (m_Request.nData < m_Request.abData.size()) {
        m_Request.abData[m_Request.nData++] = b;
    } else {
        return Abandon();  // unreachable within the character cap; kept as a guard
    }
    return SimFeed::None;
}
