#include "framework/Controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QAbstractTextDocumentLayout>
#include <algorithm>

#include "framework/ControlText.h"
#include "framework/TabCtrlWidget.h"

void CWndCtrl::SetWindowText(const QString& strText) { SetControlText(m_pWnd, strText); }

QString CWndCtrl::GetWindowText() const { return GetControlText(m_pWnd); }

void CWndCtrl::EnableWindow(BOOL bEnable) {
    if (m_pWnd)
        m_pWnd->setEnabled(bEnable);
}

BOOL CWndCtrl::IsWindowEnabled() const { return IsControlEnabled(m_pWnd); }

void CWndCtrl::ShowWindow(BOOL bShow) {
    if (m_pWnd)
        m_pWnd->setVisible(bShow);
}

BOOL CWndCtrl::IsWindowVisible() const { return IsControlShown(m_pWnd); }

void CWndCtrl::SetFont(const QFont& font) {
    if (m_pWnd)
        m_pWnd->setFont(font);
}

// --- CButton

int CButton::GetCheck() const {
    auto* pButton = qobject_cast<QAbstractButton*>(m_pWnd);
    return pButton && pButton->isChecked() ? 1 : 0;
}

void CButton::SetCheck(int nCheck) {
    if (auto* pButton = qobject_cast<QAbstractButton*>(m_pWnd))
        pButton->setChecked(nCheck != 0);
}

// --- CEdit

int CEdit::GetLineCount() const {
    if (auto* pEdit = qobject_cast<QPlainTextEdit*>(m_pWnd))
        return pEdit->document()->blockCount();
    return m_pWnd ? 1 : 0;
}

void CEdit::AppendText(const QString& strAdd) { AppendControlText(m_pWnd, strAdd); }

void CEdit::DropFirstLines(int nLines) { DropLeadingLines(m_pWnd, nLines); }

BOOL CEdit::IsEditedSinceWrite() const { return IsTextEditedSinceWrite(m_pWnd); }

void CEdit::LineScroll(int nLines) {
    auto* pEdit = qobject_cast<QPlainTextEdit*>(m_pWnd);
    if (!pEdit)
        return;
    // One scroll-bar step is one line on screen (a wrapped line is more than
    // one), so stepping by the line count reaches at least as far. The bar's
    // range follows the text only once the layout ran; make sure it did.
    pEdit->document()->documentLayout()->documentSize();
    QScrollBar* pBar = pEdit->verticalScrollBar();
    const qint64 nTarget = static_cast<qint64>(pBar->value()) + nLines;
    pBar->setValue(static_cast<int>(std::clamp<qint64>(nTarget, pBar->minimum(), pBar->maximum())));
}

// --- CComboBox

static QComboBox* Combo(const QPointer<QWidget>& pWnd) { return qobject_cast<QComboBox*>(pWnd.data()); }

int CComboBox::AddString(const QString& strItem) {
    QComboBox* pCombo = Combo(m_pWnd);
    if (!pCombo)
        return -1;
    int nAt = pCombo->count();
    if (pCombo->property("corvaneSorted").toBool()) {
        // Sorted lists compare without regard to case; equal items keep the
        // order they were added in.
        nAt = 0;
        while (nAt < pCombo->count() && pCombo->itemText(nAt).compare(strItem, Qt::CaseInsensitive) <= 0)
            ++nAt;
    }
    // Adding to an empty list selects nothing (Qt would select the first item).
    const bool bNoSelection = pCombo->currentIndex() < 0;
    const QString strEdit = pCombo->currentText();
    {
        const QSignalBlocker block(pCombo);
        pCombo->insertItem(nAt, strItem);
        if (bNoSelection && pCombo->currentIndex() >= 0) {
            pCombo->setCurrentIndex(-1);
            if (pCombo->isEditable())
                pCombo->setEditText(strEdit);
        }
    }
    return nAt;
}

void CComboBox::ResetContent() {
    if (QComboBox* pCombo = Combo(m_pWnd)) {
        const QSignalBlocker block(pCombo);
        pCombo->clear();
        if (pCombo->isEditable())
            pCombo->clearEditText();
    }
}

int CComboBox::GetCount() const {
    QComboBox* pCombo = Combo(m_pWnd);
    return pCombo ? pCombo->count() : 0;
}

int CComboBox::GetCurSel() const {
    QComboBox* pCombo = Combo(m_pWnd);
    return pCombo ? pCombo->currentIndex() : -1;
}

int CComboBox::SetCurSel(int nIndex) {
    QComboBox* pCombo = Combo(m_pWnd);
    if (!pCombo)
        return -1;
    const bool bValid = nIndex >= 0 && nIndex < pCombo->count();
    const QSignalBlocker block(pCombo);
    pCombo->setCurrentIndex(bValid ? nIndex : -1);
    if (!bValid && pCombo->isEditable())
        pCombo->clearEditText();
    return bValid ? nIndex : -1;
}

QString CComboBox::GetLBText(int nIndex) const {
    QComboBox* pCombo = Combo(m_pWnd);
    if (!pCombo || nIndex < 0 || nIndex >= pCombo->count())
        return QString();
    return pCombo->itemText(nIndex);
}

void CComboBox::SetItemToolTip(int nIndex, const QString& strTip) {
    QComboBox* pCombo = Combo(m_pWnd);
    if (pCombo && nIndex >= 0 && nIndex < pCombo->count())
        pCombo->setItemData(nIndex, strTip, Qt::ToolTipRole);
}

// --- CTabCtrl

static CTabCtrlWidget* Tab(const QPointer<QWidget>& pWnd) { return qobject_cast<CTabCtrlWidget*>(pWnd.data()); }

int CTabCtrl::InsertItem(int nIndex, const QString& strText) {
    CTabCtrlWidget* pTab = Tab(m_pWnd);
    return pTab ? pTab->InsertTab(nIndex, strText) : -1;
}

int CTabCtrl::GetCurSel() const {
    CTabCtrlWidget* pTab = Tab(m_pWnd);
    return pTab ? pTab->TabBar()->currentIndex() : -1;
}

int CTabCtrl::SetCurSel(int nIndex) {
    CTabCtrlWidget* pTab = Tab(m_pWnd);
    return pTab ? pTab->SetCurrentSilently(nIndex) : -1;
}

int CTabCtrl::GetItemCount() const {
    CTabCtrlWidget* pTab = Tab(m_pWnd);
    return pTab ? pTab->TabBar()->count() : 0;
}

QRect CTabCtrl::GetClientRect() const {
    CTabCtrlWidget* pTab = Tab(m_pWnd);
    return pTab ? pTab->PageRect() : QRect();
}

QWidget* CTabCtrl::GetPageParent() const { return Tab(m_pWnd); }
