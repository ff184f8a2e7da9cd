#include "link/FrameTrace.h"

namespace {

// Longest run of bytes on one line: no reply the tool reads comes near it,
// so a longer one is noise on the line and must not grow without bound.
constexpr int MAX_LINE_BYTES = 256;

QDateTime Now() {
    const QDateTime t = QDateTime::currentDateTime();
    // With an explicit offset, ISO text carries it (local time alone does not).
    return t.toOffsetFromUtc(t.offsetFromUtc());
}

}  // namespace

CFrameTrace& FrameTrace() {
    static CFrameTrace trace;
    return trace;
}

CFrameTrace::~CFrameTrace() { Close(); }

bool CFrameTrace::Open(const QString& strPath, QString& strError) {
    Close();
    m_strWriteError.clear();
    m_file.setFileName(strPath);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        strError = m_file.errorString();
        return false;
    }
    return true;
}

void CFrameTrace::Close() {
    if (!IsOn()) return;
    for (auto it = m_rx.begin(); it != m_rx.end(); ++it) FlushPending(it.key(), it.value());
    m_rx.clear();
    m_file.close();
}

QByteArray CFrameTrace::Escape(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c >= 0x20 && c < 0x7F)
                out += ch;
            else
                out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
        }
    }
    return out;
}

void CFrameTrace::Sent(const QString& strLink, const char* pData, std::size_t nLen) {
    if (!IsOn()) return;
    // A new request: whatever stray bytes came before it belong to the
    // exchange before, so they are written first.
    if (auto it = m_rx.find(strLink); it != m_rx.end() && !it->bInFrame) FlushPending(strLink, *it);
    WriteLine(Now(), "TX", strLink, QByteArray(pData, static_cast<qsizetype>(nLen)));
}

void CFrameTrace::ReceivedByte(const QString& strLink, unsigned char c) {
    if (!IsOn()) return;
    Feed(strLink, m_rx[strLink], c);
}

void CFrameTrace::ReceivedDatagram(const QString& strLink, const char* pData, std::size_t nLen) {
    if (!IsOn()) return;
    RxLine& rx = m_rx[strLink];
    for (std::size_t i = 0; i < nLen; ++i) Feed(strLink, rx, static_cast<unsigned char>(pData[i]));
    FlushPending(strLink, rx);
}

// '@' ends whatever was held and opens a frame; '#' closes an open frame.
// Outside a frame a line feed ends a noise line, so CR LF after replies
// shows where it came.
void CFrameTrace::Feed(const QString& strLink, RxLine& rx, unsigned char c) {
    if (c == '@') FlushPending(strLink, rx);
    if (rx.bytes.isEmpty()) rx.tFirst = Now();
    rx.bytes += static_cast<char>(c);
    if (c == '@') {
        rx.bInFrame = true;
    } else if (c == '#' && rx.bInFrame) {
        WriteLine(rx.tFirst, "RX", strLink, rx.bytes);
        rx.bytes.clear();
        rx.bInFrame = false;
    } else if ((c == '\n' && !rx.bInFrame) || rx.bytes.size() >= MAX_LINE_BYTES) {
        FlushPending(strLink, rx);
    }
}

void CFrameTrace::FlushPending(const QString& strLink, RxLine& rx) {
    if (!rx.bytes.isEmpty()) WriteLine(rx.tFirst, rx.bInFrame ? "RX-PARTIAL" : "RX-NOISE", strLink, rx.bytes);
    rx.bytes.clear();
    rx.bInFrame = false;
}

void CFrameTrace::WriteLine(const QDateTime& t, const char* pszDirection, const QString& strLink,
                            const QByteArray& bytes) {
    QByteArray line = t.toString(Qt::ISODateWithMs).toUtf8();
    line += ' ';
    line += pszDirection;
    line += ' ';
    line += strLink.toUtf8();
    line += ' ';
    line += Escape(bytes);
    line += '\n';
    // Each line reaches the file at once: a trace is read after something
    // went wrong, possibly after a crash.
    const bool bWritten = m_file.write(line) == line.size() && m_file.flush();
    if (!bWritten && m_strWriteError.isEmpty()) m_strWriteError = m_file.errorString();
}
