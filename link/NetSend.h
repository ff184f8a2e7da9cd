#pragma once
// One UDP datagram with the frame's characters to port 5000 of the chosen
// switcher. Until the UDP link exists this sends nothing.
#include <string>

void NetSend(const std::string& strFrame);
