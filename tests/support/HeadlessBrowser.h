#pragma once
// Debian's headless Chromium as a child process, driven through its DevTools
// protocol over a WebSocket: tabs at a given viewport, script evaluated in
// them, taps, screenshots. The browser gets a new empty profile, listens for
// DevTools on 127.0.0.1 only, and is told not to reach out to anything on
// its own (no updates, sync or background fetches). Calls wait for their
// answer while the caller's Qt events keep running.
#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QMap>
#include <QPointF>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QWebSocket>

class CHeadlessBrowser {
public:
    CHeadlessBrowser() = default;
    ~CHeadlessBrowser() { Stop(); }
    CHeadlessBrowser(const CHeadlessBrowser&) = delete;
    CHeadlessBrowser& operator=(const CHeadlessBrowser&) = delete;

    // $CORVANE_CHROMIUM when set, else chromium on the PATH; empty when
    // there is none.
    static QString Program();

    // Starts the browser and connects to it; on failure, why in *pWhy.
    bool Start(QString* pWhy = nullptr);
    void Stop();

    // A new tab showing url in a viewport of nWidth x nHeight CSS pixels (a
    // phone's touch screen when bMobile); the session id of the tab, empty
    // when it could not be opened.
    QString Open(const QString& url, int nWidth, int nHeight, bool bMobile);
    // Sets the tab's viewport again (for a screenshot of the whole page).
    bool Resize(const QString& session, int nWidth, int nHeight, bool bMobile);
    // The value of a script expression in the tab (a promise is awaited);
    // an undefined value when it threw.
    QJsonValue Eval(const QString& session, const QString& expr);
    // The centre of the first element matching selector, scrolled into view
    // first; a null point when there is none.
    QPointF Centre(const QString& session, const QString& selector);
    // A finger's tap at a point of the viewport (CSS pixels).
    bool Tap(const QString& session, QPointF at);
    // The element matching selector scrolled into view and tapped.
    bool TapElement(const QString& session, const QString& selector);
    // The viewport as a PNG.
    QByteArray Screenshot(const QString& session);

    // One DevTools command and its result; an empty object and the error in
    // LastError() when it failed or went unanswered.
    QJsonObject Call(const QString& method, const QJsonObject& params = {}, const QString& session = {});
    QString LastError() const { return m_lastError; }

private:
    bool Connect(QString* pWhy);

    QProcess m_proc;
    QTemporaryDir m_profile;
    QWebSocket m_ws;
    QMap<int, QJsonObject> m_answers;
    int m_nNextId = 1;
    bool m_bClosed = false;
    QString m_lastError;
};
