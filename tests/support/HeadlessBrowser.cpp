#include "tests/support/HeadlessBrowser.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QUrl>

#include "tests/support/Wait.h"

namespace {

// A browser starting on a busy machine, and a page doing a round trip to
// the gateway, answer well within these.
constexpr int kStartMs = 60000;
constexpr int kCallMs = 30000;

}  // namespace

QString CHeadlessBrowser::Program() {
    const QString fromEnv = qEnvironmentVariable("CORVANE_CHROMIUM");
    if (!fromEnv.isEmpty()) return fromEnv;
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

bool CHeadlessBrowser::Start(QString* pWhy) {
    const QString program = Program();
    if (program.isEmpty() || !m_profile.isValid()) {
        if (pWhy) *pWhy = program.isEmpty() ? QStringLiteral("chromium is not installed") : m_profile.errorString();
        return false;
    }
    m_proc.setProgram(program);
    m_proc.setArguments({
        QStringLiteral("--headless"),
        QStringLiteral("--no-sandbox"),  // root in a container has no user namespaces for it
        QStringLiteral("--disable-gpu"),
        QStringLiteral("--disable-quic"),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--disable-background-networking"),
        QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"),
        QStringLiteral("--disable-default-apps"),
        QStringLiteral("--disable-extensions"),
        QStringLiteral("--user-data-dir=") + m_profile.path(),
        QStringLiteral("--remote-debugging-address=127.0.0.1"),
        QStringLiteral("--remote-debugging-port=0"),  // the port it took is written to the profile
        QStringLiteral("about:blank"),
    });
    // Its log (D-Bus complaints in a container and the like) is of no use here.
    m_proc.setStandardOutputFile(QProcess::nullDevice());
    m_proc.setStandardErrorFile(QProcess::nullDevice());
    m_proc.start();
    if (!m_proc.waitForStarted(10000)) {
        if (pWhy) *pWhy = QStringLiteral("chromium did not start: ") + m_proc.errorString();
        return false;
    }
    return Connect(pWhy);
}

bool CHeadlessBrowser::Connect(QString* pWhy) {
    // DevToolsActivePort: the port on the first line, the browser's path on the second.
    QFile portFile(m_profile.filePath(QStringLiteral("DevToolsActivePort")));
    QList<QByteArray> lines;
    const bool bAnnounced = WaitUntil(
        [&] {
            if (m_proc.state() == QProcess::NotRunning || !portFile.open(QIODevice::ReadOnly)) return false;
            lines = portFile.readAll().split('\n');
            portFile.close();
            return lines.size() >= 2 && !lines[1].isEmpty();
        },
        kStartMs);
    if (!bAnnounced) {
        if (pWhy) *pWhy = QStringLiteral("chromium did not open its DevTools port");
        return false;
    }
    QObject::connect(&m_ws, &QWebSocket::textMessageReceived, [this](const QString& text) {
        const QJsonObject msg = QJsonDocument::fromJson(text.toUtf8()).object();
        if (msg.contains(QStringLiteral("id"))) m_answers.insert(msg[QStringLiteral("id")].toInt(), msg);
    });
    QObject::connect(&m_ws, &QWebSocket::disconnected, [this] { m_bClosed = true; });
    m_ws.open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2")
                       .arg(QString::fromLatin1(lines[0].trimmed()), QString::fromLatin1(lines[1].trimmed()))));
    if (!WaitUntil([&] { return m_ws.state() == QAbstractSocket::ConnectedState || m_bClosed; }, kStartMs) ||
        m_bClosed) {
        if (pWhy) *pWhy = QStringLiteral("no DevTools connection: ") + m_ws.errorString();
        return false;
    }
    return true;
}

void CHeadlessBrowser::Stop() {
    if (m_ws.state() != QAbstractSocket::UnconnectedState) {
        Call(QStringLiteral("Browser.close"));
        m_ws.close();
    }
    if (m_proc.state() == QProcess::NotRunning) return;
    if (!m_proc.waitForFinished(5000)) {
        m_proc.terminate();
        if (!m_proc.waitForFinished(5000)) {
            m_proc.kill();
            m_proc.waitForFinished(3000);
        }
    }
}

QJsonObject CHeadlessBrowser::Call(const QString& method, const QJsonObject& params, const QString& session) {
    const int nId = m_nNextId++;
    QJsonObject msg{
        {QStringLiteral("id"), nId}, {QStringLiteral("method"), method}, {QStringLiteral("params"), params}};
    if (!session.isEmpty()) msg.insert(QStringLiteral("sessionId"), session);
    m_ws.sendTextMessage(QString::fromUtf8(QJsonDocument(msg).toJson(QJsonDocument::Compact)));
    if (!WaitUntil([&] { return m_answers.contains(nId) || m_bClosed; }, kCallMs)) {
        m_lastError = method + QStringLiteral(": no answer");
        return {};
    }
    if (!m_answers.contains(nId)) {
        m_lastError = method + QStringLiteral(": the browser closed its DevTools connection");
        return {};
    }
    const QJsonObject answer = m_answers.take(nId);
    if (answer.contains(QStringLiteral("error"))) {
        m_lastError = method + QStringLiteral(": ") +
                      answer[QStringLiteral("error")].toObject()[QStringLiteral("message")].toString();
        return {};
    }
    return answer[QStringLiteral("result")].toObject();
}

