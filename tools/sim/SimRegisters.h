#pragma once
// The switcher's registers as the simulator keeps them. Every setter checks
// its value and reports whether it was accepted; any accepted write that
// actually changes something moves the 16-bit change counter by one, which
// is what a polling client watches to know it must reload.
#include <array>
#include <cstdint>
#include <span>

constexpr int SIM_OUTPUTS = 4;
constexpr int SIM_INPUTS = 4;
constexpr int SIM_NAME_LEN = 16;
constexpr int SIM_NET_LEN = 19;             // MAC 6, IP 4, mask 4, gateway 4, DHCP 1
constexpr std::uint8_t SIM_EDID_MODES = 8;  // mode codes 0..7

struct SimEdid {
    std::uint8_t bMode = 1;
    std::uint8_t bFlags = 0;
    bool operator==(const SimEdid&) const = default;
};

struct SimRegisterValues {
    std::array<std::uint8_t, SIM_OUTPUTS> abSource{};  // input index per output
    std::array<SimEdid, SIM_INPUTS> aEdid{};
    std::array<std::uint8_t, SIM_NAME_LEN> abName{};
    std::array<std::uint8_t, SIM_NET_LEN> abNet{};
    std::uint8_t bDebug = 1;  // 00 debug on, 01 debug off
    std::uint8_t bPower = 1;  // 01 up, 00 down
    bool operator==(const SimRegisterValues&) const = default;
};

// Factory defaults: routing 1:1, EDID mode 1 with 2-channel audio, name
// "CORVANE MATRIX  ", 192.168.1.100/24 via 192.168.1.1, a locally
// administered MAC, DHCP off, debug off, power up.
SimRegisterValues SimFactoryValues();

class CSimRegisters {
public:
    CSimRegisters() : m_Values(SimFactoryValues()) {}

    const SimRegisterValues& Values() const { return m_Values; }
    std::uint16_t ChangeCounter() const { return m_wChangeCounter; }

    bool SetSource(int nOutput, std::uint8_t bInput);
    bool SetAllSources(std::span<const std::uint8_t> abInputs);
    bool SetEdid(int nInput, std::uint8_t bMode, std::uint8_t bFlags);
    bool SetName(std::span<const std::uint8_t> abName);
    bool SetNetParams(std::span<const std::uint8_t> abNet);
    bool SetDebug(std::uint8_t bDebug);
    bool SetPower(std::uint8_t bPower);
    void RestoreDefaults();

private:
    // Applies a new set of values; counts a change only if something differs.
    void Commit(const SimRegisterValues& next);

    SimRegisterValues m_Values;
    std::uint16_t m_wChangeCounter = 0;
};
