#pragma once
// Decoder of search replies: '@', hexadecimal digit pairs (spaces and the
// access letters R/W in either case allowed), '#'. Byte 0 is the register
// (0x20 for a name reply), bytes 1..16 the switcher's name.
#include "base/WinTypes.h"

constexpr int SEARCH_DATA_SIZE = 100;   // decoded bytes kept; digits beyond are ignored
constexpr int SEARCH_SCAN_CHARS = 201;  // characters of one datagram looked at
enum : BYTE { SEARCH_IDLE = 0, SEARCH_IN_FRAME = 1, SEARCH_COMPLETE = 2 };
enum : BYTE { ACCESS_WRITE = 0, ACCESS_READ = 1, ACCESS_NONE = 2 };

struct SearchDecoder {
    BYTE abData[SEARCH_DATA_SIZE];  // cleared at the start of every decode
    BYTE nState;                    // SEARCH_*; idle at the start of every decode
    BYTE nAccess;                   // ACCESS_*; none at the start of every decode
};

extern SearchDecoder g_SearchDecoder;

// Decodes the first nLen bytes of one datagram (at most SEARCH_SCAN_CHARS).
// Only the datagram's own bytes count: the decoder starts afresh, and
// nothing before pText or after nLen is read. A frame is never completed
// by a later datagram, which may come from another sender, nor by an
// earlier datagram's bytes. A NUL among them is skipped like any other
// non-digit.
void DecodeSearchReply(const char* pText, int nLen);

// Start state: idle, no access letter, no data.
void ResetSearchDecoder();
