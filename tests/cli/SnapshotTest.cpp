// Snapshots: what load --json prints is what apply reads back, and apply
// sends exactly the frames for what differs.
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <gtest/gtest.h>

#include "cli/CliFormat.h"
#include "link/DeviceNameText.h"
#include "cli/Snapshot.h"

using namespace corvane::cli;

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

// Numbers are checked before they are converted (1e300 as an int is
// undefined), modes only as far as the switcher takes them, and a key given
// twice is refused rather than one of the two values taken silently.
TEST_F(SnapshotTest, OutOfRangeNumbersUnknownModesAndRepeatedKeysAreRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"routing": [1e300, 1, 1, 1]})", "routing"},
        {R"({"routing": [-1e300, 1, 1, 1]})", "routing"},
        {R"({"routing": [2147483648, 1, 1, 1]})", "routing"},
        {R"({"edid": [{"input": 1e19, "mode": 1}]})", "input"},
        {R"({"edid": [{"input": 1, "mode": 8}]})", "\"mode\" must be 0..7"},
        {R"({"edid": [{"input": 1, "mode": 255}]})", "\"mode\" must be 0..7"},
        {R"({"edid": [{"input": 1, "mode": 1, "flags": 1e300}]})", "flags"},
        {R"({"routing": [1, 2, 3, 4], "routing": [4, 3, 2, 1]})", "\"routing\" appears twice"},
        {R"({"routing": [1, 2, 3, 4], "\u0072outing": [4, 3, 2, 1]})", "\"routing\" appears twice"},
        {R"({"edid": [{"input": 1, "mode": 1, "mode": 2}]})", "\"mode\" appears twice"},
        {R"({"network": {"ip": "1.2.3.4", "ip": "1.2.3.5", "mask": "255.0.0.0", "gateway": "1.2.3.1", "dhcp": false}})",
         "\"ip\" appears twice"},
        {R"({"edid": [{"input": 2, "mode": 1}, {"input": 2, "mode": 0}]})", "input 2 is listed twice"},
    };
    for (const auto& [pszJson, pszWord] : cases) {
        Snapshot snap;
        QString strError;
        EXPECT_FALSE(ParseSnapshot(pszJson, snap, strError)) << pszJson;
        EXPECT_TRUE(strError.contains(QLatin1String(pszWord))) << pszJson << " -> " << strError.toStdString();
    }
    // Equal keys in different objects, and a key text that is also a value, are fine.
    const Snapshot snap = Parsed(R"({"edid": [{"input": 1, "mode": 7}, {"input": 2, "mode": 0}], "name": "edid"})");
    ASSERT_TRUE(snap.edid[0].has_value());
    EXPECT_EQ(snap.edid[0]->nMode, 7);
    EXPECT_EQ(snap.name, QStringLiteral("edid"));
}

// One name rule for the name command and for snapshots: what the switcher
// gives back unchanged and a terminal shows as it is.
TEST_F(SnapshotTest, TheNameRuleIsTheNameCommandsRule) {
    const QString refused[] = {QString(QChar(0)) + "B",
                               "A\nB",
                               "A\rB",
                               "\x1b[2J",
                               QString(QChar(0x85)),
                               QString(QChar(0x7F)),
                               QString(QChar(0x9B)) + "31m",
                               QStringLiteral("ABCDEFGHIJKLMNOPQ"),
                               QString::fromUtf8("会议室")};
    for (const QString& strName : refused) {
        Snapshot snap;
        QString strError;
        const QJsonObject obj{{QStringLiteral("name"), strName}};
        EXPECT_FALSE(ParseSnapshot(QJsonDocument(obj).toJson(), snap, strError)) << strName.toStdString();
        EXPECT_FALSE(DeviceNameProblem(strName).isEmpty()) << strName.toStdString();
        CliOptions o;
        EXPECT_FALSE(CliParse({"--port", "COM1", "name", strName}, o, strError)) << strName.toStdString();
    }
    for (const QString& strName : {QStringLiteral("Hall B"), QString::fromLatin1("Sal\xe9 \xa0~"), QString()}) {
        EXPECT_EQ(DeviceNameProblem(strName), QString()) << strName.toStdString();
        EXPECT_EQ(Parsed(QJsonDocument(QJsonObject{{QStringLiteral("name"), strName}}).toJson()).name, strName);
    }
}

TEST(DeviceNameShown, ControlCharactersAreEscapedTheRestKept) {
    EXPECT_EQ(DeviceNameShown(QString::fromLatin1("\x1b[2J\x9b"
                                                  "31mRED\nX\x7f")),
              "\\x1B[2J\\x9B31mRED\\x0AX\\x7F");
    EXPECT_EQ(DeviceNameShown(QString::fromLatin1("Sal\xe9 A\\B")), QString::fromLatin1("Sal\xe9 A\\B"));
}
