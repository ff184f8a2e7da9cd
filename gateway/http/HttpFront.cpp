#include "gateway/http/HttpFront.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerRouterRule>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaEnum>
#include <QPointer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <cmath>
#include <optional>

#include "gateway/http/BoundedTcpServer.h"
#include "gateway/http/EventsSocket.h"
#include "gateway/http/RequestGuard.h"
#include "gateway/http/StateJson.h"

namespace corvane::gateway {
namespace {

using Method = QHttpServerRequest::Method;
using Status = QHttpServerResponder::StatusCode;

// One request waiting for the hub. The connection may be gone by the time
// the switcher answers; then the answer is dropped.
struct Pending {
    QHttpServerResponder responder;
    QPointer<QTcpSocket> socket;
    QString who;
};
using PendingPtr = std::shared_ptr<Pending>;

void Send(Pending& p, Status status, const QJsonObject& body) {
    if (!p.socket || p.socket->state() != QAbstractSocket::ConnectedState) return;
    p.responder.write(QJsonDocument(body), {{"Cache-Control", "no-store"}}, status);
}

void SendError(Pending& p, Status status, const QString& code, const QString& message) {
    Send(
        p, status,
        {{QStringLiteral("error"), QJsonObject{{QStringLiteral("code"), code}, {QStringLiteral("message"), message}}}});
}

void SendFailure(Pending& p, const Outcome& o) {
    switch (o.failure) {
    case Failure::None: break;
    case Failure::BadRequest: SendError(p, Status::BadRequest, QStringLiteral("bad_request"), o.message); break;
    case Failure::NotFound: SendError(p, Status::NotFound, QStringLiteral("not_found"), o.message); break;
    case Failure::Locked: SendError(p, Status::Conflict, QStringLiteral("locked"), o.message); break;
    case Failure::Absent: SendError(p, Status::ServiceUnavailable, QStringLiteral("absent"), o.message); break;
    case Failure::Timeout: SendError(p, Status::GatewayTimeout, QStringLiteral("timeout"), o.message); break;
    case Failure::QueueFull: SendError(p, Status::TooManyRequests, QStringLiteral("queue_full"), o.message); break;
    case Failure::Storage: SendError(p, Status::InternalServerError, QStringLiteral("storage"), o.message); break;
    }
}

// An integer field of the body; JSON numbers with a fraction are not one.
std::optional<int> IntField(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble()) return std::nullopt;
    const double d = v.toDouble();
    if (d != std::floor(d) || std::fabs(d) > 1e6) return std::nullopt;
    return static_cast<int>(d);
}

std::optional<QString> StringField(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString()) return std::nullopt;
    return v.toString();
}

// Every request no other route takes, last in the list: a JSON answer
// instead of Qt's empty one. WebSocket upgrades are left alone, so one on
// another path is still refused without a handshake.
class AnyOtherRequest : public QHttpServerRouterRule {
public:
    using QHttpServerRouterRule::QHttpServerRouterRule;

protected:
    bool matches(const QHttpServerRequest& request, QRegularExpressionMatch* match) const override {
        return request.value("Upgrade").isEmpty() && QHttpServerRouterRule::matches(request, match);
    }
};

}  // namespace

HttpFront::HttpFront(Hub& hub, HttpOptions options, QObject* parent)
    : QObject(parent), m_hub(hub), m_options(std::move(options)) {
    m_pEvents = std::make_unique<EventsSocket>(hub, m_server, m_options.maxEventClients);
    m_pEvents->onLog = [this](const QString& line) { Log(line); };
    AddRoutes();
}

HttpFront::~HttpFront() = default;

bool HttpFront::Listen(QString& error) {
    m_pTcp = new BoundedTcpServer(m_options.maxConnections, m_options.maxBodyBytes + m_options.maxHeaderBytes);
    m_pTcp->onLog = [this](const QString& line) { Log(line); };
    if (!m_pTcp->listen(m_options.address, m_options.port)) {
        error = QStringLiteral("cannot listen on %1:%2: %3")
                    .arg(m_options.address.toString())
                    .arg(m_options.port)
                    .arg(m_pTcp->errorString());
        delete m_pTcp;
        m_pTcp = nullptr;
        return false;
    }
    m_server.bind(m_pTcp);
    return true;
}

quint16 HttpFront::Port() const { return m_pTcp ? m_pTcp->serverPort() : 0; }

