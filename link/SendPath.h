#pragma once
// The one send path of every page: serial link first, then network, else
// nothing and false (the caller reports it in its own words).
#include <string>

bool SendCommand(const std::string& strFrame);
