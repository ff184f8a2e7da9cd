#include "link/Ipv4Text.h"

namespace corvane::link {

namespace {

// One octet: 1..3 digits, value 0..255.
std::optional<BYTE> ParseOctet(std::string_view text) {
    if (text.empty() || text.size() > 3) return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > 255) return std::nullopt;
    return static_cast<BYTE>(n);
}

}  // namespace

std::optional<Ipv4> ParseIpv4(std::string_view text) {
    Ipv4 ip{};
    for (std::size_t i = 0; i < ip.size(); ++i) {
        const std::size_t nDot = text.find('.');
        const bool bLast = i + 1 == ip.size();
        // Three dots exactly: the last octet has none after it.
        if (bLast != (nDot == std::string_view::npos)) return std::nullopt;
        const std::optional<BYTE> octet = ParseOctet(text.substr(0, nDot));
        if (!octet) return std::nullopt;
        ip[i] = *octet;
        text = bLast ? std::string_view() : text.substr(nDot + 1);
    }
    return ip;
}

std::string Ipv4Text(const Ipv4& ip) {
    return std::to_string(ip[0]) + '.' + std::to_string(ip[1]) + '.' + std::to_string(ip[2]) + '.' +
           std::to_string(ip[3]);
}

DWORD Ipv4HostOrder(const Ipv4& ip) {
    return (DWORD{ip[0]} << 24) | (DWORD{ip[1]} << 16) | (DWORD{ip[2]} << 8) | DWORD{ip[3]};
}

Ipv4 Ipv4FromHostOrder(DWORD dwIp) {
    return {static_cast<BYTE>(dwIp >> 24), static_cast<BYTE>(dwIp >> 16), static_cast<BYTE>(dwIp >> 8),
            static_cast<BYTE>(dwIp)};
}

std::string DottedIp(DWORD dwIp) { return Ipv4Text(Ipv4FromHostOrder(dwIp)); }

}  // namespace corvane::link
