#include "tools/sim/SimReply.h"

#include <cstdio>

std::string SimFormatReply(std::span<const std::uint8_t> abFrame, const SimReplyStyle& style) {
    const char* digits = style.bUpper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string s;
    s.reserve(2 + abFrame.size() * 3 + 2);
    s += '@';
    for (std::size_t i = 0; i < abFrame.size(); ++i) {
        if (i > 0 && style.bSpaces) s += ' ';
        s += digits[abFrame[i] >> 4];
        s += digits[abFrame[i] & 0x0F];
    }
    s += '#';
    if (style.bCrLf) s += "\r\n";
    return s;
}

std::string SimPrintable(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}
