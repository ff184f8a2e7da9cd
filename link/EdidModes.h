#pragma once
// EDID mode codes as people name them: the text the window's mode list
// shows, and a short word for the command line. The code is the index.
#include <iterator>

#include "DeviceState.h"

struct EdidModeName {
    const char* pszText;  // as shown in the window
    const char* pszWord;  // as typed on a command line
};

inline constexpr EdidModeName EDID_MODES[] = {
    {"1080P", "1080p"},
    {"4K2K@30Hz", "4k30"},
    {"4K2K@60Hz (YC420)", "4k60-420"},
    {"4K2K@60Hz (YC444)", "4k60-444"},
    {"Copy From TV1", "tv1"},
    {"Copy From TV2", "tv2"},
    {"Copy From TV3", "tv3"},
    {"Copy From TV4", "tv4"},
};
inline constexpr int EDID_MODE_COUNT = static_cast<int>(std::size(EDID_MODES));
// Modes 0..3 carry option bits; the copy modes take the display's EDID.
inline constexpr int EDID_MODE_LAST_FIXED = 3;
