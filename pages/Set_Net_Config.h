#pragma once
// CNetConfigPage: the "Net Config" tab (dialog 133). Opens and closes the
// PC's UDP socket, searches the network for switchers, chooses one as the
// host and polls it once a second while connected, and opens its web page.
// The socket, the link flags and the device table are the network link's
// globals (Sock_UDP.h, NetLinkState.h); the page drives them and shows the
// search results it is told about.
#include <QString>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "link/NetReceive.h"
#include "framework/ToolTip.h"

class CIPAddressCtrl;

class CNetConfigPage : public CDialog, public ISearchOwner {
public:
    CNetConfigPage();
    ~CNetConfigPage() override;

    // Enter and Escape on a page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

    // One-time set-up after the main window created the page: default ports,
    // the PC's address, the host group hidden, the IE tooltip. The page is
    // told about search results from then on.
    void InitControls();
    // The PC's host name and first IPv4 address into 1082 and the device list.
    void RefreshPcAddress();
    // "@ R 0e #" to the switcher connected to, whatever the serial link
    // does; nothing while no switcher is connected.
    void ReadAllConfig();
    // "@ R 52 #": the change-counter poll.
    void PollDevice();

    // ISearchOwner: results of a search.
    void AppendDeviceList(const char* pszLine) override;
    void AddDeviceItem(int nEntry) override;
    void SelectDevice(int nEntry) override;
    void DeviceTableFull(const char* pszNotice) override;

    void OnCommand(int nId, int nNotify) override;
    void OnTimer(UINT nIdEvent) override;

    const CToolTipCtrl& ToolTip() const { return m_ToolTip; }

    static constexpr UINT TIMER_POLL = 1;
    static constexpr UINT POLL_MS = 1000;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void OnSocketButton();
    void OnSearch();
    void OnClear();
    void OnDeviceChosen();
    void OnHostButton();
    void OnWebPage();
    void OpenSocket();
    void CloseSocket();
    void LeaveHost();
    void ShowHostGroup(BOOL bShow);
    void EnableHostChoice(BOOL bEnable);
    // Table entry of a combo item: the number it shows, less one; -1 for none.
    int EntryOfItem(int nItem) const;
    void ShowHostAddress(int nEntry);
    CIPAddressCtrl* AddressCtrl(int nId) const;

    CComboBox m_comboDevice;  // 1000
    QString m_strDeviceList;  // 1088
    QString m_strLocalPort;   // 1083
    QString m_strHostPort;    // 1085
    CToolTipCtrl m_ToolTip;
};

extern CNetConfigPage g_NetConfigPage;
