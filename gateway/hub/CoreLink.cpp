// The switcher link over the link core's connection: the serial or UDP link,
// the window's reply assembler and decoder. Each decoded reply event becomes
// the LinkEvents the hub knows, carrying the switcher's picture.
#include <QString>
#include <cstring>
#include <variant>
#include <vector>

#include "link/Connection.h"
#include "link/DeviceNameText.h"
#include "link/ReplyEvents.h"
#include "gateway/hub/SwitcherLink.h"

namespace corvane::gateway {
namespace {

LinkEvent Snapshot(LinkEvent::Kind kind, int n) {
    LinkEvent ev;
    ev.kind = kind;
    ev.n = n;
    for (int i = 0; i < OUTPUT_COUNT; ++i) ev.routing[i] = g_nOutputSource[i];
    for (int i = 0; i < INPUT_COUNT; ++i)
        ev.edid[i] = {g_EdidSetting[i].nMode, static_cast<int>(g_EdidSetting[i].nFlags & 0xFF)};
    ev.name = DeviceNameToText(g_DeviceName);
    while (ev.name.endsWith(QLatin1Char(' '))) ev.name.chop(1);
    std::memcpy(ev.net.mac.data(), g_NetParams.abMac, 6);
    std::memcpy(ev.net.ip.data(), g_NetParams.abIp, 4);
    std::memcpy(ev.net.mask.data(), g_NetParams.abMask, 4);
    std::memcpy(ev.net.gateway.data(), g_NetParams.abGateway, 4);
    ev.net.dhcp = g_NetParams.bDhcp != 0;
    ev.counter = g_wChangeCounter;
    return ev;
}

// The LinkEvents of one reply, in order. A whole configuration also tells
// the name; every change-counter reply is reported, changed or not, because
// an answered poll is what tells the hub the switcher is there.
struct KindAndIndex {
    LinkEvent::Kind kind;
    int n = 0;
};
using Kinds = std::vector<KindAndIndex>;

Kinds KindsOf(const link::OutputSourceReply& r) { return {{LinkEvent::Kind::OutputSource, r.output}}; }
Kinds KindsOf(const link::AllOutputsReply&) { return {{LinkEvent::Kind::AllOutputs}}; }
Kinds KindsOf(const link::EdidReply& r) { return {{LinkEvent::Kind::Edid, r.input}}; }
Kinds KindsOf(const link::AckReply& r) { return r.Acknowledged() ? Kinds{{LinkEvent::Kind::Ack}} : Kinds{}; }
Kinds KindsOf(const link::AllConfigReply&) { return {{LinkEvent::Kind::Name}, {LinkEvent::Kind::AllConfig}}; }
Kinds KindsOf(const link::DebugModeReply& r) { return {{LinkEvent::Kind::Debug, r.mode}}; }
Kinds KindsOf(const link::DeviceNameReply&) { return {{LinkEvent::Kind::Name}}; }
Kinds KindsOf(const link::NetParamsReply&) { return {{LinkEvent::Kind::NetParams}}; }
Kinds KindsOf(const link::ChangeCounterReply&) { return {{LinkEvent::Kind::Counter}}; }
Kinds KindsOf(const link::OtherReply&) { return {}; }

class CoreLink : public SwitcherLink {
public:
    explicit CoreLink(const LinkChoice& choice) : m_choice(choice) {
        m_connection.SetLocalPortAdvice(choice.localPortAdvice);
        // The hub sends every frame itself; the connection sends none of its own.
        m_connection.SetReplyHandler([this](const link::ReplyEvent& ev) { OnReply(ev); });
        // Errors after opening (device lost, write failed) end this link; the
        // connection tells of them once the driver's call has returned.
        m_connection.SetLostHandler([this](const QString& reason) {
            if (onLost) onLost(reason);
        });
    }
    bool Open(QString& error) override {
        const bool bOpened = m_choice.port.isEmpty() ? m_connection.OpenUdp(m_choice.host, m_choice.localPort, error)
                                                     : m_connection.OpenSerial(m_choice.port, error);
        if (bOpened) m_strName = m_connection.Name();
        return bOpened;
    }
    void Close() override { m_connection.Close(); }
    bool IsOpen() const override { return m_connection.IsOpen(); }
    void Send(const std::string& frame) override { m_connection.Send(frame); }
    bool IsNetwork() const override { return m_choice.port.isEmpty(); }
    QString Name() const override {
        return m_strName.isEmpty() ? (m_choice.port.isEmpty() ? m_choice.host : m_choice.port) : m_strName;
    }

private:
    // Every event of one reply carries its number; the Frame event comes
    // last, with the reply's text for those that pass it on.
    void OnReply(const link::ReplyEvent& reply) {
        if (!onEvent) return;
        const uint32_t nSeq = ++m_nFrameSeq;
        const Kinds kinds = std::visit([](const auto& body) { return KindsOf(body); }, reply.body);
        for (const KindAndIndex& k : kinds) {
            LinkEvent ev = Snapshot(k.kind, k.n);
            ev.frameSeq = nSeq;
            onEvent(ev);
        }
        LinkEvent frame = Snapshot(LinkEvent::Kind::Frame, 0);
        frame.frameSeq = nSeq;
        frame.frame = FrameText(reply);
        onEvent(frame);
    }

    // "@09 01#": the reply's bytes as hexadecimal pairs, as the switcher writes them.
    static std::string FrameText(const link::ReplyEvent& reply) {
        static const char HEX[] = "0123456789ABCDEF";
        std::string text = "@";
        for (int i = 0; i < reply.nBytes; ++i) {
            if (i > 0) text += ' ';
            text += HEX[reply.abBytes[i] >> 4];
            text += HEX[reply.abBytes[i] & 0x0F];
        }
        return text + '#';
    }

    LinkChoice m_choice;
    link::Connection m_connection;
    QString m_strName;
    uint32_t m_nFrameSeq = 0;
};

}  // namespace

std::unique_ptr<SwitcherLink> MakeCoreLink(const LinkChoice& choice) { return std::make_unique<CoreLink>(choice); }

}  // namespace corvane::gateway
