// The window's answer to each reply: which page shows what, which wait ends,
// which result line is logged and which read follows, in this order.
#include <type_traits>

#include "pages/IReplyTarget.h"

namespace {

using namespace corvane::link;

void ShowAllOutputs(IReplyTarget& t) {
    for (int n = 0; n < OUTPUT_COUNT; ++n) t.ShowOutputSource(n);
}

void Forward(const OutputSourceReply& r, IReplyTarget& t) {
    t.ShowOutputSource(r.output);
    t.PortSetEndWait();
}

void Forward(const AllOutputsReply&, IReplyTarget& t) {
    ShowAllOutputs(t);
    t.LogToPages(LOG_ALL_PORTS_LOADED, LOG_PORT_SET);
    t.PortSetEndWait();
}

void Forward(const EdidReply& r, IReplyTarget& t) {
    t.RefreshEdidInput(r.input);
    t.EdidEndWait();
    t.LogToPages(LOG_EDID_LOADED, LOG_EDID_CONFIG);
}

// Over the serial link both waits end at once; otherwise each page ends its
// own wait when its timer 2 fires, and an acknowledgement that no command
// waits for is dropped: a stream of them must not hold the waits open by
// restarting the timers.
void Forward(const AckReply& r, IReplyTarget& t) {
    if (!r.Acknowledged()) return;
    if (g_bComConnected == 1) {
        t.PortSetEndWait();
        t.EdidEndWait();
    } else {
        if (!t.AckAwaited()) return;
        t.StartAckTimers();
    }
    t.LogToPages(LOG_SET_DONE, LOG_BOTH_PAGES);
}

void Forward(const AllConfigReply&, IReplyTarget& t) {
    ShowAllOutputs(t);
    t.PortSetEndWait();
    for (int n = 0; n < INPUT_COUNT; ++n) t.RefreshEdidInput(n);
    t.EdidEndWait();
    t.ShowDeviceName();
    t.LogToPages(LOG_ALL_CONFIG_LOADED, LOG_BOTH_PAGES);
    t.GetIpConfig();
}

void Forward(const DebugModeReply& r, IReplyTarget& t) { t.SetDebugMode(r.mode); }
void Forward(const DeviceNameReply&, IReplyTarget& t) { t.ShowDeviceName(); }
void Forward(const NetParamsReply&, IReplyTarget& t) { t.ShowNetParams(); }

// The switcher's configuration changed: read it all again.
void Forward(const ChangeCounterReply& r, IReplyTarget& t) {
    if (r.Changed()) t.ReadAllConfig();
}

void Forward(const OtherReply&, IReplyTarget&) {}

}  // namespace

void ForwardReply(const ReplyEvent& event, IReplyTarget& target) {
    std::visit([&target](const auto& body) { Forward(body, target); }, event.body);
}
