#pragma once
// The switcher's own request frames as relay clients send them, checked
// before anything reaches the switcher, and the reply frames the relay
// writes itself. No I/O here.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::gateway::relay {

// Clients reach the switcher on this port, so the relay listens on it too.
constexpr quint16 RELAY_PORT = 5000;
// The longest request the control tools send is 62 characters; room is
// left for hand-typed spaces. A longer frame is refused, not cut short.
constexpr qsizetype MAX_REQUEST_CHARS = 128;
// A datagram longer than this is dropped unread.
constexpr qsizetype MAX_DATAGRAM_BYTES = 256;

struct Request {
    bool write = false;
    int reg = 0;        // the register: the first byte after the access letter
    std::string frame;  // '@' to '#' as the client wrote it
};

// One request per datagram: '@', spaces, 'R' or 'W' (either case), pairs of
// hexadecimal digits (spaces anywhere between them), '#'. White space
// (CR, LF) before and after the frame is allowed; anything else is not.
// nullopt with a one-line reason.
std::optional<Request> ParseRequest(const QByteArray& datagram, QString& reason);

// A reply as the switcher writes one: '@', the register and the data as
// lower-case hex pairs separated by spaces, '#'.
std::string FormatReply(int reg, const std::vector<uint8_t>& data);

}  // namespace corvane::gateway::relay
