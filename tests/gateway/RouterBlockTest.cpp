// The router-protocol block parser: the blocks a client may send, and a
// corpus of malformed ones (the published examples cut and bent, bytes
// outside the protocol, blocks over the bounds) that must all come back
// as errors, never as something to do.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "gateway/router/RouterBlock.h"
#include "gateway/router/RouterText.h"

namespace {

using namespace corvane::gateway::router;

TEST(RouterBlock, TheBlocksAClientSends) {
    const ParsedBlock routing = ParseBlock("VIDEO OUTPUT ROUTING:\n3 0\r\n1 2\n");
    ASSERT_TRUE(routing.ok) << routing.error;
    EXPECT_EQ(routing.kind, BlockKind::Routing);
    EXPECT_FALSE(routing.query);
    ASSERT_EQ(routing.items.size(), 2u);
    EXPECT_EQ(routing.items[0].index, 3);
    EXPECT_EQ(routing.items[0].input, 0);
    EXPECT_EQ(routing.items[1].index, 1);
    EXPECT_EQ(routing.items[1].input, 2);

    const ParsedBlock labels = ParseBlock("OUTPUT LABELS:\n2 Main  monitor \n0 \n");
    ASSERT_TRUE(labels.ok);
    EXPECT_EQ(labels.kind, BlockKind::OutputLabels);
    EXPECT_EQ(labels.items[0].text, "Main  monitor ") << "the rest of the line, spaces kept";
    EXPECT_EQ(labels.items[1].text, "") << "an empty label gives the default back";

    const ParsedBlock locks = ParseBlock("VIDEO OUTPUT LOCKS:\n0 O\n1 U\n2 F");
    ASSERT_TRUE(locks.ok);
    EXPECT_EQ(std::string({locks.items[0].lock, locks.items[1].lock, locks.items[2].lock}), "OUF");

    for (const char* query : {"PING:", "PROTOCOL PREAMBLE:\n", "VIDEOHUB DEVICE:", "INPUT LABELS:\r\n",
                              "OUTPUT LABELS:", "VIDEO OUTPUT LOCKS:", "VIDEO OUTPUT ROUTING:"}) {
        const ParsedBlock block = ParseBlock(query);
        EXPECT_TRUE(block.ok && block.query && block.items.empty()) << query;
    }
}

std::vector<std::string> MalformedCorpus() {
    std::vector<std::string> corpus = {
        "",
        "\n",
        ":",
        "PING",
        "PING:\n0 1",
        "ping:",
        " PING:",
        "PING: ",
        "END PRELUDE:",
        "ACK",
        "NAK",
        "VIDEOHUB DEVICE:\nDevice present: true",
        "PROTOCOL PREAMBLE:\nVersion: 2.3",
        "VIDEO MONITORING OUTPUT ROUTING:\n0 1",
        "SERIAL PORT ROUTING:\n0 1",
        "VIDEO OUTPUT ROUTING:\n4 0",
        "VIDEO OUTPUT ROUTING:\n0 4",
        "VIDEO OUTPUT ROUTING:\n0",
        "VIDEO OUTPUT ROUTING:\n0 ",
        "VIDEO OUTPUT ROUTING:\n 0 1",
        "VIDEO OUTPUT ROUTING:\n0 1 ",
        "VIDEO OUTPUT ROUTING:\n0  1",
        "VIDEO OUTPUT ROUTING:\n+0 1",
        "VIDEO OUTPUT ROUTING:\n-0 1",
        "VIDEO OUTPUT ROUTING:\n0x1 1",
        "VIDEO OUTPUT ROUTING:\n0000 1",
        "VIDEO OUTPUT ROUTING:\n99999999999999999999 1",
        "VIDEO OUTPUT ROUTING:\n0\t1",
        "VIDEO OUTPUT ROUTING:\n0 1\n\n1 2",
        "VIDEO OUTPUT ROUTING:\n0 1\r\r\n",
        "VIDEO OUTPUT LOCKS:\n0 L",
        "VIDEO OUTPUT LOCKS:\n0 o",
        "VIDEO OUTPUT LOCKS:\n0 OU",
        "VIDEO OUTPUT LOCKS:\n4 O",
        "VIDEO OUTPUT LOCKS:\n0",
        "INPUT LABELS:\n4 Camera",
        "INPUT LABELS:\nCamera",
        "INPUT LABELS:\n0 Cam\x1b[2Jera",
        "OUTPUT LABELS:\n0 a\x7f",
        std::string("VIDEO OUTPUT ROUTING:\n0 1\0", 26),
        std::string("\0\0\0\0", 4),
        "\xff\xfe\xfd:",
        "VIDEO OUTPUT ROUTING:\n" + std::string(MAX_LINE_BYTES, '1') + " 1",
        "INPUT LABELS:\n0 " + std::string(MAX_LINE_BYTES, 'x'),
        std::string(MAX_BLOCK_BYTES + 1, 'A'),
        std::string(100000, '\n'),
    };
    std::string many = "VIDEO OUTPUT ROUTING:\n";
    for (std::size_t n = 0; n < MAX_BLOCK_LINES; ++n) many += "0 1\n";
    corpus.push_back(many);
    // Every cut of a valid salvo but the whole is malformed or a valid
    // prefix; every byte of it replaced by a control character is malformed.
    const std::string salvo = "VIDEO OUTPUT ROUTING:\n0 1\n1 2\n";
    for (std::size_t n = 0; n < salvo.size(); ++n) {
        std::string bent = salvo;
        bent[n] = '\x02';
        corpus.push_back(bent);
    }
    return corpus;
}

TEST(RouterBlock, EveryBlockOfTheMalformedCorpusIsAnError) {
    for (const std::string& text : MalformedCorpus()) {
        const ParsedBlock block = ParseBlock(text);
        EXPECT_FALSE(block.ok) << "taken: " << ::testing::PrintToString(text.substr(0, 80));
        EXPECT_FALSE(block.error.empty());
        EXPECT_TRUE(block.items.empty());
    }
}

TEST(RouterBlock, CutsOfAValidBlockNeverGiveMoreThanWasSent) {
    const std::string salvo = "VIDEO OUTPUT ROUTING:\n0 1\n1 2\n";
    for (std::size_t n = 0; n <= salvo.size(); ++n) {
        const ParsedBlock block = ParseBlock(salvo.substr(0, n));
        if (!block.ok) continue;
        EXPECT_EQ(block.kind, BlockKind::Routing);
        EXPECT_LE(block.items.size(), 2u);
        for (const BlockItem& item : block.items) EXPECT_LT(item.index, 2);
    }
}

TEST(RouterText, LocksAreWrittenForTheirReader) {
    const std::array<QString, OUTPUT_COUNT> lockedBy = {QString(), "videohub:a", "videohub:b", QString()};
    EXPECT_EQ(LockBlock(lockedBy, "videohub:a"), "VIDEO OUTPUT LOCKS:\n0 U\n1 O\n2 L\n3 U\n\n");
    EXPECT_EQ(LockBlock(lockedBy, "videohub:b", 0b0110), "VIDEO OUTPUT LOCKS:\n1 L\n2 O\n\n");
    EXPECT_EQ(UniqueIdFor("/dev/ttyUSB0"), UniqueIdFor("/dev/ttyUSB0"));
    EXPECT_NE(UniqueIdFor("/dev/ttyUSB0"), UniqueIdFor("/dev/ttyUSB1"));
}

}  // namespace
