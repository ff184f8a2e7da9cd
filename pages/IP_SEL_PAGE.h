#pragma once
// CIpConfigPage: the "IP Config" tab (dialog 132). Shows and writes the
// switcher's network parameters (register 0x40) and keeps the hidden log of
// every frame written to the serial port.
#include <QString>

#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"

class CIPAddressCtrl;

class CIpConfigPage : public CDialog {
public:
    CIpConfigPage();

    // Enter and Escape on a page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

    // Hides the raw-text box, its Send and Clear buttons and the log, in that order.
    void InitControls();
    // Appends one line to the hidden serial output log and scrolls to it.
    void AppendLog(const QString& strText);
    // Sends "@ R 40 #" on whichever link is open; silently nothing without one.
    void GetIpConfig();
    // Shows g_NetParams: addresses, MAC text, DHCP flag.
    void ShowNetParams();
    // Copies the three address controls into g_NetParams.
    void ReadAddressControls();
    // Sends the register 0x40 write frame built from g_NetParams.
    void SaveIpConfig();

    // The hidden log never grows beyond this many characters: the oldest
    // whole lines are dropped first.
    static constexpr int MAX_LOG_CHARS = 64 * 1024;

    void OnCommand(int nId, int nNotify) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void OnDhcpClicked();
    void EnableAddressControls(BOOL bEnable);
    CIPAddressCtrl* AddressCtrl(int nId) const;
    void TrimLog();

    CEdit m_editLog;      // the hidden serial output log
    QString m_strMac;     // MAC address text
    QString m_strSend;    // raw-text box
    QString m_strLog;     // text of the log
    int m_bDhcp = 0;      // DHCP check box
};

extern CIpConfigPage g_IpConfigPage;
