// The main window's Net Config page searching a private network of
// simulated switchers (run by switcher-net.sh, inside its namespace): the
// real broadcast reaches every simulator, each is listed once with its
// address and name, and choosing one by its number connects to that one.
#include <QAbstractButton>
#include <QComboBox>
#include <QTest>
#include <memory>

#include "app/CorvaneDlg.h"
#include "link/DeviceState.h"
#include "resources/Dlg133_NetConfigIds.h"
#include "tests/e2e/E2eFixture.h"
#include "framework/IPAddressCtrl.h"
#include "link/Ipv4Text.h"
#include "link/NetLinkState.h"
#include "tests/netns/PrivateNet.h"
#include "link/SearchDecoder.h"
#include "pages/Set_Net_Config.h"
#include "link/Sock_UDP.h"

using namespace Dlg133;

namespace {

constexpr int WAIT_MS = 10000;

// "n->IP=a.b.c.d   Name=..." lines of the device list: address -> name
// (trailing blanks of the space-padded name dropped), and the numbers.
struct Listing {
    std::map<QString, QString> names;
    std::map<QString, int> numbers;
};

Listing ParseDeviceList(const QString& strList) {
    Listing l;
    for (const QString& line : LogLines(strList)) {
        const int nArrow = line.indexOf(QStringLiteral("->IP="));
        const int nName = line.indexOf(QStringLiteral("   Name="));
        if (nArrow < 1 || nName < nArrow) continue;
        const QString strIp = line.mid(nArrow + 5, nName - nArrow - 5);
        l.names[strIp] = line.mid(nName + 8).trimmed();
        l.numbers[strIp] = line.left(nArrow).toInt();
    }
    return l;
}

}  // namespace

class AppSearchNetnsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!privatenet::InPrivateNamespace())
            QSKIP("runs only inside the private network of tests/netns/switcher-net.sh");
    }

    void init() {
        BeginWindowCase();
        m_pDlg = OpenOnNetConfigTab();
        QVERIFY(m_pDlg);
    }

    void cleanup() { QCOMPARE(EndWindowCase(m_pDlg), 0); }

    void searchListsEverySwitcherAndConnectsToTheChosenOne() {
        const auto switchers = privatenet::Switchers();
        QVERIFY(switchers.size() >= 2);

        // The socket opens on the PC's address in this network.
        Button(IDC_SOCKET)->click();
        QCOMPARE(g_NetConfigPage.GetDlgItemText(IDC_SOCKET), QStringLiteral("Disconnect"));
        DWORD dwLocal = 0;
        g_NetConfigPage.GetItem<CIPAddressCtrl>(IDC_LOCAL_IP)->GetAddress(dwLocal);
        QCOMPARE(corvane::link::DottedIp(dwLocal), privatenet::PcIp());
        QCOMPARE(g_SockUDP.GetSearchDestination(), BROADCAST_IP);

        Button(IDC_SEARCH)->click();
        QTRY_COMPARE_WITH_TIMEOUT(Combo()->count(), static_cast<int>(switchers.size()), WAIT_MS);
        const Listing listing = ParseDeviceList(g_NetConfigPage.GetDlgItemText(IDC_DEVICE_LIST));
        QCOMPARE(listing.names.size(), switchers.size());
        for (const auto& [ip, name] : switchers)
            QCOMPARE(listing.names.at(QString::fromStdString(ip)), QString::fromStdString(name));
        // The first switcher that answered is proposed as the host.
        QCOMPARE(HostIp(), ListedIp(listing, 1));

        // Choose the last one listed by its number, and connect.
        const int nLast = static_cast<int>(switchers.size());
        const QString strChosen = ListedIp(listing, nLast);
        const int nItem = Combo()->findText(QString::number(nLast));
        QVERIFY(nItem >= 0);
        Combo()->setCurrentIndex(nItem);
        emit Combo()->activated(nItem);
        QCOMPARE(HostIp(), strChosen);
        Button(IDC_HOST_CONNECT)->click();
        QCOMPARE(g_bNetConnected, BYTE(1));
        QCOMPARE(g_bSearching, BYTE(0));

        // Its whole configuration arrives: the device name panel shows its name.
        QTRY_COMPARE_WITH_TIMEOUT(m_pDlg->GetDlgItemText(Dlg102::IDC_DEVICE_NAME).trimmed(), listing.names.at(strChosen), WAIT_MS);
    }

private:
    static QAbstractButton* Button(int nId) { return ::Button(g_NetConfigPage, nId); }
    static QComboBox* Combo() { return g_NetConfigPage.GetItem<QComboBox>(IDC_DEVICE_NUMBER); }
    static QString HostIp() {
        DWORD dw = 0;
        g_NetConfigPage.GetItem<CIPAddressCtrl>(IDC_HOST_IP)->GetAddress(dw);
        return QString::fromStdString(corvane::link::DottedIp(dw));
    }
    static QString ListedIp(const Listing& l, int nNumber) {
        for (const auto& [ip, n] : l.numbers)
            if (n == nNumber) return ip;
        return {};
    }

    std::unique_ptr<CCorvaneDlg> m_pDlg;
};

QTEST_MAIN(AppSearchNetnsTest)
#include "AppSearchNetnsTest.moc"
