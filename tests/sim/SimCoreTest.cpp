#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/sim/SimReplyQueue.h"
#include "tools/sim/SimRequest.h"
#include "tools/sim/SimSwitcher.h"

namespace {

// Feeds text to a fresh parser; returns every completed request.
std::vector<SimRequest> Parse(const std::string& text, int* pMalformed = nullptr) {
    CSimRequestParser p;
    std::vector<SimRequest> out;
    int nBad = 0;
    for (char c : text) {
        const SimFeed f = p.Feed(c);
        if (f == SimFeed::Request) out.push_back(p.Request());
        if (f == SimFeed::Malformed) ++nBad;
    }
    if (pMalformed) *pMalformed = nBad;
    return out;
}

std::vector<int> Data(const SimRequest& q) { return {q.abData.begin(), q.abData.begin() + q.nData}; }

// Sends text through a session of sw; returns the concatenated replies.
std::string Talk(CSimSwitcher& sw, const std::string& text) {
    CSimSession s(sw);
    std::vector<std::string> replies;
    s.Feed(text, replies);
    std::string all;
    for (auto& r : replies) all += r;
    return all;
}

const char* WHOLE_DEFAULT =
    "@0e 00 01 02 01 01 02 02 01 02 03 01 02 "
    "43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#";

}  // namespace

// ---- request parser -------------------------------------------------------

struct RequestCase {
    const char* text;
    SimOp op;
    int reg;
    std::vector<int> data;
};

TEST(SimRequestParser, ReadsEveryRequestTheToolSends) {
    const std::vector<int> name = {0x52, 0x4f, 0x4f, 0x4d, 0x20, 0x41, 0x20, 0x20,
                                   0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20};
    const std::vector<int> net = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0xc0, 0xa8, 0x00, 0x64,
                                  0xff, 0xff, 0xff, 0x00, 0xc0, 0xa8, 0x00, 0x01, 0x00};
    const RequestCase cases[] = {
        {"@R 04 #", SimOp::Read, 0x04, {}},
        {"@W 01 02#", SimOp::Write, 0x01, {2}},
        {"@ W 04  01 01 01 01#", SimOp::Write, 0x04, {1, 1, 1, 1}},
        {"@ R 0e #", SimOp::Read, 0x0e, {}},
        {"@ R 20 #", SimOp::Read, 0x20, {}},
        {"@W 20 524f4f4d20 4120202020 202020 20 20 20 #", SimOp::Write, 0x20, name},
        {"@ R 05 #", SimOp::Read, 0x05, {}},
        {"@ W 07 02 a5 #", SimOp::Write, 0x07, {0x02, 0xa5}},
        {"@ R 40 #", SimOp::Read, 0x40, {}},
        {"@W40 00 11 22 33 44 55 c0 a8 00 64 ff ff ff 00 c0 a8 00 01 00#", SimOp::Write, 0x40, net},
        {"@R20#", SimOp::Read, 0x20, {}},
        {"@ R 52 #", SimOp::Read, 0x52, {}},
        {"@W50#", SimOp::Write, 0x50, {}},
        {"@W51#", SimOp::Write, 0x51, {}},
        {"@W0F01#", SimOp::Write, 0x0f, {1}},
        {"@W0F00#", SimOp::Write, 0x0f, {0}},
        {"@R10#", SimOp::Read, 0x10, {}},
        {"@W1001#", SimOp::Write, 0x10, {1}},
        {"@w 01 02#", SimOp::Write, 0x01, {2}},
        {"@r0E#", SimOp::Read, 0x0e, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int nBad = -1;
        auto got = Parse(c.text, &nBad);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(nBad, 0);
        EXPECT_EQ(got[0].op, c.op);
        EXPECT_EQ(got[0].bRegister, c.reg);
        EXPECT_EQ(Data(got[0]), c.data);
    }
}

TEST(SimRequestParser, RejectsMalformedRequestsAndRecovers) {
    for (const char* bad : {"@X04#", "@R#", "@ #", "@R 0#", "@R 0g#", "@W 01 2#", "@R\r04#", "@04 00#"}) {
        SCOPED_TRACE(bad);
        int nBad = 0;
        EXPECT_TRUE(Parse(bad, &nBad).empty());
        EXPECT_EQ(nBad, 1);
        // The next well-formed request is read normally.
        EXPECT_EQ(Parse(std::string(bad) + "@R 04 #").size(), 1u);
    }
}

TEST(SimRequestParser, IgnoresEverythingOutsideAFrame) {
    int nBad = 0;
    auto got = Parse("04 #\r\n##zz@R 04 #\r\n12", &nBad);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bRegister, 0x04);
    EXPECT_EQ(nBad, 0);
}

