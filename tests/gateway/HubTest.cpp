// The hub against a link the test plays: the queue with one frame in
// flight, answers and refusals to the client that asked, locks, presets,
// presence and reconnecting. Times are shortened; every wait is for a
// condition.
#include <gtest/gtest.h>

#include <memory>

#include "tests/gateway/FakeLink.h"
#include "tests/support/Wait.h"
#include "gateway/http/StateJson.h"
#include "gateway/hub/Hub.h"

namespace corvane::gateway {
namespace {

using Kind = LinkEvent::Kind;

struct Result {
    bool done = false;
    Outcome outcome;
    Completion Take() {
        return [this](const Outcome& o) {
            done = true;
            outcome = o;
        };
    }
};

class HubTest : public ::testing::Test {
protected:
    void Make(bool network, HubOptions options = Quick()) {
        link = std::make_unique<FakeLink>(network);
        hub = std::make_unique<Hub>(*link, nullptr, options);
        QObject::connect(hub.get(), &Hub::changed, [this](Change what, const QString& who) {
            changes.push_back({what, who});
        });
    }
    static HubOptions Quick() {
        HubOptions o;
        o.commandTimeoutMs = 300;
        o.netPollMs = 40;
        o.serialPollMs = 40;
        o.queueLimit = 3;
        o.reconnectMinMs = 20;
        o.reconnectMaxMs = 80;
        return o;
    }
    // Starts the hub and answers its reads of the whole configuration.
    void BringPresent(bool network = false) {
        if (!hub) Make(network);
        link->picture.routing = {0, 1, 2, 3};
        link->picture.name = QStringLiteral("HALL");
        hub->Start(HostState::Defaults());
        AnswerReads();
        ASSERT_TRUE(hub->Switcher().present);
    }
    void AnswerReads() {
        if (link->IsNetwork()) {
            ASSERT_EQ(link->Last(), "@ R 52 #");
            link->Answer(Kind::Counter);
        }
        ASSERT_EQ(link->Last(), "@ R 0e #");
        link->Answer(Kind::AllConfig);
        ASSERT_EQ(link->Last(), "@ R 40 #");
        link->Answer(Kind::NetParams);
    }
    bool Changed(Change what) const {
        for (const auto& c : changes) {
            if (c.first == what) return true;
        }
        return false;
    }