void HttpFront::AddRoutes() {
    // Every request: the origin, the body's size and, for changes, the token.
    // Returns the pending answer, or null when the request was refused.
    auto begin = [this](const QHttpServerRequest& req, QHttpServerResponder&& responder, bool changing) -> PendingPtr {
        QTcpSocket* socket = responder.socket();
        auto p = std::make_shared<Pending>(Pending{std::move(responder), socket, QString()});
        p->who = ClientName(req.value("X-Corvane-Client"), req.remoteAddress());
        if (!SameOrigin(req.value("Origin"), req.url())) {
            Log(QStringLiteral("refused %1 from %2: Origin %3 is another site")
                    .arg(req.url().path(), p->who, QString::fromLatin1(req.value("Origin"))));
            SendError(*p, Status::Forbidden, QStringLiteral("origin"),
                      QStringLiteral("requests from another site are refused"));
            return nullptr;
        }
        if (req.body().size() > m_options.maxBodyBytes) {
            SendError(*p, Status::PayloadTooLarge, QStringLiteral("too_large"),
                      QStringLiteral("a request body is at most %1 bytes").arg(m_options.maxBodyBytes));
            return nullptr;
        }
        if (changing && !TokenAccepted(req.value("Authorization"), m_options.token)) {
            SendError(*p, Status::Unauthorized, QStringLiteral("token"),
                      QStringLiteral("this change needs the access token (Authorization: Bearer ...)"));
            return nullptr;
        }
        return p;
    };
    // The body as a JSON object, or a refusal already sent.
    auto body = [](const QHttpServerRequest& req, Pending& p) -> std::optional<QJsonObject> {
        QJsonParseError pe;
        const QJsonDocument doc = QJsonDocument::fromJson(req.body(), &pe);
        if (!doc.isObject()) {
            SendError(p, Status::BadRequest, QStringLiteral("bad_request"),
                      QStringLiteral("the body must be a JSON object%1")
                          .arg(pe.error != QJsonParseError::NoError ? QStringLiteral(" (%1)").arg(pe.errorString())
                                                                    : QString()));
            return std::nullopt;
        }
        return doc.object();
    };
    auto badField = [](Pending& p, const QString& what) {
        SendError(p, Status::BadRequest, QStringLiteral("bad_request"), what);
    };
    // The answer once the hub is done: the whole state, or the error.
    auto finish = [this](const PendingPtr& p) {
        return [this, p](const Outcome& o) {
            if (o.Ok())
                Send(*p, Status::Ok, StateJson(m_hub));
            else
                SendFailure(*p, o);
        };
    };

    // The page and its two files, from the program's resources.
    const std::pair<const char*, const char*> files[] = {
        {"/", "index.html"}, {"/app.js", "app.js"}, {"/app.css", "app.css"}};
    for (const auto& [path, file] : files) {
        const QString resource = QStringLiteral(":/gateway/page/") + QLatin1String(file);
        m_server.route(
            QString::fromLatin1(path), Method::Get, [=, this](const QHttpServerRequest& req, QHttpServerResponder&& r) {
                PendingPtr p = begin(req, std::move(r), false);
                if (!p) return;
                QFile f(resource);
                if (!f.open(QIODevice::ReadOnly)) {
                    SendError(*p, Status::NotFound, QStringLiteral("not_found"),
                              QStringLiteral("the page is not built into this program"));
                    return;
                }
                const QByteArray type = resource.endsWith(QLatin1String(".js"))    ? "text/javascript; charset=utf-8"
                                        : resource.endsWith(QLatin1String(".css")) ? "text/css; charset=utf-8"
                                                                                   : "text/html; charset=utf-8";
                p->responder.write(
                    f.readAll(),
                    {{"Content-Type", type},
                     {"Content-Security-Policy", "default-src 'self'; connect-src 'self'; frame-ancestors 'none'"},
                     {"X-Content-Type-Options", "nosniff"},
                     {"Cache-Control", "no-cache"}},
                    Status::Ok);
            });
    }

    // Qt 6.4 upgrades a WebSocket request only when a route takes it and
    // writes nothing; the events socket checks the client after the handshake.
    m_server.route(EVENTS_PATH, Method::Get, [=, this](const QHttpServerRequest& req, QHttpServerResponder&& r) {
        if (req.value("Upgrade").compare("websocket", Qt::CaseInsensitive) == 0) return;
        if (PendingPtr p = begin(req, std::move(r), false))
            SendError(*p, Status::BadRequest, QStringLiteral("websocket"),
                      QStringLiteral("this address is a WebSocket"));
    });

    m_server.route("/api/v1/state", Method::Get, [=, this](const QHttpServerRequest& req, QHttpServerResponder&& r) {
        if (PendingPtr p = begin(req, std::move(r), false)) Send(*p, Status::Ok, StateJson(m_hub));
    });

    m_server.route("/api/v1/outputs/<arg>", Method::Put,
                   [=, this](int n, const QHttpServerRequest& req, QHttpServerResponder&& r) {
                       PendingPtr p = begin(req, std::move(r), true);
                       if (!p) return;
                       const auto o = body(req, *p);
                       if (!o) return;
                       const auto input = IntField(*o, "input");
                       if (!input) return badField(*p, QStringLiteral("\"input\" must be a whole number"));
                       m_hub.Route(p->who, n - 1, *input - 1, finish(p));
                   });

    m_server.route("/api/v1/routing", Method::Put, [=, this](const QHttpServerRequest& req, QHttpServerResponder&& r) {
        PendingPtr p = begin(req, std::move(r), true);
        if (!p) return;
        const auto o = body(req, *p);
        if (!o) return;
        const QJsonArray a = o->value(QStringLiteral("routing")).toArray();
        Routing routing{};
        bool bOk = a.size() == OUTPUT_COUNT;
        for (int i = 0; bOk && i < OUTPUT_COUNT; ++i) {
            const auto input = IntField(QJsonObject{{QStringLiteral("v"), a[i]}}, "v");
            bOk = input.has_value();
            if (bOk) routing[i] = *input - 1;
        }
        if (!bOk)
            return badField(
                *p, QStringLiteral("\"routing\" must be %1 whole numbers, one input per output").arg(OUTPUT_COUNT));
        m_hub.Salvo(p->who, routing, finish(p));
    });

    for (const bool bInput : {true, false}) {
        const QString path =
            bInput ? QStringLiteral("/api/v1/labels/inputs/<arg>") : QStringLiteral("/api/v1/labels/outputs/<arg>");
        m_server.route(path, Method::Put, [=, this](int n, const QHttpServerRequest& req, QHttpServerResponder&& r) {
            PendingPtr p = begin(req, std::move(r), true);
            if (!p) return;
            const auto o = body(req, *p);
            if (!o) return;
            const auto label = StringField(*o, "label");
            if (!label) return badField(*p, QStringLiteral("\"label\" must be text"));
            m_hub.SetLabel(p->who, bInput, n - 1, *label, finish(p));
        });
    }

    m_server.route("/api/v1/locks/<arg>", Method::Put,
                   [=, this](int n, const QHttpServerRequest& req, QHttpServerResponder&& r) {
                       if (PendingPtr p = begin(req, std::move(r), true)) m_hub.Lock(p->who, n - 1, finish(p));
                   });
    m_server.route("/api/v1/locks/<arg>", Method::Delete,
                   [=, this](int n, const QHttpServerRequest& req, QHttpServerResponder&& r) {
                       PendingPtr p = begin(req, std::move(r), true);
                       if (!p) return;
                       const QString force = req.query().queryItemValue(QStringLiteral("force"));
                       m_hub.Unlock(p->who, n - 1, force == QLatin1String("true") || force == QLatin1String("1"),
                                    finish(p));
                   });

    m_server.route("/api/v1/presets", Method::Get, [=, this](const QHttpServerRequest& req, QHttpServerResponder&& r) {
        if (PendingPtr p = begin(req, std::move(r), false))
            Send(*p, Status::Ok, {{QStringLiteral("presets"), PresetsJson(m_hub.Host())}});
    });
    m_server.route("/api/v1/presets/<arg>", Method::Put,
                   [=, this](const QString& name, const QHttpServerRequest& req, QHttpServerResponder&& r) {
                       if (PendingPtr p = begin(req, std::move(r), true)) m_hub.SavePreset(p->who, name, finish(p));
                   });
    m_server.route("/api/v1/presets/<arg>/apply", Method::Post,
                   [=, this](const QString& name, const QHttpServerRequest& req, QHttpServerResponder&& r) {
                       if (PendingPtr p = begin(req, std::move(r), true)) m_hub.ApplyPreset(p->who, name, finish(p));
                   });
    m_server.route("/api/v1/presets/<arg>", Method::Delete,
                   [=, this](const QString& name, const QHttpServerRequest& req, QHttpServerResponder&& r) {
                       if (PendingPtr p = begin(req, std::move(r), true)) m_hub.DeletePreset(p->who, name, finish(p));
                   });

    m_server.route("/api/v1/inputs/<arg>/edid", Method::Put,
                   [=, this](int n, const QHttpServerRequest& req, QHttpServerResponder&& r) {
                       PendingPtr p = begin(req, std::move(r), true);
                       if (!p) return;
                       const auto o = body(req, *p);
                       if (!o) return;
                       const auto mode = IntField(*o, "mode");
                       const auto flags =
                           o->contains(QStringLiteral("flags")) ? IntField(*o, "flags") : std::optional<int>(0);
                       if (!mode || !flags)
                           return badField(*p, QStringLiteral("\"mode\" and \"flags\" must be whole numbers"));
                       m_hub.SetEdid(p->who, n - 1, {*mode, *flags}, finish(p));
                   });

    m_server.route("/api/v1/name", Method::Put, [=, this](const QHttpServerRequest& req, QHttpServerResponder&& r) {
        PendingPtr p = begin(req, std::move(r), true);
        if (!p) return;
        const auto o = body(req, *p);
        if (!o) return;
        const auto name = StringField(*o, "name");
        if (!name) return badField(*p, QStringLiteral("\"name\" must be text"));
        m_hub.SetName(p->who, *name, finish(p));
    });

    m_server.route<AnyOtherRequest>(".*", [=, this](const QHttpServerRequest& req, QHttpServerResponder&& r) {
        if (PendingPtr p = begin(req, std::move(r), false))
            SendError(
                *p, Status::NotFound, QStringLiteral("not_found"),
                QStringLiteral("no %1 %2 here; the API is under /api/v1")
                    .arg(QString::fromLatin1(QMetaEnum::fromType<Method>().valueToKey(int(req.method()))).toUpper(),
                         req.url().path()));
    });
}

}  // namespace corvane::gateway