TEST(SimRequestParser, NewStartMarkDropsTheFrameInProgress) {
    int nBad = 0;
    auto got = Parse("@W 01@R 04 #", &nBad);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].op, SimOp::Read);
    EXPECT_EQ(got[0].bRegister, 0x04);
    EXPECT_EQ(nBad, 1);
}

TEST(SimRequestParser, DropsOverlongRequests) {
    // Digits only, far past the cap: dropped once, and what follows still works.
    const std::string longFrame = "@W" + std::string(10000, 'a') + "#";
    int nBad = 0;
    auto got = Parse(longFrame + "@R 04 #", &nBad);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].bRegister, 0x04);
    EXPECT_EQ(nBad, 1);
    // Blanks count toward the cap as well.
    EXPECT_TRUE(Parse("@R" + std::string(SIM_MAX_REQUEST_CHARS, ' ') + "04#").empty());
    // The longest request the tool sends is well inside it.
    EXPECT_EQ(Parse("@W40 00 11 22 33 44 55 c0 a8 00 64 ff ff ff 00 c0 a8 00 01 00#").size(), 1u);
}

// ---- replies to reads ------------------------------------------------------

TEST(SimSwitcher, AnswersEveryReadableRegister) {
    CSimSwitcher sw;
    const std::pair<const char*, const char*> cases[] = {
        {"@R 04 #", "@04 00 01 02 03#"},
        {"@ R 05 #", "@05 01 02#"},
        {"@ R 08 #", "@08 01 02#"},
        {"@ R 0e #", WHOLE_DEFAULT},
        {"@R10#", "@10 01#"},
        {"@R20#", "@20 43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#"},
        {"@ R 40 #", "@40 02 43 56 00 00 01 c0 a8 01 64 ff ff ff 00 c0 a8 01 01 00#"},
        {"@ R 52 #", "@52 00 00#"},
        {"@R 02 #", "@02 02#"},
        {"@R 09 #", ""},
        {"@R 33 #", ""},
    };
    for (const auto& [req, reply] : cases) {
        SCOPED_TRACE(req);
        EXPECT_EQ(Talk(sw, req), reply);
    }
}

TEST(SimSwitcher, WholeConfigurationInterleavesRoutingAndEdidPerOutput) {
    CSimSwitcher sw;
    Talk(sw, "@W 00 03#@W 03 01#@ W 05 00 11 #@ W 08 07 ff #");
    EXPECT_EQ(Talk(sw, "@ R 0e #"),
              "@0e 03 00 11 01 01 02 02 01 02 01 07 ff "
              "43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#");
}

// ---- writes ----------------------------------------------------------------

TEST(SimSwitcher, WritesChangeWhatIsReadBack) {
    CSimSwitcher sw;
    EXPECT_EQ(Talk(sw, "@W 01 03#"), "@09 01#");
    EXPECT_EQ(Talk(sw, "@R 04 #"), "@04 00 03 02 03#");
    EXPECT_EQ(Talk(sw, "@ W 04  02 02 02 02#"), "@09 01#");
    EXPECT_EQ(Talk(sw, "@R 04 #"), "@04 02 02 02 02#");
    EXPECT_EQ(Talk(sw, "@ W 07 02 a5 #@ R 07 #"), "@09 01#@07 02 a5#");
    EXPECT_EQ(Talk(sw, "@W 20 524f4f4d20 4120202020 202020 20 20 20 #@R20#"),
              "@09 01#@20 52 4f 4f 4d 20 41 20 20 20 20 20 20 20 20 20 20#");
    EXPECT_EQ(Talk(sw, "@W40 00 11 22 33 44 55 c0 a8 00 64 ff ff ff 00 c0 a8 00 01 01#@ R 40 #"),
              "@09 01#@40 00 11 22 33 44 55 c0 a8 00 64 ff ff ff 00 c0 a8 00 01 01#");
    EXPECT_EQ(Talk(sw, "@W1000#@R10#"), "@09 01#@10 00#");
    EXPECT_EQ(Talk(sw, "@W0F00#@R 0f #"), "@09 01#@0f 00#");
    EXPECT_EQ(Talk(sw, "@W50#"), "@09 01#");
}

