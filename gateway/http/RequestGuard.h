#pragma once
// The checks every request passes before it reaches the hub: a request
// whose Origin is another site is refused (so a page elsewhere cannot drive
// the switcher through an operator's browser), a changing request needs the
// access token when one is configured, and the client is named.
#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QUrl>
#include <optional>

namespace corvane::gateway {

struct Refusal {
    int status;  // HTTP status
    QString code;
    QString message;
};

// Origin against the Host the request was sent to: same scheme-less host
// and port, or no Origin at all (curl, scripts, same-origin GETs).
bool SameOrigin(const QByteArray& origin, const QUrl& target);
// Bearer token in Authorization; always true when no token is configured.
bool TokenAccepted(const QByteArray& authorization, const QString& token);
// The client as locks and logs name it: X-Corvane-Client when it is 1..64
// printable ASCII characters, else "http <address>".
QString ClientName(const QByteArray& header, const QHostAddress& peer);

}  // namespace corvane::gateway
