// Snapshots: what load --json prints is what apply reads back, and apply
// sends exactly the frames for what differs.
#include <QJsonDocument>
#include <cstring>
#include <gtest/gtest.h>

#include "CliFormat.h"
#include "Snapshot.h"

namespace {

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        const int anSource[] = {0, 1, 2, 3};
        std::memcpy(g_nOutputSource, anSource, sizeof anSource);
        g_EdidSetting[0] = {1, 0x02};
        g_EdidSetting[2] = {2, 0xA5};
        std::memcpy(g_DeviceName, "ROOM A          ", DEVICE_NAME_LEN);
        const BYTE abNet[19] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 192, 168, 1, 10, 255, 255, 255, 0, 192, 168, 1, 1, 0};
        std::memcpy(&g_NetParams, abNet, sizeof abNet);
    }
    void TearDown() override { ResetDeviceState(); }

    static QByteArray Json(bool bWithNet) { return QJsonDocument(WholeConfigJson(bWithNet)).toJson(); }

    static Snapshot Parsed(const QByteArray& json) {
        Snapshot snap;
        QString strError;
        EXPECT_TRUE(ParseSnapshot(json, snap, strError)) << strError.toStdString();
        return snap;
    }

    static std::vector<std::string> Frames(const std::vector<PlannedChange>& plan) {
        std::vector<std::string> out;
        for (const PlannedChange& c : plan) out.push_back(c.strFrame);
        return out;
    }
};

}  // namespace

TEST_F(SnapshotTest, ALoadedStateAppliedToItselfChangesNothing) {
    const Snapshot snap = Parsed(Json(true));
    EXPECT_TRUE(PlanApply(snap, true, false).empty());
    ASSERT_TRUE(snap.routing);
    EXPECT_EQ((*snap.routing)[3], 3);
    EXPECT_EQ(snap.edid[2]->nMode, 2);
    EXPECT_EQ(snap.edid[2]->nFlags, 0xA5u);
    EXPECT_EQ(*snap.name, "ROOM A");
}

TEST_F(SnapshotTest, OnlyWhatDiffersIsSentNetworkLastAndOnlyWhenAsked) {
    const Snapshot snap = Parsed(Json(true));
    // The switcher has drifted from the snapshot.
    g_nOutputSource[1] = 3;
    g_EdidSetting[2].nFlags = 0x02;
    std::memcpy(g_DeviceName, "LOBBY\0\0\0\0\0\0\0\0\0\0\0", DEVICE_NAME_LEN);
    g_NetParams.bDhcp = 1;

    const std::vector<PlannedChange> plan = PlanApply(snap, true, false);
    EXPECT_EQ(Frames(plan), (std::vector<std::string>{"@W 01 01#", "@ W 07 02 a5 #",
                                                     "@W 20 524f4f4d20 4120202020 202020 20 20 20 #",
                                                     // MAC as the switcher reported it
                                                     "@W40 00 1a 2b 3c 4d 5e c0 a8 01 0a ff ff ff 00 c0 a8 01 01 00#"}));
    EXPECT_EQ(plan[0].strWhat, "output 2: input 4 -> input 2");
    EXPECT_EQ(Frames(PlanApply(snap, false, false)).size(), 3u);
}

TEST_F(SnapshotTest, TrailingBlanksOfTheNameDoNotCountAsADifference) {
    std::memcpy(g_DeviceName, "ROOM A\0\0\0\0\0\0\0\0\0\0", DEVICE_NAME_LEN);
    EXPECT_TRUE(PlanApply(Parsed(R"({"name": "ROOM A  "})"), false, false).empty());
}

TEST_F(SnapshotTest, AnOperatorsOwnFileMayBePartialAndUseWords) {
    const Snapshot snap = Parsed(R"({"routing": [2, 2, 2, 2],
                                     "edid": [{"input": 4, "mode_name": "tv1", "hdr": true, "channels": "7.1"}]})");
    EXPECT_FALSE(snap.name);
    EXPECT_FALSE(snap.net);
    EXPECT_EQ(Frames(PlanApply(snap, true, true)),
              (std::vector<std::string>{"@W 00 01#", "@W 01 01#", "@W 02 01#", "@W 03 01#", "@ W 08 04 88 #"}));
}

TEST_F(SnapshotTest, FilesThatAreNotSnapshotsAreRefusedWithTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"not json", "not JSON"},
        {"[1, 2]", "one JSON object"},
        {"{}", "nothing to apply"},
        {R"({"routing": [1, 2, 3]})", "routing"},
        {R"({"routing": [1, 2, 3, 5]})", "routing"},
        {R"({"routing": [1, 2, 3, 1.5]})", "routing"},
        {R"({"edid": [{"mode": 1}]})", "input"},
        {R"({"edid": [{"input": 1}]})", "mode"},
        {R"({"edid": [{"input": 1, "mode": 1, "flags": 256}]})", "flags"},
        {R"({"edid": [{"input": 1, "mode": 1, "channels": "9.2"}]})", "channels"},
        {R"({"name": "ABCDEFGHIJKLMNOPQ"})", "name"},
        {R"({"name": 7})", "name"},
        {R"({"network": {"ip": "1.2.3.4", "mask": "255.0.0.0", "gateway": "1.2.3", "dhcp": false}})", "gateway"},
        {R"({"network": {"ip": "1.2.3.4", "mask": "255.0.0.0", "gateway": "1.2.3.1"}})", "dhcp"},
    };
    for (const auto& [pszJson, pszWord] : cases) {
        Snapshot snap;
        QString strError;
        EXPECT_FALSE(ParseSnapshot(pszJson, snap, strError)) << pszJson;
        EXPECT_TRUE(strError.contains(QLatin1String(pszWord))) << pszJson << " -> " << strError.toStdString();
    }
}