TEST(SimSwitcher, FactoryDefaultsRestoreEverything) {
    CSimSwitcher sw;
    Talk(sw, "@ W 04  03 03 03 03#@ W 06 05 00 #@W 20 4142434445 4647484950 515253 54 55 56 #@W1000#@W0F00#");
    EXPECT_EQ(Talk(sw, "@W51#"), "@09 01#");
    EXPECT_EQ(sw.Registers().Values(), SimFactoryValues());
    EXPECT_EQ(Talk(sw, "@ R 0e #"), WHOLE_DEFAULT);
}

TEST(SimSwitcher, RejectedWritesAreSilentAndChangeNothing) {
    CSimSwitcher sw;
    for (const char* bad : {"@W 01 04#",                               // input index out of range
                            "@W 01#",                                  // value missing
                            "@W 01 02 03#",                            // one value too many
                            "@ W 04  01 01 01#",                       // three of four sources
                            "@ W 04  01 01 01 09#",                    // one source out of range
                            "@ W 05 08 00 #",                          // no EDID mode 8
                            "@ W 05 01 #",                             // flags missing
                            "@W1002#", "@W0F02#",                      // neither on nor off
                            "@W 20 41 #",                              // short name
                            "@W40 00 11#",                             // short network parameters
                            "@W 0e 00#", "@W 52 00 01#", "@W 09 01#",  // read-only
                            "@W50 00#", "@W51 00#", "@W 77 00#"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Talk(sw, bad), "");
        EXPECT_EQ(sw.Registers().Values(), SimFactoryValues());
        EXPECT_EQ(sw.Registers().ChangeCounter(), 0);
    }
}

TEST(SimSwitcher, ChangeCounterMovesOnEveryChangeOnly) {
    CSimSwitcher sw;
    Talk(sw, "@W 01 03#");
    EXPECT_EQ(Talk(sw, "@ R 52 #"), "@52 00 01#");
    Talk(sw, "@W 01 03#");  // same value again: nothing changed
    Talk(sw, "@W50#");      // restart changes no register
    EXPECT_EQ(Talk(sw, "@ R 52 #"), "@52 00 01#");
    Talk(sw, "@ W 05 03 80 #@W1000#@W51#");
    EXPECT_EQ(Talk(sw, "@ R 52 #"), "@52 00 04#");
    Talk(sw, "@W51#");  // already at the defaults
    EXPECT_EQ(Talk(sw, "@ R 52 #"), "@52 00 04#");
}

TEST(SimSwitcher, ChangeCounterWrapsAtSixteenBits) {
    CSimSwitcher sw;
    for (int i = 0; i < 0xFFFF; ++i) sw.Registers().SetPower(static_cast<std::uint8_t>(i & 1));
    EXPECT_EQ(Talk(sw, "@ R 52 #"), "@52 ff ff#");
    sw.Registers().SetPower(1);
    EXPECT_EQ(Talk(sw, "@ R 52 #"), "@52 00 00#");
}

TEST(SimSwitcher, WriteReplyModes) {
    CSimSwitcher echo({SimWriteReply::Echo, {}});
    EXPECT_EQ(Talk(echo, "@W 01 02#"), "@01 02#");
    EXPECT_EQ(Talk(echo, "@ W 04  01 01 01 01#"), "@04 01 01 01 01#");
    EXPECT_EQ(Talk(echo, "@ W 07 02 a5 #"), "@07 02 a5#");
    EXPECT_EQ(Talk(echo, "@W1001#"), "@10 01#");
    // Nothing to echo for restart and factory defaults: acknowledged instead.
    EXPECT_EQ(Talk(echo, "@W50#@W51#"), "@09 01#@09 01#");

    CSimSwitcher silent({SimWriteReply::None, {}});
    EXPECT_EQ(Talk(silent, "@W 01 02#@W51#"), "");
    EXPECT_EQ(Talk(silent, "@R 04 #"), "@04 00 01 02 03#");  // reads still answered
}

TEST(SimSwitcher, ReplyStyles) {
    CSimSwitcher upper({SimWriteReply::Ack, {true, true, false}});
    EXPECT_EQ(Talk(upper, "@ R 40 #"), "@40 02 43 56 00 00 01 C0 A8 01 64 FF FF FF 00 C0 A8 01 01 00#");
    CSimSwitcher tight({SimWriteReply::Ack, {false, false, false}});
    EXPECT_EQ(Talk(tight, "@R 04 #@W 01 01#"), "@0400010203#@0901#");
    CSimSwitcher crlf({SimWriteReply::Ack, {false, true, true}});
    EXPECT_EQ(Talk(crlf, "@R10#@W 01 01#"), "@10 01#\r\n@09 01#\r\n");
}

