// libFuzzer entry: any bytes as one router-protocol block. The parser must
// answer every input with a block or an error, within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gateway/router/RouterBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane::gateway::router;
    const ParsedBlock block = ParseBlock(std::string_view(reinterpret_cast<const char*>(data), size));
    if (block.ok == !block.error.empty()) std::abort();
    if (block.items.size() >= MAX_BLOCK_LINES) std::abort();
    return 0;
}
