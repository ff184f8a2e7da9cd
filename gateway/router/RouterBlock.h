#pragma once
// One block of the router protocol as a client sends it: a header line
// ending in ':' and item lines, ended by a blank line (not part of the
// text given here). Parsing is a pure function of the text, so it can be
// fed anything: what it does not understand comes back as an error, and
// the caller answers NAK without sending anything to the switcher.
// Port numbers on this protocol count from 0.
#include <string>
#include <string_view>
#include <vector>

namespace corvane::gateway::router {

// Bounds on what one client may send.
constexpr std::size_t MAX_LINE_BYTES = 256;  // a label is at most 32 characters
constexpr std::size_t MAX_BLOCK_LINES = 33;  // the header and 32 items
constexpr std::size_t MAX_BLOCK_BYTES = MAX_LINE_BYTES * MAX_BLOCK_LINES;

enum class BlockKind {
    Ping,
    Preamble,  // query only
    Device,    // query only
    InputLabels,
    OutputLabels,
    Locks,
    Routing,
};

struct BlockItem {
    int index = 0;     // the output (routing, locks) or the port labelled, from 0
    int input = 0;     // routing: the input, from 0
    char lock = 0;     // locks: 'O' lock, 'U' unlock, 'F' force free
    std::string text;  // labels: UTF-8 as received
};

struct ParsedBlock {
    bool ok = false;
    std::string error;  // one line, when !ok
    BlockKind kind = BlockKind::Ping;
    bool query = false;  // the header alone: asks for the block's current state
    std::vector<BlockItem> items;
};

// Lines end with '\n' (a '\r' before it is dropped); a trailing line end
// is allowed.
ParsedBlock ParseBlock(std::string_view text);

}  // namespace corvane::gateway::router
