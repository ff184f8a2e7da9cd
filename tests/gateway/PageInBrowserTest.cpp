// The gateway's page in a real browser (headless Chromium through its
// DevTools protocol) against corvane-sim: a tap on a route goes out as the
// right frame and the page then shows the route confirmed; two browsers see
// each other's changes; a change made on the simulator's other link shows
// on the page; the switcher gone and back shows as such; at a phone's, a
// tablet's and a laptop's width nothing is cut off and every control is
// large enough for a finger. With CORVANE_SCREENSHOT_DIR set, the layout
// case saves gateway-phone.png, gateway-tablet.png and gateway-desktop.png
// there.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/gateway/GatewayClient.h"
#include "tests/support/HeadlessBrowser.h"
#include "tests/support/SimProcess.h"

namespace {

constexpr int kPhoneWidth = 390;
constexpr int kPhoneHeight = 844;
constexpr int kTabletWidth = 820;
constexpr int kTabletHeight = 1180;
constexpr int kDesktopWidth = 1366;  // a laptop's browser window
constexpr int kDesktopHeight = 768;

// The input each output's card shows as routed (0: none marked).
const char* const kShownRouting =
    "[...document.querySelectorAll('#outputs .card')].map(c => {"
    " const b = c.querySelector('button[aria-pressed=\"true\"]'); return b ? +b.dataset.input : 0; })";

QString RouteButton(int nOutput, int nInput) {
    return QStringLiteral("#outputs .card[data-output=\"%1\"] button[data-input=\"%2\"]").arg(nOutput).arg(nInput);
}
QString LockButton(int nOutput) {
    return QStringLiteral("#outputs .card[data-output=\"%1\"] button.lock").arg(nOutput);
}

class PageInBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (CHeadlessBrowser::Program().isEmpty())
            GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it); the page is not tested";
    }
    void StartSim(const QStringList& args = {}) {
        SimStart start;
        start.aArgs = QStringList{"--link", dir.filePath(QStringLiteral("com1"))} + args;
        ASSERT_TRUE(sim.Start(start));
    }
    void StartGateway() {
        ASSERT_TRUE(gw.Start({"--state", dir.filePath(QStringLiteral("state.json")), "--port",
                              dir.filePath(QStringLiteral("com1")), "--serial-poll-ms", "300"}))
            << gw.Log().constData();
        ApiClient c(gw);
        ASSERT_TRUE(WaitUntil([&] { return c.Get("/api/v1/state").json["present"].toBool(); }, 20000))
            << gw.Log().constData();
    }
    // A browser with the page open; the session of its tab.
    QString OpenPage(CHeadlessBrowser& browser, int nWidth = kPhoneWidth, int nHeight = kPhoneHeight) {
        QString why;
        if (!browser.Start(&why)) {
            ADD_FAILURE() << why.toStdString();
            return {};
        }
        const QString session = browser.Open(gw.Base() + "/", nWidth, nHeight, true);
        EXPECT_FALSE(session.isEmpty()) << browser.LastError().toStdString();
        EXPECT_TRUE(WaitUntil([&] { return Shown(browser, session).size() == 4; }, 30000))
            << "the page showed no outputs";
        return session;
    }
    static QJsonArray Shown(CHeadlessBrowser& browser, const QString& session) {
        return browser.Eval(session, QString::fromLatin1(kShownRouting)).toArray();
    }
    static bool WaitShown(CHeadlessBrowser& browser, const QString& session, const QJsonArray& routing) {
        return WaitUntil([&] { return Shown(browser, session) == routing; }, 20000);
    }
    static QString Text(CHeadlessBrowser& browser, const QString& session, const QString& selector) {
        return browser.Eval(session, QStringLiteral("document.querySelector('%1').textContent").arg(selector))
            .toString();
    }

    QTemporaryDir dir;
    CSimProcess sim;
    GatewayProcess gw;
};

