#pragma once
// Small templates and a recording dialog for the framework tests.
#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"

// Child page: every control kind, radio groups, hidden and disabled styles.
extern const DlgTemplate kTestPage;
// Top-level window with a caption.
extern const DlgTemplate kTestTop;
// Top-level window with a default push button.
extern const DlgTemplate kTestDefPush;

enum : int {
    IDC_GO = 1001, IDC_CHECK = 1002, IDC_RADIO_A = 1003, IDC_RADIO_B = 1004, IDC_MID = 1005,
    IDC_RADIO_C = 1006, IDC_RADIO_D = 1007, IDC_LOG = 1008, IDC_HIDDEN_EDIT = 1009, IDC_COMBO = 1010,
    IDC_DISABLED = 1011, IDC_TAB = 1012, IDC_IP = 1013, IDC_LIST = 1014,
    IDC_TOP_EDIT = 1101, IDC_TOP_BUTTON = 1102, IDC_DEF_BUTTON = 1103,
};

class CRecordingDlg : public CDialog {
public:
    explicit CRecordingDlg(const DlgTemplate& tpl) : CDialog(tpl) {}
    struct Cmd { int nId, nNotify; bool operator==(const Cmd&) const = default; };

    std::vector<Cmd> commands;
    std::vector<UINT> timers;
    int nOK = 0, nCancel = 0, nContext = 0;
    QPoint ptContext;
    std::function<void(CRecordingDlg&)> onInit;     // extra OnInitDialog step
    std::function<void(CRecordingDlg&, UINT)> onTimer;

    // Bound members.
    QString m_strLog, m_strLine, m_strLabel;
    int m_nCheck = 0, m_nRadio = -1;
    CComboBox m_cbList;
    CTabCtrl m_tab;
    CEdit m_editLog;
    CButton m_btnGo;

    int CountCommands(int nId, int nNotify) const;
    void OnCommand(int nId, int nNotify) override { commands.push_back({nId, nNotify}); }
    void OnTimer(UINT nIdEvent) override;
    void OnOK() override { ++nOK; CDialog::OnOK(); }
    void OnCancel() override { ++nCancel; CDialog::OnCancel(); }
    void OnContextMenu(const QPoint& pt) override { ++nContext; ptContext = pt; }
protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
