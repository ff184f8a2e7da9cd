#pragma once
// Dialog data exchange: binds members to controls inside DoDataExchange.
// It reaches the controls only through IDialogItems; the dialog runs it, it
// never calls back into the dialog class.
#include <QString>

#include "base/WinTypes.h"
#include "framework/DialogItems.h"

class CWndCtrl;

class CDataExchange {
public:
    CDataExchange(IDialogItems* pDlg, BOOL bSaveAndValidate) : m_pDlgWnd(pDlg), m_bSaveAndValidate(bSaveAndValidate) {}
    IDialogItems* m_pDlgWnd;
    BOOL m_bSaveAndValidate;   // TRUE: controls -> members
};

// Text of an edit box, static or button caption.
void DDX_Text(CDataExchange* pDX, int nId, QString& strValue);
// Check box state, 0 or 1.
void DDX_Check(CDataExchange* pDX, int nId, int& nValue);
// Index of the checked radio in the group that starts at nFirstId; -1 when
// none is checked. The group ends at the next CS_GROUP control; other kinds of
// control in between are skipped, not counted. Writing -1 (or an index past
// the group) unchecks every radio of the group.
void DDX_Radio(CDataExchange* pDX, int nFirstId, int& nValue);
// Attaches a control object to the control (both directions).
void DDX_Control(CDataExchange* pDX, int nId, CWndCtrl& ctrl);
