#include "tests/framework/TestDialogs.h"

const DlgTemplate kTestPage = {
    9001, "", 240, 200, "System", 10, true,
    {
        {IDC_GO, CK_BUTTON, "Go", 10, 15, 40, 14, CS_TABSTOP},
        {-1, CK_GROUPBOX, "Box", 5, 5, 110, 60, 0},  // created after the button it surrounds
        {IDC_CHECK, CK_CHECKBOX, "Chk", 10, 32, 40, 10, CS_TABSTOP},
        {IDC_RADIO_A, CK_RADIO, "A", 60, 15, 30, 10, CS_GROUP | CS_TABSTOP},
        {IDC_RADIO_B, CK_RADIO, "B", 60, 27, 30, 10, 0},
        {IDC_MID, CK_STATIC, "mid", 60, 37, 30, 8, 0},
        {IDC_RADIO_C, CK_RADIO, "C", 60, 47, 30, 10, 0},
        {IDC_RADIO_D, CK_RADIO, "D", 60, 57, 30, 10, CS_GROUP},
        {IDC_LOG, CK_EDIT, "", 120, 5, 110, 60, CS_MULTILINE | CS_BORDER | CS_VSCROLL | CS_HSCROLL},
        {IDC_HIDDEN_EDIT, CK_EDIT, "", 10, 70, 60, 12, CS_BORDER | CS_HIDDEN},
        {IDC_COMBO, CK_COMBO, "", 80, 70, 60, 80, CS_DROPDOWN | CS_SORT | CS_VSCROLL | CS_TABSTOP},
        {IDC_DISABLED, CK_STATIC, "off", 150, 70, 40, 12, CS_DISABLED | CS_SUNKEN | CS_CENTER},
        {IDC_TAB, CK_TAB, "Tab1", 10, 90, 150, 80, 0},
        {IDC_IP, CK_IPADDRESS, "", 165, 90, 70, 12, CS_TABSTOP},
        {IDC_LIST, CK_COMBO, "", 165, 110, 70, 60, CS_VSCROLL},
        {-1, CK_STATIC, "label", 10, 180, 60, 8, 0},
    },
};

const DlgTemplate kTestTop = {
    9002, "Test Top", 160, 60, "宋体", 10, false,
    {
        {IDC_TOP_EDIT, CK_EDIT, "", 10, 10, 80, 14, CS_BORDER | CS_TABSTOP},
        {IDC_TOP_BUTTON, CK_BUTTON, "Other", 100, 10, 50, 14, CS_TABSTOP},
    },
};

const DlgTemplate kTestDefPush = {
    9003, "Default", 160, 60, "宋体", 9, false,
    {
        {IDC_TOP_EDIT, CK_EDIT, "", 10, 10, 80, 14, CS_BORDER | CS_TABSTOP},
        {IDC_DEF_BUTTON, CK_BUTTON, "Def", 100, 10, 50, 14, CS_TABSTOP | CS_DEFPUSH},
        {IDOK, CK_BUTTON, "OK", 100, 30, 50, 14, CS_TABSTOP},
    },
};

int CRecordingDlg::CountCommands(int nId, int nNotify) const {
    int n = 0;
    for (const Cmd& c : commands)
        n += (c.nId == nId && c.nNotify == nNotify) ? 1 : 0;
    return n;
}

void CRecordingDlg::OnTimer(UINT nIdEvent) {
    timers.push_back(nIdEvent);
    if (onTimer)
        onTimer(*this, nIdEvent);
}

void CRecordingDlg::DoDataExchange(CDataExchange* pDX) {
    if (&Template() != &kTestPage)
        return;
    DDX_Control(pDX, IDC_LIST, m_cbList);
    DDX_Control(pDX, IDC_TAB, m_tab);
    DDX_Control(pDX, IDC_LOG, m_editLog);
    DDX_Control(pDX, IDC_GO, m_btnGo);
    DDX_Text(pDX, IDC_LOG, m_strLog);
    DDX_Text(pDX, IDC_HIDDEN_EDIT, m_strLine);
    DDX_Text(pDX, IDC_MID, m_strLabel);
    DDX_Check(pDX, IDC_CHECK, m_nCheck);
    DDX_Radio(pDX, IDC_RADIO_A, m_nRadio);
}

BOOL CRecordingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (onInit)
        onInit(*this);
    return TRUE;
}
