// The frame trace: one line per frame, stray bytes kept, nothing written
// unless it was opened.
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "link/FrameTrace.h"

namespace {

class FrameTraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        strPath = dir.filePath("trace.log");
    }
    void Open() {
        QString strError;
        ASSERT_TRUE(trace.Open(strPath, strError)) << strError.toStdString();
    }
    void Bytes(const QString& strLink, const QByteArray& bytes) {
        for (char c : bytes) trace.ReceivedByte(strLink, static_cast<unsigned char>(c));
    }
    // The lines written so far, without their time stamps.
    QStringList Lines() {
        QFile f(strPath);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList out;
        static const QRegularExpression re(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d) (.*)$)");
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.isEmpty()) continue;
            const auto m = re.match(QString::fromUtf8(line));
            out << (m.hasMatch() ? m.captured(2) : QStringLiteral("BAD TIME: ") + QString::fromUtf8(line));
        }
        return out;
    }

    QTemporaryDir dir;
    QString strPath;
    CFrameTrace trace;
};

}  // namespace

TEST_F(FrameTraceTest, WritesNothingUnlessOpened) {
    trace.Sent("COM1:/dev/ttyUSB0", "@R 04 #", 7);
    Bytes("COM1:/dev/ttyUSB0", "@04 00 01 02 03#");
    trace.Close();
    EXPECT_FALSE(QFile::exists(strPath));
}

TEST_F(FrameTraceTest, OneLinePerFrameBothDirectionsWithTheLink) {
    Open();
    trace.Sent("COM3:/dev/pts/4", "@W 01 02#", 9);
    Bytes("COM3:/dev/pts/4", "@09 01#@04 00 01 02 03#");
    trace.Sent("127.0.0.2:5000", "@R 04 #", 7);
    trace.ReceivedDatagram("127.0.0.2:5000", "@00 01#@01 02#", 14);
    EXPECT_EQ(Lines(), QStringList({"TX COM3:/dev/pts/4 @W 01 02#", "RX COM3:/dev/pts/4 @09 01#",
                                    "RX COM3:/dev/pts/4 @04 00 01 02 03#", "TX 127.0.0.2:5000 @R 04 #",
                                    "RX 127.0.0.2:5000 @00 01#", "RX 127.0.0.2:5000 @01 02#"}));
}

TEST_F(FrameTraceTest, BytesOutsideFramesAndCutFramesAreTracedEscaped) {
    Open();
    // Line noise before a frame, CR LF after it, a frame cut off by a new '@'.
    Bytes("L", QByteArray("\xff\x00z", 3));
    Bytes("L", "@09 01#\r\n@04 00@02 03#");
    Bytes("L", "\\junk");
    EXPECT_EQ(Lines(), QStringList({"RX-NOISE L \\xff\\x00z", "RX L @09 01#", "RX-NOISE L \\r\\n",
                                    "RX-PARTIAL L @04 00", "RX L @02 03#"}));
    // Held-back bytes are written by the next request on that link, or at the end.
    trace.Sent("L", "@R 04 #", 7);
    Bytes("L", "@04 00");
    trace.Close();
    EXPECT_EQ(Lines().mid(5), QStringList({"RX-NOISE L \\\\junk", "TX L @R 04 #", "RX-PARTIAL L @04 00"}));
}

TEST_F(FrameTraceTest, ADatagramLeavesNothingBehindAndLinksDoNotMix) {
    Open();
    trace.ReceivedDatagram("10.0.0.7:5000", "@04 00 01", 9);
    Bytes("COM1:/dev/ttyUSB0", "@04 0");
    trace.ReceivedDatagram("10.0.0.8:5000", "xx", 2);
    Bytes("COM1:/dev/ttyUSB0", "0 01 02 03#");
    EXPECT_EQ(Lines(), QStringList({"RX-PARTIAL 10.0.0.7:5000 @04 00 01", "RX-NOISE 10.0.0.8:5000 xx",
                                    "RX COM1:/dev/ttyUSB0 @04 00 01 02 03#"}));
}

TEST_F(FrameTraceTest, EndlessNoiseIsCutIntoBoundedLines) {
    Open();
    Bytes("L", QByteArray(1000, 'z'));
    trace.Close();
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 4);
    for (const QString& s : lines) EXPECT_LE(s.size(), 300);
    EXPECT_EQ(lines.join("").count('z'), 1000);
}

TEST_F(FrameTraceTest, AppendsToAnExistingFileAndSaysWhyItCannotOpen) {
    {
        QFile f(strPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier\n");
    }
    Open();
    trace.Sent("L", "@R10#", 5);
    trace.Close();
    QFile f(strPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("earlier\n"));

    CFrameTrace other;
    QString strError;
    EXPECT_FALSE(other.Open(dir.filePath("no/such/dir/trace.log"), strError));
    EXPECT_FALSE(strError.isEmpty());
    EXPECT_FALSE(other.IsOn());
}
