#pragma once
// A switcher link played by the test: records the frames the hub sends and
// lets the test answer them, lose the link or refuse to open it.
#include <QStringList>
#include <string>
#include <vector>

#include "gateway/hub/SwitcherLink.h"

namespace corvane::gateway {

class FakeLink : public SwitcherLink {
public:
    explicit FakeLink(bool network = false) : m_bNetwork(network) {}

    bool Open(QString& error) override {
        ++opens;
        if (!openError.isEmpty()) {
            error = openError;
            return false;
        }
        m_bOpen = true;
        return true;
    }
    void Close() override { m_bOpen = false; }
    bool IsOpen() const override { return m_bOpen; }
    void Send(const std::string& frame) override { sent.push_back(frame); }
    bool IsNetwork() const override { return m_bNetwork; }
    QString Name() const override { return QStringLiteral("fake"); }

    // Answers as the switcher would; picture holds its values.
    void Answer(LinkEvent::Kind kind, int n = 0) {
        LinkEvent ev = picture;
        ev.kind = kind;
        ev.n = n;
        if (onEvent) onEvent(ev);
    }
    void Lose(const QString& reason) {
        if (onLost) onLost(reason);
    }
    std::string Last() const { return sent.empty() ? std::string() : sent.back(); }

    LinkEvent picture;
    std::vector<std::string> sent;
    int opens = 0;
    QString openError;

private:
    bool m_bNetwork;
    bool m_bOpen = false;
};

}  // namespace corvane::gateway
