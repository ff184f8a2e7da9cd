#include "gateway/http/RequestGuard.h"

#include <algorithm>

namespace corvane::gateway {
namespace {

constexpr int CLIENT_NAME_MAX = 64;

int PortOrDefault(const QUrl& url) {
    const bool bSecure = url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("wss");
    return url.port(bSecure ? 443 : 80);
}

}  // namespace

bool SameOrigin(const QByteArray& origin, const QUrl& target) {
    if (origin.isEmpty()) return true;
    const QUrl from(QString::fromLatin1(origin), QUrl::StrictMode);
    if (!from.isValid() || from.host().isEmpty()) return false;  // "null" and other opaque origins
    return from.host().compare(target.host(), Qt::CaseInsensitive) == 0 && PortOrDefault(from) == PortOrDefault(target);
}

bool TokenAccepted(const QByteArray& authorization, const QString& token) {
    if (token.isEmpty()) return true;
    const QByteArray expected = "Bearer " + token.toUtf8();
    if (authorization.size() != expected.size()) return false;
    // Compared in full whatever the first difference, so the time taken
    // does not tell how much of a guess was right.
    unsigned char diff = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) diff |= static_cast<unsigned char>(authorization[i] ^ expected[i]);
    return diff == 0;
}

QString ClientName(const QByteArray& header, const QHostAddress& peer) {
    const bool bUsable = !header.isEmpty() && header.size() <= CLIENT_NAME_MAX &&
                         std::all_of(header.begin(), header.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    if (bUsable) return QString::fromLatin1(header);
    QString address = peer.toString();
    if (address.startsWith(QLatin1String("::ffff:"))) address.remove(0, 7);
    return QStringLiteral("http %1").arg(address);
}

}  // namespace corvane::gateway
