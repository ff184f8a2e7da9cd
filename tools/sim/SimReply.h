#pragma once
// Reply frames in the switcher's grammar: '@', the register and its data as
// two-digit hex pairs, '#'. The default style is lower-case pairs separated
// by single spaces with nothing after '#'; the options vary it so a client
// can be checked against every spelling the grammar allows.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct SimReplyStyle {
    bool bUpper = false;  // "@0E ..." instead of "@0e ..."
    bool bSpaces = true;  // "@04 00 01 02 03#" or "@0400010203#"
    bool bCrLf = false;   // CR LF after '#'
};

// abFrame[0] is the register, the rest its data.
std::string SimFormatReply(std::span<const std::uint8_t> abFrame, const SimReplyStyle& style);

// Text for the log: printable ASCII as it is, every other byte as \xNN.
std::string SimPrintable(std::string_view bytes);
