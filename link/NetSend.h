#pragma once
// One UDP datagram with the frame's characters (no terminator) to port 5000
// of the chosen switcher, g_dwHostIp. The result is not looked at: a lost
// datagram shows as the waiting page's timeout. Nothing goes out while no
// switcher has been chosen (g_dwHostIp still 255.255.255.255): a command is
// never broadcast to every switcher on the network.
#include <string>

void NetSend(const std::string& strFrame);