TEST(SimSession, RequestsSplitAcrossReadsAreJoined) {
    CSimSwitcher sw;
    CSimSession s(sw);
    std::vector<std::string> replies;
    for (const char* part : {"@ R", " 0", "e #@R 0", "4 #"}) s.Feed(part, replies);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], WHOLE_DEFAULT);
    EXPECT_EQ(replies[1], "@04 00 01 02 03#");
}

// ---- datagrams and names ---------------------------------------------------

TEST(SimDatagram, OneDatagramIsOneRequest) {
    CSimSwitcher sw;
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"@R20#", "@20 43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#"},
        {"@ R 52 #", "@52 00 00#"},
        {"noise@R 04 #noise", "@04 00 01 02 03#"},
        {"@R00#@R01#", "@00 00#"},  // only the first request is answered
        {"@R 0", std::nullopt},     // unfinished: nothing, and nothing carried over
        {"4 #", std::nullopt},
        {"", std::nullopt},
        {"@X20#@R10#", "@10 01#"},  // a malformed request does not hide the next
        {"@R 33 #@R10#", std::nullopt},
    };
    for (const auto& [datagram, reply] : cases) {
        SCOPED_TRACE(datagram);
        EXPECT_EQ(SimAnswerDatagram(sw, datagram), reply);
    }
}

TEST(SimDatagram, SharesTheRegistersWithTheSerialSession) {
    CSimSwitcher sw;
    EXPECT_EQ(Talk(sw, "@W 01 03#"), "@09 01#");
    EXPECT_EQ(SimAnswerDatagram(sw, "@R 04 #"), "@04 00 03 02 03#");
    EXPECT_EQ(SimAnswerDatagram(sw, "@ R 52 #"), "@52 00 01#");
    EXPECT_EQ(SimAnswerDatagram(sw, "@W 02 00#"), "@09 01#");
    EXPECT_EQ(Talk(sw, "@ R 52 #"), "@52 00 02#");
}

TEST(SimName, NamesArePaddedWithSpacesAndCheckedForLength) {
    std::array<std::uint8_t, SIM_NAME_LEN> ab{};
    ASSERT_TRUE(SimNameFromText("SIM-A", ab));
    EXPECT_EQ(std::string(ab.begin(), ab.end()), "SIM-A           ");
    ASSERT_TRUE(SimNameFromText("SIXTEEN-CHARS-AB", ab));
    EXPECT_EQ(std::string(ab.begin(), ab.end()), "SIXTEEN-CHARS-AB");
    for (const char* bad : {"", "SEVENTEEN-CHARS-X", "tab\there", "caf\xc3\xa9"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(SimNameFromText(bad, ab));
    }
    EXPECT_EQ(SimFactoryValues("").abName, SimFactoryValues().abName);  // refused: the default stays
}

TEST(SimName, AGivenNameIsAnsweredToSearchesAndRestoredByFactoryDefaults) {
    CSimSwitcher sw({}, SimFactoryValues("HALL 2"));
    EXPECT_EQ(SimAnswerDatagram(sw, "@R20#"), "@20 48 41 4c 4c 20 32 20 20 20 20 20 20 20 20 20 20#");
    Talk(sw, "@W 20 4142434445 4647484950 515253 54 55 56 #@W51#");
    EXPECT_EQ(SimAnswerDatagram(sw, "@R20#"), "@20 48 41 4c 4c 20 32 20 20 20 20 20 20 20 20 20 20#");
    EXPECT_EQ(sw.Registers().ChangeCounter(), 2);
}

// ---- delayed replies -------------------------------------------------------

TEST(SimReplyQueue, ReleasesRepliesInOrderWhenDueAndStaysBounded) {
    CSimReplyQueue q(2);
    const auto t0 = SimClock::time_point{} + std::chrono::seconds(100);
    const SimPeer peer{0x7F000002, 5001};
    EXPECT_TRUE(q.Push("a", t0 + std::chrono::milliseconds(10)));
    EXPECT_TRUE(q.Push("b", t0 + std::chrono::milliseconds(20), peer));
    EXPECT_FALSE(q.Push("c", t0));
    EXPECT_EQ(q.NextDue(), t0 + std::chrono::milliseconds(10));
    EXPECT_FALSE(q.PopDue(t0));
    auto first = q.PopDue(t0 + std::chrono::milliseconds(15));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->reply, "a");
    EXPECT_FALSE(q.PopDue(t0 + std::chrono::milliseconds(15)));
    auto second = q.PopDue(t0 + std::chrono::milliseconds(20));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->reply, "b");
    EXPECT_EQ(second->peer, peer);  // a datagram reply keeps its destination
    EXPECT_FALSE(q.NextDue());
}
