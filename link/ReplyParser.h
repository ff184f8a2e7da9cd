#pragma once
// Decodes the frame in g_RxFrame by its register number: writes the device
// state (g_nOutputSource, g_EdidSetting, g_DeviceName, g_NetParams,
// g_wChangeCounter), clears g_RxFrame and returns what the frame said.
#include "link/ReplyEvents.h"

corvane::link::ReplyEvent ParseReply();