    std::unique_ptr<FakeLink> link;
    std::unique_ptr<Hub> hub;
    std::vector<std::pair<Change, QString>> changes;
};

TEST_F(HubTest, ReadsTheWholeConfigurationAndTellsEveryoneItIsPresent) {
    BringPresent();
    EXPECT_EQ(hub->Switcher().name, "HALL");
    EXPECT_EQ(hub->Switcher().routing, (Routing{0, 1, 2, 3}));
    EXPECT_TRUE(Changed(Change::Presence));
    EXPECT_EQ(link->sent.size(), 2u);
}

// The network settings read from the switcher, as the HTTP state shows
// them: hex pairs for the MAC (leading zeros kept), dotted decimal for the
// addresses.
TEST_F(HubTest, TheStateShowsTheNetworkSettingsAsText) {
    Make(false);
    link->picture.net = {
        {0x02, 0xab, 0x00, 0x00, 0x10, 0xff}, {192, 168, 0, 7}, {255, 255, 255, 0}, {10, 0, 0, 1}, true};
    BringPresent();
    const QJsonObject expected{{"mac", "02:ab:00:00:10:ff"},
                               {"ip", "192.168.0.7"},
                               {"mask", "255.255.255.0"},
                               {"gateway", "10.0.0.1"},
                               {"dhcp", true}};
    EXPECT_EQ(StateJson(*hub)["network"].toObject(), expected);
}

TEST_F(HubTest, OneFrameInFlightAndEachClientHearsItsOwnAnswer) {
    BringPresent();
    Result a, b;
    hub->Route("alice", 0, 3, a.Take());
    hub->Route("bob", 1, 2, b.Take());
    ASSERT_EQ(link->Last(), "@W 00 03#");
    EXPECT_EQ(link->sent.size(), 3u) << "the second frame waits for the first answer";
    link->Answer(Kind::Ack);
    EXPECT_TRUE(a.done && a.outcome.Ok());
    EXPECT_FALSE(b.done);
    EXPECT_EQ(link->Last(), "@W 01 02#");
    link->picture.routing[1] = 2;
    link->Answer(Kind::OutputSource, 1);  // an echo confirms as well
    EXPECT_TRUE(b.done && b.outcome.Ok());
    EXPECT_EQ(hub->Switcher().routing, (Routing{3, 2, 2, 3}));
    ASSERT_EQ(changes.back().first, Change::Routing);
    EXPECT_EQ(changes.back().second, "bob");
}

TEST_F(HubTest, AFullQueueRefusesAndATimeoutIsReportedToTheAsker) {
    BringPresent();
    Result r[4];
    for (int i = 0; i < 4; ++i) hub->Route("c" + QString::number(i), i, 0, r[i].Take());
    ASSERT_TRUE(r[3].done);
    EXPECT_EQ(r[3].outcome.failure, Failure::QueueFull);
    EXPECT_FALSE(r[3].outcome.message.isEmpty());
    EXPECT_FALSE(r[0].done);
    ASSERT_TRUE(WaitUntil([&] { return r[0].done; }));
    EXPECT_EQ(r[0].outcome.failure, Failure::Timeout);
    EXPECT_EQ(link->Last(), "@W 01 00#") << "the next command goes out after the timeout";
    EXPECT_EQ(hub->Switcher().routing[0], 0) << "an unconfirmed route changes nothing";
}

TEST_F(HubTest, ALockedOutputIsRoutedOnlyByItsHolderUntilForcedFree) {
    BringPresent();
    Result lock, blocked, other, freeing, forced;
    hub->Lock("alice", 2, lock.Take());
    EXPECT_TRUE(lock.outcome.Ok());
    const size_t nSent = link->sent.size();
    hub->Route("bob", 2, 0, blocked.Take());
    EXPECT_EQ(blocked.outcome.failure, Failure::Locked);
    EXPECT_TRUE(blocked.outcome.message.contains("alice"));
    EXPECT_EQ(link->sent.size(), nSent) << "nothing is sent for a refused request";
    hub->Unlock("bob", 2, false, freeing.Take());
    EXPECT_EQ(freeing.outcome.failure, Failure::Locked);
    hub->Salvo("bob", {0, 0, 0, 0}, other.Take());
    EXPECT_EQ(other.outcome.failure, Failure::Locked) << "a salvo that would move a locked output is refused whole";
    hub->Unlock("bob", 2, true, forced.Take());
    EXPECT_TRUE(forced.outcome.Ok());
    EXPECT_TRUE(hub->Host().lockedBy[2].isEmpty());
    EXPECT_TRUE(Changed(Change::Locks));
}

TEST_F(HubTest, PresetsApplyAsOneSalvoInOutputOrder) {
    BringPresent();
    Result save, apply, missing;
    hub->SavePreset("alice", "Show", save.Take());
    ASSERT_TRUE(save.outcome.Ok());
    hub->Route("alice", 0, 3, Completion([](const Outcome&) {}));
    link->Answer(Kind::Ack);
    const size_t nBefore = link->sent.size();
    hub->ApplyPreset("bob", "Show", apply.Take());
    for (int o = 0; o < OUTPUT_COUNT; ++o) {
        ASSERT_EQ(link->sent.size(), nBefore + o + 1);
        EXPECT_EQ(link->Last(), "@W 0" + std::to_string(o) + " 0" + std::to_string(o) + "#");
        EXPECT_FALSE(apply.done);
        link->Answer(Kind::Ack);
    }
    EXPECT_TRUE(apply.done && apply.outcome.Ok());
    EXPECT_EQ(hub->Switcher().routing, (Routing{0, 1, 2, 3}));
    hub->ApplyPreset("bob", "Nope", missing.Take());
    EXPECT_EQ(missing.outcome.failure, Failure::NotFound);
}

TEST_F(HubTest, BadValuesAreRefusedBeforeAnythingIsSent) {
    BringPresent();
    const size_t nSent = link->sent.size();
    Result r[6];
    hub->Route("a", 4, 0, r[0].Take());
    hub->Route("a", 0, 7, r[1].Take());
    hub->SetEdid("a", 0, {9, 0}, r[2].Take());
    hub->SetName("a", QStringLiteral("far too long a name"), r[3].Take());
    hub->SetLabel("a", true, 0, QString(40, 'x'), r[4].Take());
    hub->SavePreset("a", QStringLiteral("bad/name"), r[5].Take());
    EXPECT_EQ(r[0].outcome.failure, Failure::NotFound);
    for (int i = 1; i < 6; ++i) EXPECT_EQ(r[i].outcome.failure, Failure::BadRequest) << i;
    EXPECT_EQ(link->sent.size(), nSent);
}

TEST_F(HubTest, ThreeUnansweredPollsMakeItAbsentAndItIsReadAfreshWhenBack) {
    BringPresent();
    Result pending;
    hub->SetName("a", QStringLiteral("NEW"), pending.Take());
    link->Answer(Kind::Ack);
    ASSERT_TRUE(WaitUntil([&] { return !hub->Switcher().present; }));
    EXPECT_EQ(changes.back().first, Change::Presence);
    Result refused;
    hub->Route("a", 0, 1, refused.Take());
    EXPECT_EQ(refused.outcome.failure, Failure::Absent);
    // It opens the link again and reads everything once the switcher answers.
    const int nOpens = link->opens;
    ASSERT_TRUE(WaitUntil([&] { return link->opens > nOpens && link->Last() == "@ R 0e #"; }));
    link->picture.routing = {3, 3, 3, 3};
    AnswerReads();
    EXPECT_TRUE(hub->Switcher().present);
    EXPECT_EQ(hub->Switcher().routing, (Routing{3, 3, 3, 3}));
}

TEST_F(HubTest, ALostLinkFailsWhatWaitsAndTheDeviceIsOpenedAgain) {
    BringPresent();
    Result waiting;
    hub->Route("a", 0, 1, waiting.Take());
    link->openError = QStringLiteral("no such device");
    link->Lose(QStringLiteral("device unplugged"));
    EXPECT_EQ(waiting.outcome.failure, Failure::Absent);
    EXPECT_FALSE(link->IsOpen());
    const int nOpens = link->opens;
    ASSERT_TRUE(WaitUntil([&] { return link->opens >= nOpens + 2; })) << "it keeps trying";
    link->openError.clear();
    ASSERT_TRUE(WaitUntil([&] { return link->IsOpen() && link->Last() == "@ R 0e #"; }));
    AnswerReads();
    EXPECT_TRUE(hub->Switcher().present);
}

TEST_F(HubTest, OverUdpAMovedChangeCounterReadsEverythingAgain) {
    Make(true);
    BringPresent(true);
    ASSERT_TRUE(WaitUntil([&] { return link->Last() == "@ R 52 #" && link->sent.size() > 3; }));
    link->Answer(Kind::Counter);  // unchanged: nothing more
    ASSERT_TRUE(WaitUntil([&] { return link->sent.size() > 4; }));
    EXPECT_EQ(link->Last(), "@ R 52 #");
    link->picture.counter = 9;
    link->picture.routing = {1, 1, 1, 1};
    link->Answer(Kind::Counter);
    AnswerReads();
    EXPECT_EQ(hub->Switcher().routing, (Routing{1, 1, 1, 1}));
    EXPECT_EQ(changes.back().second, "switcher");
}

}  // namespace
}  // namespace corvane::gateway
