#pragma once
// Every command frame the tool sends, byte for byte. A frame is '@', opcode
// 'R' or 'W', register and data as hex pairs, '#'; the spaces between the
// elements differ per frame and are part of each template. Nothing is added
// after '#'.
#include <string>

#include "link/DeviceState.h"

namespace Frames {

// Registers of the switcher.
constexpr int REG_OUTPUT_FIRST = 0x00;  // source of output 1; outputs 2..4 follow
constexpr int REG_OUTPUT_LAST = REG_OUTPUT_FIRST + OUTPUT_COUNT - 1;
constexpr int REG_ALL_OUTPUTS = 0x04;
constexpr int REG_EDID_FIRST = EDID_REG_BASE;  // EDID setting of input 1; inputs 2..4 follow
constexpr int REG_EDID_LAST = REG_EDID_FIRST + INPUT_COUNT - 1;
constexpr int REG_ACK = 0x09;
constexpr int REG_ALL_CONFIG = 0x0E;
constexpr int REG_DEBUG = 0x10;
constexpr int REG_DEVICE_NAME = 0x20;
constexpr int NET_PARAMS_REG = 0x40;
constexpr int REG_CHANGE_COUNTER = 0x52;

// "@R 04 #" (space before '#'): read the four output sources.
std::string Status();
// "@W 0o 0i#": route output o+1 to input i+1 (indices 0..3, no space before '#').
std::string Route(int nOutput, int nInput);
// "@ W 04  ii ii ii ii#": all outputs from input i+1 (two spaces after "04").
std::string AllOutputs(int nInput);
// "@ R hh #": read of one register ("@ R 0e #", "@ R 20 #", "@ R 05 #", "@ R 40 #", "@ R 52 #").
std::string Read(int nRegister);
// "@ W rr mm ff #": EDID apply of register rr (0x05..0x08).
std::string EdidApply(int nRegister, int nMode, UINT nFlags);
// 45 characters: "@W 20 " b0..b4 ' ' b5..b9 ' ' b10..b12 ' ' b13 ' ' b14 ' ' b15 " #".
std::string DeviceNameWrite(const BYTE abName[DEVICE_NAME_LEN]);
// 62 characters: "@W40 " then the 19 bytes as hex separated by spaces, then '#'.
std::string NetParamsWrite(const NetParams& params);
// Literal frames.
inline constexpr const char* SEARCH = "@R20#";
inline constexpr const char* RESTART = "@W50#";
inline constexpr const char* FACTORY_DEFAULT = "@W51#";
inline constexpr const char* POWER_ON = "@W0F01#";
inline constexpr const char* POWER_OFF = "@W0F00#";
inline constexpr const char* DEBUG_GET = "@R10#";
// "@W1000#" for debug on, "@W1001#" for debug off.
std::string DebugApply(bool bDebugOn);

}  // namespace Frames
