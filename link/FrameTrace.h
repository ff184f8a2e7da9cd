#pragma once
// Frame trace for support: one line per frame, both directions, both links,
// appended to a file the operator names (--trace FILE). Without Open nothing
// is written and every call returns at once.
//
//   2026-12-08T21:44:49.855+01:00 TX COM3:/dev/ttyUSB2 @W 01 02#
//   2026-12-08T21:44:49.861+01:00 RX COM3:/dev/ttyUSB2 @09 01#
//   2026-12-08T21:44:50.002+01:00 RX-NOISE COM3:/dev/ttyUSB2 \r\n
//
// Fields: time (ISO 8601, milliseconds, UTC offset) of the line's first byte,
// direction, link, then the bytes. Received bytes are cut into frames the
// way the reply assembler sees them ('@' opens, '#' closes); bytes outside a
// frame are RX-NOISE, a frame cut off by a new '@' (or grown past any reply
// the switcher sends) is RX-PARTIAL. Non-printing bytes and '\' are escaped
// (\r \n \t \\ \xNN). Used on the GUI thread only.
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QString>
#include <cstddef>

class CFrameTrace {
public:
    ~CFrameTrace();

    // Appends to strPath from now on; false with the reason when it cannot.
    bool Open(const QString& strPath, QString& strError);
    // Writes out bytes still held back, then stops tracing.
    void Close();
    bool IsOn() const { return m_file.isOpen(); }
    // Why a line could not be written (a full disk), from the first failure
    // since Open; empty while every line reached the file.
    QString WriteError() const { return m_strWriteError; }

    // One frame handed to a link.
    void Sent(const QString& strLink, const char* pData, std::size_t nLen);
    // One byte read from a serial link.
    void ReceivedByte(const QString& strLink, unsigned char c);
    // One datagram: its frames and stray bytes, nothing held back after it.
    void ReceivedDatagram(const QString& strLink, const char* pData, std::size_t nLen);

    // The bytes as they appear in a trace line.
    static QByteArray Escape(const QByteArray& bytes);

private:
    struct RxLine {
        QByteArray bytes;
        QDateTime tFirst;
        bool bInFrame = false;
    };

    void Feed(const QString& strLink, RxLine& rx, unsigned char c);
    void FlushPending(const QString& strLink, RxLine& rx);
    void WriteLine(const QDateTime& t, const char* pszDirection, const QString& strLink, const QByteArray& bytes);

    QFile m_file;
    QHash<QString, RxLine> m_rx;
    QString m_strWriteError;
};

// The process's one trace.
CFrameTrace& FrameTrace();
