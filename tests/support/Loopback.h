#pragma once
// Loopback addresses for the switchers and simulators a test plays or
// starts. Every address is inside 127.0.0.0/8; the second and third octets
// come from the process id, so that test programs running side by side
// (ctest -j) do not bind the same address and port.
#include <cstdint>
#include <string>

// 127.a.b.nHost (host byte order) with a and b taken from the process id.
std::uint32_t LoopbackIp(int nHost);

// A loopback address of this process whose port 5000 nobody has bound;
// nIndex picks further addresses for the same test. An address that is
// taken moves on by 16 hosts.
std::string FreeLoopbackAddress(int nIndex = 0);
