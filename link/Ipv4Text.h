#pragma once
// IPv4 addresses as text, "A.B.C.D", both ways: the one place that reads and
// writes them for the links, the pages and corvane-cli. Plain C++, no Qt.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/WinTypes.h"

namespace corvane::link {

// The four octets in the order they are written.
using Ipv4 = std::array<BYTE, 4>;

// "A.B.C.D": four decimal numbers 0..255 of one to three digits, and nothing
// else (no blanks, signs or leading text).
std::optional<Ipv4> ParseIpv4(std::string_view text);
std::string Ipv4Text(const Ipv4& ip);

// The address as one number, first octet in the top byte, as the UDP link
// and the device table keep it; and back.
DWORD Ipv4HostOrder(const Ipv4& ip);
Ipv4 Ipv4FromHostOrder(DWORD dwIp);

// "A.B.C.D" of an address whose first octet is the top byte.
std::string DottedIp(DWORD dwIp);

}  // namespace corvane::link
