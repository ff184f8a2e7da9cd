#include "gateway/router/RouterBlock.h"

#include <algorithm>
#include <array>

#include "link/DeviceState.h"

namespace corvane::gateway::router {
namespace {

struct Header {
    std::string_view text;
    BlockKind kind;
};

constexpr std::array<Header, 7> HEADERS{{
    {"PING:", BlockKind::Ping},
    {"PROTOCOL PREAMBLE:", BlockKind::Preamble},
    {"VIDEOHUB DEVICE:", BlockKind::Device},
    {"INPUT LABELS:", BlockKind::InputLabels},
    {"OUTPUT LABELS:", BlockKind::OutputLabels},
    {"VIDEO OUTPUT LOCKS:", BlockKind::Locks},
    {"VIDEO OUTPUT ROUTING:", BlockKind::Routing},
}};

ParsedBlock Fail(std::string why) {
    ParsedBlock b;
    b.error = std::move(why);
    return b;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    while (true) {
        const std::size_t nEnd = text.find('\n');
        std::string_view line = text.substr(0, nEnd);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (nEnd == std::string_view::npos || lines.size() > MAX_BLOCK_LINES) break;
        text.remove_prefix(nEnd + 1);
    }
    return lines;
}

// A port number: 1..3 decimal digits, below nCount.
bool Port(std::string_view text, int nCount, int& out) {
    if (text.empty() || text.size() > 3) return false;
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n >= nCount) return false;
    out = n;
    return true;
}

// "<number> <rest>": the rest may hold spaces (a label).
bool SplitItem(std::string_view line, std::string_view& number, std::string_view& rest) {
    const std::size_t nSpace = line.find(' ');
    if (nSpace == std::string_view::npos) return false;
    number = line.substr(0, nSpace);
    rest = line.substr(nSpace + 1);
    return true;
}

bool ParseItem(BlockKind kind, std::string_view line, BlockItem& item) {
    std::string_view number, rest;
    if (!SplitItem(line, number, rest)) return false;
    switch (kind) {
    case BlockKind::InputLabels:
    case BlockKind::OutputLabels:
        if (!Port(number, kind == BlockKind::InputLabels ? INPUT_COUNT : OUTPUT_COUNT, item.index)) return false;
        item.text.assign(rest);
        return true;
    case BlockKind::Locks:
        if (!Port(number, OUTPUT_COUNT, item.index) || rest.size() != 1) return false;
        item.lock = rest[0];
        return item.lock == 'O' || item.lock == 'U' || item.lock == 'F';
    case BlockKind::Routing: return Port(number, OUTPUT_COUNT, item.index) && Port(rest, INPUT_COUNT, item.input);
    default: return false;
    }
}

}  // namespace

ParsedBlock ParseBlock(std::string_view text) {
    if (text.size() > MAX_BLOCK_BYTES) return Fail("block too long");
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.size() > MAX_BLOCK_LINES) return Fail("block has too many lines");
    for (const std::string_view line : lines) {
        if (line.size() > MAX_LINE_BYTES) return Fail("line too long");
        if (line.empty()) return Fail("empty line inside a block");
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return Fail("control character in a line");
        }
    }
    ParsedBlock block;
    const auto it = std::find_if(HEADERS.begin(), HEADERS.end(), [&](const Header& h) { return h.text == lines[0]; });
    if (it == HEADERS.end()) return Fail("unknown block header");
    block.kind = it->kind;
    block.query = lines.size() == 1;
    const bool bChangeable =
        block.kind != BlockKind::Ping && block.kind != BlockKind::Preamble && block.kind != BlockKind::Device;
    if (!block.query && !bChangeable) return Fail("this block takes no items");
    for (std::size_t n = 1; n < lines.size(); ++n) {
        BlockItem item;
        if (!ParseItem(block.kind, lines[n], item)) return Fail("malformed item line " + std::to_string(n));
        block.items.push_back(std::move(item));
    }
    block.ok = true;
    return block;
}

}  // namespace corvane::gateway::router
