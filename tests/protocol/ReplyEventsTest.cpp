// What each reply frame is reported as: the register and the decoded values,
// one table row per kind of reply.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/DeviceState.h"
#include "link/ReplyAssembler.h"

namespace {

using namespace corvane::link;

class EventRecorder : public IReplySink {
public:
    std::vector<ReplyEvent> events;
    void OnReply(const ReplyEvent& event) override { events.push_back(event); }
};

// The values of an event as text, so that one table can hold every kind.
struct Describe {
    std::string operator()(const OutputSourceReply& r) const {
        return "output " + std::to_string(r.output) + " source " + std::to_string(r.source);
    }
    std::string operator()(const AllOutputsReply& r) const { return "sources " + List(r.sources); }
    std::string operator()(const EdidReply& r) const {
        return "input " + std::to_string(r.input) + " " + Edid(r.setting);
    }
    std::string operator()(const AckReply& r) const {
        return "ack " + std::to_string(r.data) + (r.Acknowledged() ? " yes" : " no");
    }
    std::string operator()(const AllConfigReply& r) const {
        std::string s = "sources " + List(r.sources) + " edid";
        for (const EdidSetting& e : r.edid) s += " " + Edid(e);
        return s + " name " + Name(r.name);
    }
    std::string operator()(const DebugModeReply& r) const { return "debug " + std::to_string(r.mode); }
    std::string operator()(const DeviceNameReply& r) const { return "name " + Name(r.name); }
    std::string operator()(const NetParamsReply& r) const {
        return "ip " + std::to_string(r.params.abIp[0]) + "." + std::to_string(r.params.abIp[3]) + " dhcp " +
               std::to_string(r.params.bDhcp);
    }
    std::string operator()(const ChangeCounterReply& r) const {
        return "counter " + std::to_string(r.oldValue) + "->" + std::to_string(r.newValue) +
               (r.Changed() ? " changed" : " same");
    }
    std::string operator()(const OtherReply&) const { return "other"; }

    static std::string List(const Routing& a) {
        std::string s;
        for (int v : a) s += std::to_string(v);
        return s;
    }
    static std::string Edid(const EdidSetting& e) { return std::to_string(e.nMode) + "/" + std::to_string(e.nFlags); }
    static std::string Name(const DeviceName& name) {
        std::string s;
        for (BYTE b : name) s += b ? static_cast<char>(b) : '.';
        return s;
    }
};

struct Row {
    const char* pszFrame;
    int nRegister;
    const char* pszValues;
};

const Row kRows[] = {
    {"@02 07#", 0x02, "output 2 source 7"},
    {"@04 03 02 01 00#", 0x04, "sources 3210"},
    {"@04#", 0x04, "sources 0000"},  // missing bytes read as zero
    {"@07 02 a5#", 0x07, "input 2 2/165"},
    {"@09 01#", 0x09, "ack 1 yes"},
    {"@09 00#", 0x09, "ack 0 no"},
    {"@0e 01 02 03 00 04 05 03 06 07 02 08 09 41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50#", 0x0E,
     "sources 1032 edid 2/3 4/5 6/7 8/9 name ABCDEFGHIJKLMNOP"},
    {"@10 01#", 0x10, "debug 1"},
    {"@20 48 69#", 0x20, "name Hi.............."},
    {"@40 00 1a 2b 3c 4d 5e c0 a8 01 0a ff ff ff 00 c0 a8 01 01 01#", 0x40, "ip 192.10 dhcp 1"},
    {"@52 01 02#", 0x52, "counter 0->258 changed"},
    {"@5a#", 0x5A, "other"},
};

TEST(ReplyEvents, EachFrameIsOneEventWithItsRegisterAndValues) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.pszFrame);
        ResetDeviceState();
        RxReset();
        EventRecorder sink;
        const std::string s = row.pszFrame;
        RxFeedBytes(s.data(), s.size(), sink);
        ASSERT_EQ(sink.events.size(), 1u);
        EXPECT_EQ(sink.events[0].reg, row.nRegister);
        EXPECT_EQ(std::visit(Describe{}, sink.events[0].body), row.pszValues);
    }
}

// An answered poll is an event whether or not the counter moved, and the
// event knows the value it moved from.
TEST(ReplyEvents, ChangeCounterIsReportedChangedOrNot) {
    ResetDeviceState();
    RxReset();
    EventRecorder sink;
    const std::string s = "@52 00 05#@52 00 05#@52 00 06#";
    RxFeedBytes(s.data(), s.size(), sink);
    ASSERT_EQ(sink.events.size(), 3u);
    std::vector<std::string> got;
    for (const ReplyEvent& ev : sink.events) got.push_back(std::visit(Describe{}, ev.body));
    EXPECT_EQ(got, (std::vector<std::string>{"counter 0->5 changed", "counter 5->5 same", "counter 5->6 changed"}));
    EXPECT_EQ(g_wChangeCounter, 6);
}

// The device state holds what the events carry by the time they are heard.
TEST(ReplyEvents, DeviceStateIsWrittenBeforeTheEventIsHeard) {
    ResetDeviceState();
    RxReset();
    class Checker : public IReplySink {
    public:
        int nChecked = 0;
        void OnReply(const ReplyEvent& ev) override {
            const auto& r = std::get<AllConfigReply>(ev.body);
            for (int n = 0; n < OUTPUT_COUNT; ++n) EXPECT_EQ(g_nOutputSource[n], r.sources[n]);
            for (int n = 0; n < INPUT_COUNT; ++n) EXPECT_TRUE(SameEdid(g_EdidSetting[n], r.edid[n]));
            for (int i = 0; i < DEVICE_NAME_LEN; ++i) EXPECT_EQ(g_DeviceName[i], r.name[i]);
            for (int v : g_RxFrame) EXPECT_EQ(v, 0);  // the frame is cleared first
            ++nChecked;
        }
    } checker;
    const std::string s = "@0e 01 02 03 00 04 05 03 06 07 02 08 09 41 42#";
    RxFeedBytes(s.data(), s.size(), checker);
    EXPECT_EQ(checker.nChecked, 1);
}

}  // namespace
