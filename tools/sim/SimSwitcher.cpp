#include "tools/sim/SimSwitcher.h"

#include <span>

namespace {

constexpr std::uint8_t REG_SOURCE_FIRST = 0x00;
constexpr std::uint8_t REG_SOURCE_LAST = 0x03;
constexpr std::uint8_t REG_ALL_SOURCES = 0x04;
constexpr std::uint8_t REG_EDID_FIRST = 0x05;
constexpr std::uint8_t REG_EDID_LAST = 0x08;
constexpr std::uint8_t REG_ACK = 0x09;
constexpr std::uint8_t REG_WHOLE_CONFIG = 0x0E;
constexpr std::uint8_t REG_POWER = 0x0F;
constexpr std::uint8_t REG_DEBUG = 0x10;
constexpr std::uint8_t REG_NAME = 0x20;
constexpr std::uint8_t REG_NET = 0x40;
constexpr std::uint8_t REG_RESTART = 0x50;
constexpr std::uint8_t REG_DEFAULTS = 0x51;
constexpr std::uint8_t REG_COUNTER = 0x52;

bool InRange(std::uint8_t r, std::uint8_t lo, std::uint8_t hi) { return r >= lo && r <= hi; }

}  // namespace

std::optional<std::vector<std::uint8_t>> CSimSwitcher::ReadFrame(std::uint8_t r) const {
    const SimRegisterValues& v = m_Registers.Values();
    std::vector<std::uint8_t> f{r};
    if (InRange(r, REG_SOURCE_FIRST, REG_SOURCE_LAST)) {
        f.push_back(v.abSource[r - REG_SOURCE_FIRST]);
    } else if (r == REG_ALL_SOURCES) {
        f.insert(f.end(), v.abSource.begin(), v.abSource.end());
    } else if (InRange(r, REG_EDID_FIRST, REG_EDID_LAST)) {
        const SimEdid& e = v.aEdid[r - REG_EDID_FIRST];
        f.push_back(e.bMode);
        f.push_back(e.bFlags);
    } else if (r == REG_WHOLE_CONFIG) {
        // Output n's source, then input n's EDID mode and flags, for n = 0..3;
        // then the 16 name bytes: 28 data bytes.
        for (int n = 0; n < SIM_OUTPUTS; ++n) {
            f.push_back(v.abSource[n]);
            f.push_back(v.aEdid[n].bMode);
            f.push_back(v.aEdid[n].bFlags);
        }
        f.insert(f.end(), v.abName.begin(), v.abName.end());
    } else if (r == REG_POWER) {
        f.push_back(v.bPower);
    } else if (r == REG_DEBUG) {
        f.push_back(v.bDebug);
    } else if (r == REG_NAME) {
        f.insert(f.end(), v.abName.begin(), v.abName.end());
    } else if (r == REG_NET) {
        f.insert(f.end(), v.abNet.begin(), v.abNet.end());
    } else if (r == REG_COUNTER) {
        const std::uint16_t w = m_Registers.ChangeCounter();
        f.insert(f.end(), {static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w & 0xFF)});
    } else {
        return std::nullopt;
    }
    return f;
}

bool CSimSwitcher::ApplyWrite(const SimRequest& q) {
    const std::span<const std::uint8_t> d(q.abData.data(), q.nData);
    const std::uint8_t r = q.bRegister;
    if (InRange(r, REG_SOURCE_FIRST, REG_SOURCE_LAST))
        return d.size() == 1 && m_Registers.SetSource(r - REG_SOURCE_FIRST, d[0]);
    if (r == REG_ALL_SOURCES) return m_Registers.SetAllSources(d);
    if (InRange(r, REG_EDID_FIRST, REG_EDID_LAST))
        return d.size() == 2 && m_Registers.SetEdid(r - REG_EDID_FIRST, d[0], d[1]);
    if (r == REG_POWER) return d.size() == 1 && m_Registers.SetPower(d[0]);
    if (r == REG_DEBUG) return d.size() == 1 && m_Registers.SetDebug(d[0]);
    if (r == REG_NAME) return m_Registers.SetName(d);
    if (r == REG_NET) return m_Registers.SetNetParams(d);
    if (r == REG_RESTART) return d.empty();  // nothing to restart in a model
    if (r == REG_DEFAULTS) {
        if (!d.empty()) return false;
        m_Registers.RestoreDefaults();
        return true;
    }
    return false;  // read-only or unknown register
}

std::optional<std::string> CSimSwitcher::WriteReply(std::uint8_t r) const {
    switch (m_Behaviour.writeReply) {
    case SimWriteReply::None: return std::nullopt;
    case SimWriteReply::Echo:
        if (r != REG_RESTART && r != REG_DEFAULTS) {
            if (auto f = ReadFrame(r)) return SimFormatReply(*f, m_Behaviour.style);
        }
        [[fallthrough]];
    case SimWriteReply::Ack: break;
    }
    const std::uint8_t ack[] = {REG_ACK, 0x01};
    return SimFormatReply(ack, m_Behaviour.style);
}

std::optional<std::string> CSimSwitcher::Handle(const SimRequest& q) {
    if (q.op == SimOp::Read) {
        // Data after a read's register is ignored.
        if (auto f = ReadFrame(q.bRegister)) return SimFormatReply(*f, m_Behaviour.style);
        return std::nullopt;
    }
    if (!ApplyWrite(q)) return std::nullopt;
    return WriteReply(q.bRegister);
}

int CSimSession::Feed(std::string_view bytes, std::vector<std::string>& replies) {
    int nMalformed = 0;
    for (char c : bytes) {
        switch (m_Parser.Feed(c)) {
        case SimFeed::Request:
            if (auto reply = m_Switcher.Handle(m_Parser.Request())) replies.push_back(std::move(*reply));
            break;
        case SimFeed::Malformed: ++nMalformed; break;
        case SimFeed::None: break;
        }
    }
    return nMalformed;
}

std::optional<std::string> SimAnswerDatagram(CSimSwitcher& sw, std::string_view datagram) {
    CSimRequestParser parser;
    for (char c : datagram) {
        if (parser.Feed(c) == SimFeed::Request) return sw.Handle(parser.Request());
    }
    return std::nullopt;
}
