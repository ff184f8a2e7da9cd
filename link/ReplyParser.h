#pragma once
// Decodes the frame in g_RxFrame by its register number into the device
// state, calls the pages through the target, then clears g_RxFrame.
#include "IReplyTarget.h"

void ParseReply(IReplyTarget& target);
