#pragma once
// CIpConfigPage: the "IP Config" tab (dialog 132). Shows and writes the
// switcher's network parameters (register 0x40) and keeps the hidden log of
// every frame written to the serial port.
#include <QString>

#include "Controls.h"
#include "DataExchange.h"
#include "Dialog.h"

class CIPAddressCtrl;

class CIpConfigPage : public CDialog {
public:
    CIpConfigPage();

    // Enter and Escape on a page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

    // Hides the log, the raw-text box and its two buttons (1079, 1039, 1080, 1078).
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

    CEdit m_editLog;      // 1078
    QString m_strMac;     // 1077
    QString m_strSend;    // 1079
    QString m_strLog;     // 1078
    int m_bDhcp = 0;      // 1072
};

extern CIpConfigPage g_IpConfigPage;
