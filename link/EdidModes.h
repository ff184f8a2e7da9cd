#pragma once
// EDID mode codes and option bits as people name them: the text the window
// shows, and a short word for the command line. A mode's code is its index.
#include <iterator>

#include "link/DeviceState.h"

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

// The option bits of a mode, in the window's order.
struct EdidOptionName {
    UINT nFlag;
    const char* pszWord;  // command-line option and snapshot key
    const char* pszText;  // as the window labels it
};
inline constexpr EdidOptionName EDID_OPTIONS[] = {
    {EDID_FLAG_HDR, "hdr", "HDR"},           {EDID_FLAG_3D, "3d", "3D"},
    {EDID_FLAG_DEEP_30BIT, "30bit", "30Bit"}, {EDID_FLAG_DEEP_36BIT, "36bit", "36Bit"},
    {EDID_FLAG_DEEP_48BIT, "48bit", "48Bit"},
};

// The audio channel bits; of several set, the first listed is the one the
// window's radio shows.
struct EdidChannelsName {
    UINT nFlag;
    const char* pszText;
};
inline constexpr EdidChannelsName EDID_CHANNELS[] = {
    {EDID_FLAG_AUDIO_2CH, "2.0"},
    {EDID_FLAG_AUDIO_51CH, "5.1"},
    {EDID_FLAG_AUDIO_71CH, "7.1"},
};
