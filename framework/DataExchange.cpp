#include "framework/DataExchange.h"

#include <QAbstractButton>
#include <QDebug>

#include "framework/ControlText.h"
#include "framework/Controls.h"

// A binding to a control the template does not have is a programming error;
// it is reported and the member is left as it is.
static QWidget* Control(CDataExchange* pDX, int nId) {
    QWidget* pCtrl = pDX->m_pDlgWnd ? pDX->m_pDlgWnd->GetDlgItem(nId) : nullptr;
    if (!pCtrl)
        qWarning("data exchange: no control %d", nId);
    return pCtrl;
}

void DDX_Text(CDataExchange* pDX, int nId, QString& strValue) {
    QWidget* pCtrl = Control(pDX, nId);
    if (!pCtrl)
        return;
    if (pDX->m_bSaveAndValidate)
        strValue = GetControlText(pCtrl);
    else if (GetControlText(pCtrl) != strValue)
        // A control already showing the value is left alone: rewriting it
        // would cost a relayout and throw away the operator's cursor and
        // selection for nothing.
        SetControlText(pCtrl, strValue);
}

void DDX_Check(CDataExchange* pDX, int nId, int& nValue) {
    auto* pButton = qobject_cast<QAbstractButton*>(Control(pDX, nId));
    if (!pButton)
        return;
    if (pDX->m_bSaveAndValidate)
        nValue = pButton->isChecked() ? 1 : 0;
    else
        pButton->setChecked(nValue != 0);
}

void DDX_Radio(CDataExchange* pDX, int nFirstId, int& nValue) {
    IDialogItems* pDlg = pDX->m_pDlgWnd;
    const std::vector<QAbstractButton*> radios = pDlg ? pDlg->GetRadioGroup(nFirstId) : std::vector<QAbstractButton*>{};
    if (radios.empty()) {
        qWarning("data exchange: no radio group at %d", nFirstId);
        return;
    }
    if (!pDX->m_bSaveAndValidate) {
        pDlg->CheckRadioGroup(nFirstId, nValue);
        return;
    }
    nValue = -1;
    for (size_t i = 0; i < radios.size(); ++i) {
        if (radios[i]->isChecked()) {
            nValue = static_cast<int>(i);
            break;
        }
    }
}

void DDX_Control(CDataExchange* pDX, int nId, CWndCtrl& ctrl) {
    if (QWidget* pCtrl = Control(pDX, nId))
        ctrl.Attach(pCtrl);
}
