#pragma once
// The switcher's registers as the simulator keeps them. Every setter checks
// its value and reports whether it was accepted; any accepted write that
// actually changes something moves the 16-bit change counter by one, which
// is what a polling client watches to know it must reload.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

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

constexpr std::string_view SIM_DEFAULT_NAME = "CORVANE MATRIX";

// A name as the switcher stores it: 1 to 16 printable ASCII characters,
// padded with spaces to 16 bytes (as the control tool pads a name it
// writes). Returns false for anything else.
bool SimNameFromText(std::string_view strText, std::array<std::uint8_t, SIM_NAME_LEN>& abName);

// Factory defaults: routing 1:1, EDID mode 1 with 2-channel audio, the
// given name (default "CORVANE MATRIX  "), 192.168.1.100/24 via
// 192.168.1.1, a locally administered MAC, DHCP off, debug off, power up.
// A name that SimNameFromText refuses leaves the default name.
SimRegisterValues SimFactoryValues(std::string_view strName = SIM_DEFAULT_NAME);

class CSimRegisters {
public:
    // Starts at the factory values, which factory defaults restore later.
    explicit CSimRegisters(const SimRegisterValues& factory = SimFactoryValues())
        : m_Factory(factory), m_Values(factory) {}

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

    SimRegisterValues m_Factory;
    SimRegisterValues m_Values;
    std::uint16_t m_wChangeCounter = 0;
};
