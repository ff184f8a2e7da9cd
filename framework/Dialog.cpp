#include "framework/Dialog.h"

#include <QApplication>
#include <QPointer>
#include <QRect>
#include <algorithm>
#include <climits>

#include "framework/ControlText.h"
#include "framework/DataExchange.h"
#include "framework/DialogWnd.h"

CDialog::CDialog(const DlgTemplate& tpl) : m_tpl(tpl) {}

CDialog::~CDialog() {
    if (!m_pWnd)
        return;
    m_pWnd->Detach();
    // A window can only be deleted while the application exists; at process
    // exit the page objects outlive it, and the window died with it anyway.
    if (QCoreApplication::instance())
        delete m_pWnd;
    m_pWnd = nullptr;
}

BOOL CDialog::BuildWindow(QWidget* pParent, bool bChild) {
    if (m_pWnd || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return FALSE;
    m_bEnded = false;
    m_nResult = 0;
    m_pWnd = new CDialogWnd(this, m_tpl, pParent, bChild);
    return TRUE;
}

void CDialog::OnWindowGone(QWidget* pWnd) {
    if (m_pWnd == pWnd)
        m_pWnd = nullptr;
}

BOOL CDialog::Create(QWidget* pParent) {
    if (!BuildWindow(pParent, m_tpl.bChild && pParent))
        return FALSE;
    QPointer<CDialogWnd> pWnd = m_pWnd;
    OnInitDialog();
    // Shown as a visible window would be, unless initialisation hid or ended it.
    if (pWnd && !pWnd->testAttribute(Qt::WA_WState_ExplicitShowHide) && !m_bEnded)
        pWnd->show();
    return pWnd ? TRUE : FALSE;
}

int CDialog::DoModal(QWidget* pParent) {
    if (!BuildWindow(pParent, false))
        return -1;
    QPointer<CDialogWnd> pWnd = m_pWnd;
    pWnd->setWindowModality(Qt::ApplicationModal);
    OnInitDialog();
    int nResult = m_bEnded ? m_nResult : -1;
    if (pWnd && !m_bEnded) {
        pWnd->exec();
        nResult = m_bEnded ? m_nResult : IDCANCEL;
    }
    DestroyWindow();
    return nResult;
}

void CDialog::EndDialog(int nResult) {
    m_bEnded = true;
    m_nResult = nResult;
    if (m_pWnd)
        m_pWnd->QDialog::done(nResult);
}

void CDialog::DestroyWindow() {
    if (!m_pWnd)
        return;
    CDialogWnd* pWnd = m_pWnd;
    m_pWnd = nullptr;
    pWnd->Detach();
    delete pWnd;
}

QWidget* CDialog::GetSafeHwnd() const { return m_pWnd; }

QWidget* CDialog::GetDlgItem(int nId) const { return m_pWnd ? m_pWnd->Item(nId) : nullptr; }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    if (!m_pWnd)
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

std::vector<QAbstractButton*> CDialog::GetRadioGroup(int nFirstId) const {
    return m_pWnd ? m_pWnd->RadioGroup(nFirstId) : std::vector<QAbstractButton*>{};
}

void CDialog::CheckRadioGroup(int nFirstId, int nIndex) {
    if (m_pWnd)
        m_pWnd->CheckRadio(nFirstId, nIndex);
}

void CDialog::SetDlgItemText(int nId, const QString& strText) { SetControlText(GetDlgItem(nId), strText); }

QString CDialog::GetDlgItemText(int nId) const { return GetControlText(GetDlgItem(nId)); }

void CDialog::EnableDlgItem(int nId, BOOL bEnable) {
    if (QWidget* pCtrl = GetDlgItem(nId))
        pCtrl->setEnabled(bEnable);
}

BOOL CDialog::IsDlgItemEnabled(int nId) const { return IsControlEnabled(GetDlgItem(nId)); }

void CDialog::ShowDlgItem(int nId, BOOL bShow) {
    if (QWidget* pCtrl = GetDlgItem(nId))
        pCtrl->setVisible(bShow);
}

BOOL CDialog::IsDlgItemVisible(int nId) const { return IsControlShown(GetDlgItem(nId)); }

void CDialog::ShowWindow(BOOL bShow) {
    if (m_pWnd)
        m_pWnd->setVisible(bShow);
}

BOOL CDialog::IsWindowVisible() const { return m_pWnd && !m_pWnd->isHidden(); }

void CDialog::MoveWindow(const QRect& rect) {
    if (m_pWnd)
        m_pWnd->setGeometry(rect);
}

void CDialog::SetWindowText(const QString& strText) {
    if (m_pWnd)
        m_pWnd->setWindowTitle(strText);
}

UINT CDialog::SetTimer(UINT nIdEvent, UINT nElapseMs) {
    if (!m_pWnd)
        return 0;
    m_pWnd->StartTimer(nIdEvent, static_cast<int>(std::min<UINT>(nElapseMs, INT_MAX)));
    return m_pWnd->TimerInterval(nIdEvent) < 0 ? 0 : (nIdEvent ? nIdEvent : 1);
}

BOOL CDialog::KillTimer(UINT nIdEvent) { return m_pWnd && m_pWnd->StopTimer(nIdEvent); }

BOOL CDialog::IsTimerRunning(UINT nIdEvent) const { return m_pWnd && m_pWnd->TimerInterval(nIdEvent) >= 0; }

int CDialog::GetTimerInterval(UINT nIdEvent) const { return m_pWnd ? m_pWnd->TimerInterval(nIdEvent) : -1; }

QRect CDialog::MapDialogRect(int x, int y, int cx, int cy) const {
    // Before its window exists, the units of the template as it is meant to look.
    const DlgBaseUnits units = m_pWnd ? m_pWnd->BaseUnits() : TemplateBaseUnits(m_tpl);
    return DialogUnitsToPixels(units, x, y, cx, cy);
}

void CDialog::OnOK() {
    if (!m_pWnd || m_pWnd->IsChildPage())
        return;
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    if (!m_pWnd || m_pWnd->IsChildPage())
        return;
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}