TEST_F(PageInBrowserTest, ATapOnARouteReachesTheSwitcherAndThePageShowsItConfirmed) {
    StartSim();
    StartGateway();
    CHeadlessBrowser browser;
    const QString page = OpenPage(browser);
    ASSERT_FALSE(page.isEmpty());
    EXPECT_EQ(Shown(browser, page), QJsonArray({1, 2, 3, 4}));
    EXPECT_EQ(Text(browser, page, "#name"), "CORVANE MATRIX");
    EXPECT_TRUE(browser.Eval(page, "document.querySelector('#presence').classList.contains('present')").toBool());

    ASSERT_TRUE(browser.TapElement(page, RouteButton(2, 4))) << browser.LastError().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return sim.Received().contains("@W 01 03#"); })) << sim.Received().constData();
    EXPECT_TRUE(WaitShown(browser, page, {1, 4, 3, 4}));
    ApiClient c(gw);
    EXPECT_EQ(Routing(c.Get("/api/v1/state")), QJsonArray({1, 4, 3, 4}));

    // A preset saved from the page shows as a button that applies it.
    ASSERT_TRUE(browser.Eval(page, "document.querySelector('#preset-name').value = 'Talk'; true").toBool());
    ASSERT_TRUE(browser.TapElement(page, "#save-preset button"));
    ASSERT_TRUE(WaitUntil([&] { return c.Get("/api/v1/presets").json["presets"].toObject().contains("Talk"); }));
    ASSERT_TRUE(browser.TapElement(page, RouteButton(2, 1)));
    ASSERT_TRUE(WaitShown(browser, page, {1, 1, 3, 4}));
    ASSERT_TRUE(WaitUntil([&] { return browser.Centre(page, "#presets button[data-preset=\"Talk\"]") != QPointF(); }));
    ASSERT_TRUE(browser.TapElement(page, "#presets button[data-preset=\"Talk\"]"));
    EXPECT_TRUE(WaitShown(browser, page, {1, 4, 3, 4}));
}

TEST_F(PageInBrowserTest, TwoBrowsersSeeEachOthersChanges) {
    StartSim();
    StartGateway();
    CHeadlessBrowser first, second;
    const QString a = OpenPage(first);
    const QString b = OpenPage(second);
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());

    ASSERT_TRUE(first.TapElement(a, RouteButton(3, 1)));
    EXPECT_TRUE(WaitShown(second, b, {1, 2, 1, 4}));
    ASSERT_TRUE(second.TapElement(b, RouteButton(1, 2)));
    EXPECT_TRUE(WaitShown(first, a, {2, 2, 1, 4}));

    // A lock taken in one browser leaves the other one's buttons of that
    // output disabled, until it is given back.
    const QString disabled = QStringLiteral("document.querySelector('%1').disabled").arg(RouteButton(4, 1));
    ASSERT_TRUE(second.TapElement(b, LockButton(4)));
    EXPECT_TRUE(WaitUntil([&] { return first.Eval(a, disabled).toBool(); }));
    EXPECT_FALSE(second.Eval(b, disabled).toBool()) << "the holder still routes it";
    EXPECT_NE(Text(first, a, LockButton(4)), Text(second, b, LockButton(4)));
    ASSERT_TRUE(second.TapElement(b, LockButton(4)));
    EXPECT_TRUE(WaitUntil([&] { return !first.Eval(a, disabled).toBool(); }));
}

TEST_F(PageInBrowserTest, AChangeOnTheSwitchersOtherLinkShowsOnThePage) {
    const QString simUdp = QHostAddress(LoopbackIp(41)).toString();
    StartSim({"--udp", simUdp});
    StartGateway();
    CHeadlessBrowser browser;
    const QString page = OpenPage(browser);
    ASSERT_FALSE(page.isEmpty());
    QUdpSocket panel;
    ASSERT_TRUE(panel.bind(QHostAddress(LoopbackIp(42)), 0));
    panel.writeDatagram("@W 03 00#", QHostAddress(simUdp), 5000);
    EXPECT_TRUE(WaitShown(browser, page, {1, 2, 3, 1}));
}

TEST_F(PageInBrowserTest, ThePageSaysWhenTheSwitcherIsAbsentAndWhenItIsBack) {
    StartSim();
    StartGateway();
    CHeadlessBrowser browser;
    const QString page = OpenPage(browser);
    ASSERT_FALSE(page.isEmpty());
    const QString absent = QStringLiteral(
                               "document.querySelector('#presence').classList.contains('absent') && "
                               "document.querySelector('%1').disabled")
                               .arg(RouteButton(1, 2));
    EXPECT_FALSE(browser.Eval(page, absent).toBool());
    sim.Stop();
    EXPECT_TRUE(WaitUntil([&] { return browser.Eval(page, absent).toBool(); }, 30000));
    EXPECT_EQ(Text(browser, page, "#presence"), "Switcher absent");
    StartSim();
    EXPECT_TRUE(WaitUntil([&] { return !browser.Eval(page, absent).toBool(); }, 60000)) << gw.Log().constData();
    EXPECT_EQ(Text(browser, page, "#presence"), "Connected");
}

