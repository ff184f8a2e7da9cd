#pragma once
// A scripted client of the gateway's router protocol over a real TCP
// connection: it sends blocks as text and reads what comes back block by
// block, in order, with a cursor that moves past what a test has seen.
// Used by the router-protocol tests and the fan-out benchmark.
#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QTcpSocket>

#include "tests/gateway/GatewayClient.h"

class RouterPeer {
public:
    explicit RouterPeer(quint16 port) { m_socket.connectToHost(GatewayProcess::Address(), port); }

    // The port from the gateway's log line.
    static quint16 PortOf(GatewayProcess& gw) {
        static const QRegularExpression line(QStringLiteral("router protocol \\(ports from 0\\) on [0-9.]+:(\\d+)"));
        return static_cast<quint16>(line.match(QString::fromUtf8(gw.Log())).captured(1).toInt());
    }

    void Send(const QByteArray& text) {
        m_socket.write(text);
        m_socket.flush();
    }
    // Every block received (without its blank line), in order.
    QList<QByteArray> Blocks() {
        m_in += m_socket.readAll();
        QList<QByteArray> blocks;
        qsizetype nStart = 0;
        for (qsizetype nEnd; (nEnd = m_in.indexOf("\n\n", nStart)) >= 0; nStart = nEnd + 2)
            blocks.append(m_in.mid(nStart, nEnd - nStart));
        return blocks;
    }
    // Waits for a block exactly equal to block after the cursor and moves
    // the cursor past it.
    bool Expect(const QByteArray& block, int nMaxMs = 20000) {
        return WaitUntil(
            [&] {
                const QList<QByteArray> blocks = Blocks();
                for (qsizetype n = m_nSeen; n < blocks.size(); ++n) {
                    if (blocks[n] == block) {
                        m_nSeen = n + 1;
                        return true;
                    }
                }
                return false;
            },
            nMaxMs);
    }
    // Waits for a block that starts with prefix after the cursor and moves
    // the cursor past it.
    bool ExpectStart(const QByteArray& prefix, int nMaxMs = 20000) {
        return WaitUntil(
            [&] {
                const QList<QByteArray> blocks = Blocks();
                for (qsizetype n = m_nSeen; n < blocks.size(); ++n) {
                    if (blocks[n].startsWith(prefix)) {
                        m_nSeen = n + 1;
                        return true;
                    }
                }
                return false;
            },
            nMaxMs);
    }
    // The blocks after the cursor that have come so far, without waiting;
    // the cursor moves past them. For a caller that reads on readyRead.
    QList<QByteArray> Take() {
        const QList<QByteArray> blocks = Blocks();
        const QList<QByteArray> fresh = blocks.mid(m_nSeen);
        m_nSeen = blocks.size();
        return fresh;
    }
    // The next block after the cursor, waited for; empty when none came.
    QByteArray Next(int nMaxMs = 20000) {
        if (!WaitUntil([&] { return Blocks().size() > m_nSeen; }, nMaxMs)) return {};
        return Blocks()[m_nSeen++];
    }
    // Waits for the prelude's end; the blocks before it from the start.
    QList<QByteArray> Prelude() {
        if (!Expect("END PRELUDE:")) return {};
        return Blocks().mid(0, m_nSeen);
    }
    bool Closed() { return m_socket.state() == QAbstractSocket::UnconnectedState; }
    QTcpSocket& Socket() { return m_socket; }

private:
    QTcpSocket m_socket;
    QByteArray m_in;
    qsizetype m_nSeen = 0;
};
