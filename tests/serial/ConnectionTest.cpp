// The link core's connection as the gateway and corvane-cli use it: a serial
// port opened by name, found again after the device behind the name changed;
// the loss of the link told once, late enough that the owner may close the
// link; and on UDP every answer heard and decoded, with nothing sent unasked.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "link/Connection.h"
#include "link/DeviceState.h"
#include "link/Ipv4Text.h"
#include "link/NetLinkState.h"
#include "link/ReplyAssembler.h"
#include "link/SerialPort.h"
#include "link/Sock_UDP.h"
#include "tests/serial/SerialTestSupport.h"
#include "tests/support/LoopbackPeers.h"

namespace {

using corvane::link::Connection;
using Seen = std::vector<std::string>;

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        ResetNetLinkState();
        RxReset();
        connection.SetReplyHandler(
            [this](const corvane::link::ReplyEvent& ev) { seen.push_back("reply " + std::to_string(ev.reg)); });
        connection.SetHeardHandler([this] { seen.push_back("heard"); });
        connection.SetLostHandler([this](const QString& strReason) {
            losses.push_back(strReason);
            if (fnOnLost) fnOnLost();
        });
    }
    void TearDown() override {
        connection.Close();
        SetSerialDevicePath(1, "");
        ResetNetLinkState();
    }
    // Points the by-id style name at the pty's slave.
    bool PointNameAt(const CPtyPair& pty) {
        QFile::remove(strName);
        return QFile::link(QString::fromStdString(pty.SlavePath()), strName);
    }
    // The monitor thread purges the port when it starts: talk after a round trip.
    bool RoundTrip(CPtyPair& pty) {
        connection.Send("@R 04 #");
        return pty.Read(7) == "@R 04 #";
    }

    QTemporaryDir dir;
    const QString strName = dir.filePath("usb-Corvane_Matrix-if00-port0");
    Connection connection;
    Seen seen;
    std::vector<QString> losses;
    std::function<void()> fnOnLost;
};

TEST_F(ConnectionTest, ANameIsLookedUpAgainOnEveryOpen) {
    CPtyPair first, second;
    ASSERT_NE(second.SlavePath(), first.SlavePath());
    ASSERT_TRUE(PointNameAt(first));
    QString strError;
    ASSERT_TRUE(connection.OpenSerial(strName, strError)) << strError.toStdString();
    EXPECT_EQ(connection.Name(), strName);
    ASSERT_TRUE(RoundTrip(first));
    // The owner closes the link from the handler, as the gateway's hub does.
    fnOnLost = [this] { connection.Close(); };
    first.CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return !losses.empty(); }));
    EXPECT_FALSE(connection.IsOpen());

    // The adapter is back under another device, as after re-enumeration.
    ASSERT_TRUE(PointNameAt(second));
    ASSERT_TRUE(connection.OpenSerial(strName, strError)) << strError.toStdString();
    ASSERT_TRUE(RoundTrip(second));
    ASSERT_TRUE(second.Write("@09 01#"));
    ASSERT_TRUE(WaitUntil([&] { return seen.size() >= 2; }));
    // The answer is heard before what it says is decoded.
    EXPECT_EQ(seen, (Seen{"heard", "reply 9"}));
    EXPECT_EQ(losses.size(), 1u);
}

TEST_F(ConnectionTest, OnlyTheFirstErrorAfterOpeningIsTheLoss) {
    CPtyPair pty;
    ASSERT_TRUE(PointNameAt(pty));
    QString strError;
    ASSERT_TRUE(connection.OpenSerial(strName, strError)) << strError.toStdString();
    ASSERT_TRUE(RoundTrip(pty));
    FailWritesTo(pty.SlaveDevice(), true);
    connection.Send("@R 04 #");
    ASSERT_TRUE(WaitUntil([&] { return !losses.empty(); }));
    FailWritesTo(pty.SlaveDevice(), false);
    // The device gone too: a second error of the driver, which ends its thread.
    pty.CloseMaster();
    ASSERT_TRUE(WaitUntil([] { return !g_SerialPort.IsMonitorAlive(); }));
    PumpFor(200);
    ASSERT_EQ(losses.size(), 1u);
    EXPECT_TRUE(losses[0].contains(QLatin1String("WriteFile()"))) << losses[0].toStdString();
    EXPECT_FALSE(losses[0].contains(QLatin1Char('\n')));
}

TEST_F(ConnectionTest, OverUdpEveryDatagramIsHeardAndNothingIsSentUnasked) {
    LoopbackPeer switcher{LoopbackIp(3), DEVICE_UDP_PORT};
    ASSERT_TRUE(switcher.IsBound());
    QString strError;
    ASSERT_TRUE(connection.OpenUdp(QString::fromStdString(corvane::link::DottedIp(LoopbackIp(3))), 0, strError))
        << strError.toStdString();
    EXPECT_TRUE(connection.IsNetwork());
    const quint16 nLocal = g_SockUDP.GetLocalPort();
    // The whole configuration and a changed counter: the window would read
    // on after each; the connection leaves that to its owner.
    for (const QByteArray& reply :
         {QByteArray("@0e 00 01 02 02 01 02 02 01 02 03 01 02 43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#"),
          QByteArray("@52 00 01#"), QByteArray("@52 00 02#")}) {
        switcher.SendTo(reply, 0x7F000001, nLocal);
    }
    ASSERT_TRUE(WaitUntil([&] { return seen.size() >= 6; }));
    EXPECT_EQ(seen, (Seen{"heard", "reply 14", "heard", "reply 82", "heard", "reply 82"}));
    EXPECT_TRUE(switcher.Receive(nullptr, nullptr, 200).isEmpty()) << "the connection sent a frame of its own";
}

}  // namespace