QString CHeadlessBrowser::Open(const QString& url, int nWidth, int nHeight, bool bMobile) {
    const QString target =
        Call(QStringLiteral("Target.createTarget"), {{QStringLiteral("url"), QStringLiteral("about:blank")}})
            .value(QStringLiteral("targetId"))
            .toString();
    if (target.isEmpty()) return {};
    const QString session = Call(QStringLiteral("Target.attachToTarget"),
                                 {{QStringLiteral("targetId"), target}, {QStringLiteral("flatten"), true}})
                                .value(QStringLiteral("sessionId"))
                                .toString();
    if (session.isEmpty() || !Resize(session, nWidth, nHeight, bMobile)) return {};
    Call(QStringLiteral("Emulation.setTouchEmulationEnabled"),
         {{QStringLiteral("enabled"), bMobile}, {QStringLiteral("maxTouchPoints"), 5}}, session);
    Call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}}, session);
    return m_lastError.isEmpty() ? session : QString();
}

bool CHeadlessBrowser::Resize(const QString& session, int nWidth, int nHeight, bool bMobile) {
    m_lastError.clear();
    Call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
         {{QStringLiteral("width"), nWidth},
          {QStringLiteral("height"), nHeight},
          {QStringLiteral("deviceScaleFactor"), 1},
          {QStringLiteral("mobile"), bMobile}},
         session);
    return m_lastError.isEmpty();
}

QJsonValue CHeadlessBrowser::Eval(const QString& session, const QString& expr) {
    const QJsonObject result = Call(QStringLiteral("Runtime.evaluate"),
                                    {{QStringLiteral("expression"), expr},
                                     {QStringLiteral("awaitPromise"), true},
                                     {QStringLiteral("returnByValue"), true}},
                                    session);
    if (result.contains(QStringLiteral("exceptionDetails"))) {
        m_lastError = QJsonDocument(result[QStringLiteral("exceptionDetails")].toObject()).toJson();
        return QJsonValue(QJsonValue::Undefined);
    }
    return result[QStringLiteral("result")].toObject()[QStringLiteral("value")];
}

QPointF CHeadlessBrowser::Centre(const QString& session, const QString& selector) {
    const QString quoted = QString::fromUtf8(QJsonDocument(QJsonArray{selector}).toJson(QJsonDocument::Compact));
    const QJsonArray xy = Eval(session, QStringLiteral("(() => { const e = document.querySelector(%1[0]);"
                                                       " if (!e) return null;"
                                                       " e.scrollIntoView({block: 'center'});"
                                                       " const r = e.getBoundingClientRect();"
                                                       " return [r.x + r.width / 2, r.y + r.height / 2]; })()")
                                            .arg(quoted))
                              .toArray();
    return xy.size() == 2 ? QPointF(xy[0].toDouble(), xy[1].toDouble()) : QPointF();
}

bool CHeadlessBrowser::Tap(const QString& session, QPointF at) {
    // A finger down and up again at one point: the browser's gesture
    // detection makes it a tap and the page gets its click.
    m_lastError.clear();
    const QJsonArray finger{QJsonObject{{QStringLiteral("x"), at.x()}, {QStringLiteral("y"), at.y()}}};
    Call(QStringLiteral("Input.dispatchTouchEvent"),
         {{QStringLiteral("type"), QStringLiteral("touchStart")}, {QStringLiteral("touchPoints"), finger}}, session);
    Call(QStringLiteral("Input.dispatchTouchEvent"),
         {{QStringLiteral("type"), QStringLiteral("touchEnd")}, {QStringLiteral("touchPoints"), QJsonArray()}},
         session);
    return m_lastError.isEmpty();
}

bool CHeadlessBrowser::TapElement(const QString& session, const QString& selector) {
    const QPointF at = Centre(session, selector);
    return !at.isNull() && Tap(session, at);
}

QByteArray CHeadlessBrowser::Screenshot(const QString& session) {
    const QJsonObject shot =
        Call(QStringLiteral("Page.captureScreenshot"), {{QStringLiteral("format"), QStringLiteral("png")}}, session);
    return QByteArray::fromBase64(shot[QStringLiteral("data")].toString().toLatin1());
}
