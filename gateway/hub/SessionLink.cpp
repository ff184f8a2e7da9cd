// The switcher link over corvane-cli's session: the window's serial driver
// or UDP socket, the window's reply assembler and decoder. The session's
// reply events are turned into LinkEvents carrying the decoded values. This
// file is the only one that knows the session; a link core that reports
// typed events itself replaces it here.
#include <QObject>
#include <QTimer>
#include <cstring>

#include "CliSession.h"
#include "CommandFrames.h"
#include "DeviceNameText.h"
#include "ReplyAssembler.h"
#include "SerialPort.h"
#include "Sock_UDP.h"
#include "SwitcherLink.h"

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

// The session with two changes: the hub sends every frame itself (no
// automatic network read after the whole configuration, no reload on a
// changed counter), and every change-counter reply is reported, changed or
// not, because an answered poll is what tells the hub the switcher is there.
class TappedSession : public CCliSession, public INetRxOwner {
public:
    explicit TappedSession(std::function<void(LinkEvent::Kind, int)> fnEmit) : m_emit(std::move(fnEmit)) {
        SetListener([this](const ReplyEvent& ev) { OnSessionEvent(ev); });
    }

    LRESULT OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM /*lParam*/) override {
        if (nMessage == WM_PORT_RXCHAR) Feed(static_cast<BYTE>(wParam & 0xFF));
        return 0;
    }
    // A datagram of the chosen switcher, fed as the window feeds one.
    void OnNetRxData(WPARAM wParam) override {
        if (wParam != 0) return;
        for (int i = 0; i < NET_MAX_DATAGRAM && g_NetRxBuffer[i] != 0; ++i) Feed(static_cast<BYTE>(g_NetRxBuffer[i]));
    }
    void GetIpConfig() override { m_emit(LinkEvent::Kind::AllConfig, 0); }
    void ReadAllConfig() override {}

private:
    void Feed(BYTE c) {
        const bool bCloses = c == '#' && g_nRxState == RX_IN_FRAME;
        const int nRegister = g_RxFrame[0];
        KeepText(c);
        if (bCloses) ++m_nFrameSeq;  // every event of this frame carries its number
        RxFeedChar(c, *this);
        if (bCloses && nRegister == Frames::REG_CHANGE_COUNTER) m_emit(LinkEvent::Kind::Counter, 0);
        if (bCloses) m_emit(LinkEvent::Kind::Frame, 0);
    }

    // The text of the reply being received, from its '@'. A reply longer
    // than any the switcher sends is not kept (its Frame event has none).
    void KeepText(BYTE c) {
        if (c == '@') {
            m_strFrame.clear();
            m_bFrameTooLong = false;
        }
        if (m_strFrame.size() >= MAX_KEPT_FRAME_CHARS) {
            m_bFrameTooLong = true;
            return;
        }
        m_strFrame.push_back(static_cast<char>(c));
    }

public:
    uint32_t FrameSeq() const { return m_nFrameSeq; }
    std::string FrameText() const { return m_bFrameTooLong ? std::string() : m_strFrame; }

private:
    static constexpr size_t MAX_KEPT_FRAME_CHARS = 512;
    std::string m_strFrame;
    bool m_bFrameTooLong = false;
    uint32_t m_nFrameSeq = 0;

    void OnSessionEvent(const ReplyEvent& ev) {
        switch (ev.kind) {
        case ReplyKind::OutputSource: m_emit(LinkEvent::Kind::OutputSource, ev.n); break;
        case ReplyKind::AllOutputs: m_emit(LinkEvent::Kind::AllOutputs, 0); break;
        case ReplyKind::Edid: m_emit(LinkEvent::Kind::Edid, ev.n); break;
        case ReplyKind::Ack: m_emit(LinkEvent::Kind::Ack, 0); break;
        case ReplyKind::Name: m_emit(LinkEvent::Kind::Name, 0); break;
        case ReplyKind::NetParams: m_emit(LinkEvent::Kind::NetParams, 0); break;
        case ReplyKind::Debug: m_emit(LinkEvent::Kind::Debug, ev.n); break;
        case ReplyKind::AllConfig:       // reported by GetIpConfig above
        case ReplyKind::CounterChanged:  // every counter reply is reported by Feed
            break;
        }
    }

    std::function<void(LinkEvent::Kind, int)> m_emit;
};

class SessionLink : public SwitcherLink {
public:
    explicit SessionLink(const LinkChoice& choice) : m_choice(choice) {}
    ~SessionLink() override { Close(); }

    bool Open(QString& error) override {
        Close();
        m_pSession = std::make_unique<TappedSession>([this](LinkEvent::Kind kind, int n) {
            if (!onEvent) return;
            LinkEvent ev = Snapshot(kind, n);
            ev.frameSeq = m_pSession->FrameSeq();
            if (kind == LinkEvent::Kind::Frame) ev.frame = m_pSession->FrameText();
            onEvent(ev);
        });
        const bool bSerial = !m_choice.port.isEmpty();
        const int nStatus = bSerial ? m_pSession->OpenSerial(m_choice.port, error)
                                    : m_pSession->OpenUdp(m_choice.host, m_choice.localPort, error);
        if (nStatus != EXIT_DONE) {
            m_pSession.reset();
            return false;
        }
        m_strName = m_pSession->LinkName();
        if (bSerial) {
            // Errors after opening (device lost, write failed) end this link;
            // the hub hears of it once the driver's call has returned.
            CSerialPort::SetErrorSink(
                [this](const QString&, const QString& text, const SerialErrorInfo&) { ReportLost(text.simplified()); });
        } else {
            g_SockUDP.SetRxOwner(m_pSession.get());
        }
        m_nGeneration++;
        return true;
    }

    void Close() override {
        if (!m_pSession) return;
        m_nGeneration++;
        m_pSession->Close();
        m_pSession.reset();  // also takes the serial error sink away
    }

    bool IsOpen() const override { return m_pSession != nullptr; }
    void Send(const std::string& frame) override {
        if (m_pSession) m_pSession->Send(frame);
    }
    bool IsNetwork() const override { return m_choice.port.isEmpty(); }
    QString Name() const override {
        return m_strName.isEmpty() ? (m_choice.port.isEmpty() ? m_choice.host : m_choice.port) : m_strName;
    }

private:
    void ReportLost(const QString& reason) {
        const unsigned nGeneration = m_nGeneration;
        QTimer::singleShot(0, &m_context, [this, nGeneration, reason] {
            if (nGeneration != m_nGeneration || !m_pSession) return;  // closed or reopened meanwhile
            if (onLost) onLost(reason);
        });
    }

    QObject m_context;  // calls queued to this link end with it
    LinkChoice m_choice;
    std::unique_ptr<TappedSession> m_pSession;
    QString m_strName;
    unsigned m_nGeneration = 0;
};

}  // namespace

std::unique_ptr<SwitcherLink> MakeSessionLink(const LinkChoice& choice) {
    return std::make_unique<SessionLink>(choice);
}

}  // namespace corvane::gateway
