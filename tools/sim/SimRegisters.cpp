#include "tools/sim/SimRegisters.h"

#include <algorithm>

bool SimNameFromText(std::string_view strText, std::array<std::uint8_t, SIM_NAME_LEN>& abName) {
    if (strText.empty() || strText.size() > abName.size()) return false;
    if (std::any_of(strText.begin(), strText.end(), [](char c) { return c < 0x20 || c > 0x7E; })) return false;
    abName.fill(' ');
    std::copy(strText.begin(), strText.end(), abName.begin());
    return true;
}

SimRegisterValues SimFactoryValues(std::string_view strName) {
    SimRegisterValues v;
    v.abSource = {0, 1, 2, 3};
    for (auto& e : v.aEdid) e = SimEdid{1, 0x02};
    if (!SimNameFromText(strName, v.abName)) SimNameFromText(SIM_DEFAULT_NAME, v.abName);
    v.abNet = {0x02, 0x43, 0x56, 0x00, 0x00, 0x01,  // MAC
               192,  168,  1,    100,               // IP
               255,  255,  255,  0,                 // mask
               192,  168,  1,    1,                 // gateway
               0};                                  // DHCP off
    v.bDebug = 1;
    v.bPower = 1;
    return v;
}

void CSimRegisters::Commit(const SimRegisterValues& next) {
    if (next == m_Values) return;
    m_Values = next;
    ++m_wChangeCounter;  // wraps at 16 bits
}

bool CSimRegisters::SetSource(int nOutput, std::uint8_t bInput) {
    if (nOutput < 0 || nOutput >= SIM_OUTPUTS || bInput >= SIM_INPUTS) return false;
    SimRegisterValues next = m_Values;
    next.abSource[nOutput] = bInput;
    Commit(next);
    return true;
}

bool CSimRegisters::SetAllSources(std::span<const std::uint8_t> abInputs) {
    if (abInputs.size() != SIM_OUTPUTS) return false;
    if (std::any_of(abInputs.begin(), abInputs.end(), [](auto b) { return b >= SIM_INPUTS; })) return false;
    SimRegisterValues next = m_Values;
    std::copy(abInputs.begin(), abInputs.end(), next.abSource.begin());
    Commit(next);
    return true;
}

bool CSimRegisters::SetEdid(int nInput, std::uint8_t bMode, std::uint8_t bFlags) {
    if (nInput < 0 || nInput >= SIM_INPUTS || bMode >= SIM_EDID_MODES) return false;
    SimRegisterValues next = m_Values;
    next.aEdid[nInput] = SimEdid{bMode, bFlags};
    Commit(next);
    return true;
}

bool CSimRegisters::SetName(std::span<const std::uint8_t> abName) {
    if (abName.size() != SIM_NAME_LEN) return false;
    SimRegisterValues next = m_Values;
    std::copy(abName.begin(), abName.end(), next.abName.begin());
    Commit(next);
    return true;
}

bool CSimRegisters::SetNetParams(std::span<const std::uint8_t> abNet) {
    if (abNet.size() != SIM_NET_LEN) return false;
    SimRegisterValues next = m_Values;
    std::copy(abNet.begin(), abNet.end(), next.abNet.begin());
    Commit(next);
    return true;
}

bool CSimRegisters::SetDebug(std::uint8_t bDebug) {
    if (bDebug > 1) return false;
    SimRegisterValues next = m_Values;
    next.bDebug = bDebug;
    Commit(next);
    return true;
}

bool CSimRegisters::SetPower(std::uint8_t bPower) {
    if (bPower > 1) return false;
    SimRegisterValues next = m_Values;
    next.bPower = bPower;
    Commit(next);
    return true;
}

void CSimRegisters::RestoreDefaults() { Commit(m_Factory); }