// Every element that must not be cut off or too small for a finger.
const char* const kLayoutFaults = R"JS((() => {
  const faults = [];
  const root = document.documentElement;
  if (root.scrollWidth > window.innerWidth) faults.push('page wider than the screen: ' + root.scrollWidth);
  for (const b of document.querySelectorAll('button, input')) {
    const r = b.getBoundingClientRect();
    const name = b.tagName + ' "' + (b.textContent || b.placeholder) + '"';
    if (r.height < 44 || r.width < 44) faults.push(name + ' is ' + r.width + 'x' + r.height);
    if (r.right > window.innerWidth) faults.push(name + ' runs off the screen');
  }
  for (const e of document.querySelectorAll('button, h1, h2, .badge, label')) {
    if (e.scrollWidth > e.clientWidth + 1) faults.push('"' + e.textContent + '" is cut off');
  }
  return faults;
})())JS";

TEST_F(PageInBrowserTest, AtPhoneTabletAndDesktopWidthNothingIsCutOffAndEveryControlTakesAFinger) {
    StartSim();
    StartGateway();
    // A room as it is used: labels of some length, presets, a lock held by
    // another client.
    ApiClient desk(gw, "desk");
    const char* const inputs[] = {"Lectern PC", "Guest laptop", "Document camera", "Video call"};
    const char* const outputs[] = {"Projector", "Left screen", "Right screen", "Recorder"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(desk.Put(QStringLiteral("/api/v1/labels/inputs/%1").arg(i + 1),
                           QJsonDocument(QJsonObject{{"label", inputs[i]}}).toJson())
                      .status,
                  200);
        ASSERT_EQ(desk.Put(QStringLiteral("/api/v1/labels/outputs/%1").arg(i + 1),
                           QJsonDocument(QJsonObject{{"label", outputs[i]}}).toJson())
                      .status,
                  200);
    }
    ASSERT_EQ(desk.Put("/api/v1/routing", R"({"routing": [1, 1, 2, 3]})").status, 200);
    ASSERT_EQ(desk.Put("/api/v1/presets/Lecture").status, 200);
    ASSERT_EQ(desk.Put("/api/v1/routing", R"({"routing": [2, 2, 3, 3]})").status, 200);
    ASSERT_EQ(desk.Put("/api/v1/presets/Panel%20discussion").status, 200);
    ASSERT_EQ(desk.Put("/api/v1/locks/4").status, 200);

    const QString shots = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    struct Width {
        int nWidth, nHeight;
        const char* pszFile;
    };
    for (const Width& w : {Width{kPhoneWidth, kPhoneHeight, "gateway-phone.png"},
                           Width{kTabletWidth, kTabletHeight, "gateway-tablet.png"},
                           Width{kDesktopWidth, kDesktopHeight, "gateway-desktop.png"}}) {
        CHeadlessBrowser browser;
        const QString page = OpenPage(browser, w.nWidth, w.nHeight);
        ASSERT_FALSE(page.isEmpty());
        ASSERT_TRUE(WaitShown(browser, page, {2, 2, 3, 3}));
        EXPECT_EQ(browser.Eval(page, kLayoutFaults).toArray(), QJsonArray()) << w.nWidth << " px wide";
        if (shots.isEmpty()) continue;
        // The whole page in one picture.
        const int nHeight = browser.Eval(page, "document.documentElement.scrollHeight").toInt();
        ASSERT_TRUE(browser.Resize(page, w.nWidth, std::max(nHeight, w.nHeight), true));
        const QByteArray png = browser.Screenshot(page);
        ASSERT_FALSE(png.isEmpty()) << browser.LastError().toStdString();
        QFile out(QDir(shots).filePath(QString::fromLatin1(w.pszFile)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png);
    }
}

}  // namespace
