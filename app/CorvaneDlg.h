#pragma once
// CCorvaneDlg: the main window (dialog 102). The serial connection panel, the
// device name panel, the version box and the tab control with the five pages.
// It owns the notifications of both links and feeds every received serial
// byte and every datagram of the chosen switcher into the reply assembler; the decoded replies come back through IReplyTarget and
// are forwarded to the pages.
#include <QIcon>
#include <QString>

#include "Controls.h"
#include "DataExchange.h"
#include "Dialog.h"
#include "IReplyTarget.h"
#include "NetReceive.h"
#include "SerialPort.h"
#include "ToolTip.h"

class QPoint;

// The port numbers the last probe could open, ascending, in the first entries.
extern int g_nFoundPorts[MaxSerialPortNum];
// 1 when the last probe found at least one port.
extern BYTE g_bPortsFound;

class CCorvaneDlg : public CDialog, public ISerialOwner, public INetRxOwner, public IReplyTarget {
public:
    CCorvaneDlg();
    ~CCorvaneDlg() override;

    static constexpr const char* VERSION_TEXT = "Rev:1.1.0921";
    static constexpr int PAGE_COUNT = 5;
    static constexpr UINT IDM_ABOUTBOX = 0x0010;

    // Serial connection panel.
    void ScanPorts();
    void OnConnect();
    void ToggleConnection();
    void GetAllPorts();
    // Port number of the selected list entry; 0 with no selection.
    int SelectedPortNumber() const;
    // Index of the list entry the port box shows; -1 when it shows none.
    int SelectedPortEntry() const;

    // Device name panel.
    void OnGetDeviceName();
    void OnEditDeviceName();
    void SendDeviceName();

    // Result line to the Port Set log (0), the EDID Config log (1) or both (2).
    void LogToPages(const QString& strText, int nTarget);

    // INetRxOwner: one datagram of the chosen switcher waiting in
    // g_NetRxBuffer (WM_NET_RXDATA).
    void OnNetRxData(WPARAM wParam) override;
    // System menu command; the about item is IDM_ABOUTBOX.
    void OnSysCommand(UINT nId);
    // Shows the page of tab nIndex and hides the other four; other indexes change nothing.
    void ShowPage(int nIndex);
    // Ends the serial link and destroys the windows of the pages and of the
    // main window; called once the modal run is over, before Qt goes away.
    void Shutdown();

    // ISerialOwner: WM_PORT_RXCHAR and the driver's status notifications.
    LRESULT OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) override;

    // IReplyTarget: what the reply decoding calls, forwarded to the pages.
    void ShowOutputSource(int nOutput) override;
    void PortSetEndWait() override;
    void RefreshEdidInput(int nInput) override;
    void EdidEndWait() override;
    void StartAckTimers() override;
    void LogToPages(const char* pszText, int nTarget) override;
    void ShowDeviceName() override;
    void ShowNetParams() override;
    void GetIpConfig() override;
    void ReadAllConfig() override;
    void SetDebugMode(int nMode) override;

    void OnCommand(int nId, int nNotify) override;
    void OnContextMenu(const QPoint& ptGlobal) override;

    const CToolTipCtrl& ToolTip() const { return m_ToolTip; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void CreatePages();
    void CreateToolTip();
    BOOL SetupPort(UINT nPortNr, UINT nBaud);
    void Disconnect();
    void StopSerialLink();
    void ReportOpenFailure(int nPortNr);

    CButton m_btnEdit;            // 1039
    CEdit m_editDeviceName;       // 1081
    CButton m_btnConnect;         // 1001
    CComboBox m_cbPort;           // 1000
    CTabCtrl m_tabPages;          // 1002
    QString m_strDeviceName;      // 1081
    QString m_strVersion;         // 1109
    QIcon m_hAppIcon;             // icon 131
    CToolTipCtrl m_ToolTip;
    bool m_bShutDown = false;
};
