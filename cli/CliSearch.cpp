#include "cli/CliSearch.h"

#include <QEventLoop>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>

#include "cli/CliFormat.h"
#include "cli/CliSession.h"
#include "link/DeviceNameText.h"
#include "link/Ipv4Text.h"
#include "link/NetLinkState.h"
#include "link/NetReceive.h"
#include "link/Sock_UDP.h"
#include "link/UdpLink.h"
#include "link/UdpOpenText.h"

namespace corvane::cli {

namespace {

QPointer<QEventLoop> s_pLoop;
bool s_bInterrupted = false;

class SearchOwner : public ISearchOwner {
public:
    explicit SearchOwner(const CliOptions& o, const Output& out) : m_o(o), m_out(out) {}

    void AppendDeviceList(const char*) override {}
    void SelectDevice(int) override {}
    void AddDeviceItem(int nEntry) override {
        const DeviceEntry& e = g_DeviceTable[nEntry];
        const QString strName = WithoutTrailingBlanks(QString::fromLatin1(e.szName));
        const QString strAddress = QString::fromStdString(corvane::link::DottedIp(e.dwIp));
        QJsonObject obj{{QStringLiteral("number"), nEntry + 1},
                        {QStringLiteral("address"), strAddress},
                        {QStringLiteral("name"), strName}};
        m_out.Result(m_o.strCommand, obj,
                     QStringLiteral("%1 %2 %3").arg(nEntry + 1).arg(strAddress, DeviceNameShown(strName)));
    }
    void DeviceTableFull(const char* pszNotice) override { m_out.Note(QString::fromLatin1(pszNotice)); }

private:
    const CliOptions& m_o;
    const Output& m_out;
};

}  // namespace

void InterruptSearch() {
    s_bInterrupted = true;
    if (s_pLoop) s_pLoop->quit();
}

int RunSearch(const CliOptions& o, const Output& out) {
    if (!corvane::link::OpenSwitcherSocket(o.nLocalPort)) {
        out.Error(o.strCommand, corvane::link::UdpPortOpenError(o.nLocalPort, LocalPortAdvice()));
        return EXIT_LINK;
    }
    SearchOwner owner(o, out);
    g_SockUDP.SetSearchOwner(&owner);
    const DWORD dwTo = o.broadcast ? corvane::link::Ipv4HostOrder(*o.broadcast) : BROADCAST_IP;
    g_SockUDP.SetSearchDestination(dwTo);
    BeginDeviceSearch();
    int nStatus = EXIT_DONE;
    if (!g_SockUDP.SendSearch()) {
        out.Error(o.strCommand, QStringLiteral("the search could not be sent to %1 (no network route?)")
                                    .arg(UdpPeerName(dwTo, DEVICE_UDP_PORT)));
        nStatus = EXIT_LINK;
    } else {
        QEventLoop loop;
        s_pLoop = &loop;
        QTimer::singleShot(o.nSearchWaitMs, &loop, &QEventLoop::quit);
        if (!s_bInterrupted) loop.exec();
        s_pLoop = nullptr;
        if (g_nDeviceCount == 0) {
            out.Error(o.strCommand, QStringLiteral("no switcher answered within %1 s").arg(o.nSearchWaitMs / 1000.0));
            nStatus = EXIT_NO_ANSWER;
        }
    }
    g_SockUDP.SetSearchOwner(nullptr);
    g_SockUDP.Close();
    g_bSearching = 0;
    return nStatus;
}

}  // namespace corvane::cli
