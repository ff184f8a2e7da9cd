#include "gateway/relay/RelayFrame.h"

#include "link/HexDigit.h"

namespace corvane::gateway::relay {
std::optional<Request> ParseRequest(const QByteArray& datagram, QString& reason) {
    const QByteArray text = datagram.trimmed();
    if (text.isEmpty()) return reason = QStringLiteral("empty datagram"), std::nullopt;
    if (text.size() > MAX_REQUEST_CHARS)
        return reason = QStringLiteral("%1 characters, more than the %2 of any request")
                            .arg(text.size())
                            .arg(MAX_REQUEST_CHARS),
               std::nullopt;
    if (text.front() != '@' || text.back() != '#')
        return reason = QStringLiteral("not one frame from '@' to '#'"), std::nullopt;

    const QByteArray body = text.mid(1, text.size() - 2);
    qsizetype i = 0;
    while (i < body.size() && body[i] == ' ') ++i;
    if (i >= body.size() || (body[i] != 'R' && body[i] != 'r' && body[i] != 'W' && body[i] != 'w'))
        return reason = QStringLiteral("no access letter R or W after '@'"), std::nullopt;
    Request request;
    request.write = body[i] == 'W' || body[i] == 'w';
    int nDigits = 0;
    for (++i; i < body.size(); ++i) {
        const char c = body[i];
        if (c == ' ') continue;
        const int v = HexDigitValue(static_cast<unsigned char>(c));
        if (v < 0)
            return reason = QStringLiteral("'%1' is not a hexadecimal digit").arg(QChar::fromLatin1(c)), std::nullopt;
        if (nDigits < 2) request.reg = request.reg << 4 | v;
        ++nDigits;
    }
    if (nDigits == 0) return reason = QStringLiteral("no register"), std::nullopt;
    if (nDigits % 2 != 0) return reason = QStringLiteral("an odd number of hexadecimal digits"), std::nullopt;
    request.frame = text.toStdString();
    return request;
}

std::string FormatReply(int reg, const std::vector<uint8_t>& data) {
    static const char HEX[] = "0123456789abcdef";
    std::string out = "@";
    auto put = [&out](int b) {
        out.push_back(HEX[(b >> 4) & 0xF]);
        out.push_back(HEX[b & 0xF]);
    };
    put(reg);
    for (const uint8_t b : data) {
        out.push_back(' ');
        put(b);
    }
    out.push_back('#');
    return out;
}

}  // namespace corvane::gateway::relay
