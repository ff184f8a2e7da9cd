#pragma once
// Control objects bound to the controls of a dialog (DDX_Control), with the
// operations the pages use. Each wraps the Qt widget made from the template;
// the widget's objectName is the control's decimal ID.
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <QString>

#include "base/WinTypes.h"

class QComboBox;
class QPlainTextEdit;
class QLineEdit;
class QFont;

class CWndCtrl {
public:
    virtual ~CWndCtrl() = default;
    void Attach(QWidget* pWnd) { m_pWnd = pWnd; }
    QWidget* GetSafeHwnd() const { return m_pWnd; }
    void SetWindowText(const QString& strText);
    QString GetWindowText() const;
    void EnableWindow(BOOL bEnable);
    BOOL IsWindowEnabled() const;
    void ShowWindow(BOOL bShow);
    BOOL IsWindowVisible() const;  // visible flag of the control itself
    void SetFont(const QFont& font);
protected:
    QPointer<QWidget> m_pWnd;   // null again once the control is destroyed
};

class CButton : public CWndCtrl {
public:
    int GetCheck() const;
    void SetCheck(int nCheck);
};

class CStatic : public CWndCtrl {};

// Single- or multi-line edit box.
class CEdit : public CWndCtrl {
public:
    int GetLineCount() const;
    void LineScroll(int nLines);  // scrolls down by nLines
    // Logs: append and drop lines in place, at a cost independent of the
    // text's length; see ControlText.h.
    void AppendText(const QString& strAdd);
    void DropFirstLines(int nLines);
    BOOL IsEditedSinceWrite() const;
};

class CComboBox : public CWndCtrl {
public:
    int AddString(const QString& strItem);  // returns the index (sorted combos insert in order)
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;        // -1 for no selection
    int SetCurSel(int nIndex);    // -1 or out of range clears the selection; returns CB_ERR (-1) then
    QString GetLBText(int nIndex) const;
    void SetItemToolTip(int nIndex, const QString& strTip);
};

class CTabCtrl : public CWndCtrl {
public:
    int InsertItem(int nIndex, const QString& strText);
    int GetCurSel() const;
    int SetCurSel(int nIndex);
    int GetItemCount() const;
    // The area below the tabs where pages go, in the tab control's coordinates.
    QRect GetClientRect() const;
    // The widget that pages are created in (their parent).
    QWidget* GetPageParent() const;
};
