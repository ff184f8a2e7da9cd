#include "NetSend.h"

// The UDP link is not built yet: a frame for the network goes nowhere, which is
// what a lost datagram looks like to the pages (they time out).
void NetSend(const std::string& /*strFrame*/) {}
