#pragma once
// CCorvaneDlg: the main window (dialog 102). The serial connection panel, the
// device name panel, the version box and the tab control with the five pages.
// It uses both links (the serial link it opens, the network link the Net
// Config page opens) and feeds every byte either receives into the reply
// assembler; each decoded reply comes back as an event, which
// CPageReplyTarget turns into the pages' calls.
#include <QIcon>
#include <QString>

#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "pages/PageReplyTarget.h"
#include "link/SerialLink.h"
#include "link/SerialPort.h"
#include "framework/ToolTip.h"
#include "link/UdpLink.h"

class QPoint;

// The port numbers the last probe could open, ascending, in the first entries.
extern int g_nFoundPorts[MaxSerialPortNum];
// 1 when the last probe found at least one port.
extern BYTE g_bPortsFound;

class CCorvaneDlg : public CDialog, public CPageReplyTarget {
public:
    CCorvaneDlg();
    ~CCorvaneDlg() override;

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

    // Result line to the Port Set log, the EDID Config log or both (LOG_*).
    void LogToPages(const QString& strText, int nTarget);

    // Bytes received on either link, in order: into the reply assembler.
    void OnLinkBytes(const char* pData, std::size_t nLen);
    // System menu command; the about item is IDM_ABOUTBOX.
    void OnSysCommand(UINT nId);
    // Shows the page of tab nIndex and hides the other four; other indexes change nothing.
    void ShowPage(int nIndex);
    // Ends the serial link and destroys the windows of the pages and of the
    // main window; called once the modal run is over, before Qt goes away.
    void Shutdown();

    // IReplyTarget: the main window's own parts; the rest goes to the pages.
    void LogToPages(const char* pszText, int nTarget) override;
    void ShowDeviceName() override;
    // Also settles the check that Connect was answered.
    void GetIpConfig() override;

    void OnCommand(int nId, int nNotify) override;
    void OnContextMenu(const QPoint& ptGlobal) override;
    // Enter and Escape belong to the control that has the focus (a name being
    // typed, a list); they never end the program. The close button and the
    // quit key (Ctrl+Q) do.
    void OnOK() override {}
    void OnCancel() override {}
    void OnClose() override;

    const CToolTipCtrl& ToolTip() const { return m_ToolTip; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void CreatePages();
    void CreateToolTip();
    BOOL SetupPort(UINT nPortNr);
    void Disconnect();
    void StopSerialLink();
    void ReportOpenFailure(int nPortNr);

    CButton m_btnEdit;            // IDC_EDIT_NAME
    CEdit m_editDeviceName;       // IDC_DEVICE_NAME
    CButton m_btnConnect;         // IDC_CONNECT
    CComboBox m_cbPort;           // IDC_PORT_LIST
    CTabCtrl m_tabPages;          // IDC_TAB
    QString m_strDeviceName;      // IDC_DEVICE_NAME
    QString m_strVersion;         // IDC_VERSION, "Rev:" and the product version
    QIcon m_hAppIcon;             // icon 131
    CToolTipCtrl m_ToolTip;
    bool m_bShutDown = false;
    corvane::link::SerialLink& m_serialLink = corvane::link::TheSerialLink();
    corvane::link::UdpLink& m_netLink = corvane::link::TheUdpLink();
};
