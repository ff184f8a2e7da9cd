#pragma once
// The switcher's MAC address as the gateway's front-ends write it: six
// lower-case hex pairs joined by ':' ("02:43:56:00:00:01"). The window and
// corvane-cli show it in their own upper-case forms, so this stays here.
#include <QString>
#include <array>
#include <cstdint>

namespace corvane::gateway {

QString MacText(const std::array<uint8_t, 6>& mac);

}  // namespace corvane::gateway
