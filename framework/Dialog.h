#pragma once
// CDialog: a dialog object that exists before its window. Create() (child
// page or modeless window) or DoModal() (top-level, modal) builds the window
// from a DlgTemplate; controls are found by ID; data exchange copies bound
// members to or from the controls; timers by ID; notifications come back as
// OnCommand(nId, nNotify).
#include <QString>
#include <vector>

#include "framework/DialogEvents.h"
#include "framework/DialogItems.h"
#include "framework/DlgTemplate.h"

class QAbstractButton;
class QWidget;
class QPoint;
class QRect;
class CDataExchange;
class CDialogWnd;

class CDialog : public IDialogEvents, public IDialogItems {
public:
    explicit CDialog(const DlgTemplate& tpl);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Builds the window as a child of pParent (a page) or as a top-level
    // window when pParent is null, calls OnInitDialog, returns FALSE on failure.
    BOOL Create(QWidget* pParent);
    // Builds the window top-level and runs it modally; returns the EndDialog code.
    int DoModal(QWidget* pParent = nullptr);
    void EndDialog(int nResult);
    // Destroys the window (the object stays). Called before QApplication ends.
    void DestroyWindow();

    // The window, null before Create and after its destruction (also when it
    // went with its parent). Its objectName is "dialog" + the template ID.
    QWidget* GetSafeHwnd() const;
    QWidget* GetDlgItem(int nId) const override;
    template <class T> T* GetItem(int nId) const;

    // Data exchange: TRUE copies controls into members, FALSE members into controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // Radio buttons of the group that starts at nFirstId, in creation order
    // (see DDX_Radio); empty when there is none.
    std::vector<QAbstractButton*> GetRadioGroup(int nFirstId) const override;
    // Checks radio nIndex of that group, none for -1 or an index past it.
    void CheckRadioGroup(int nFirstId, int nIndex) override;

    void SetDlgItemText(int nId, const QString& strText);
    QString GetDlgItemText(int nId) const;
    void EnableDlgItem(int nId, BOOL bEnable);
    BOOL IsDlgItemEnabled(int nId) const;
    void ShowDlgItem(int nId, BOOL bShow);
    BOOL IsDlgItemVisible(int nId) const;   // the control's own visible flag
    void ShowWindow(BOOL bShow);
    BOOL IsWindowVisible() const;           // the window's own visible flag
    void MoveWindow(const QRect& rect);
    void SetWindowText(const QString& strText);

    // Window timers. Starting a running ID restarts its period.
    UINT SetTimer(UINT nIdEvent, UINT nElapseMs);
    BOOL KillTimer(UINT nIdEvent);
    BOOL IsTimerRunning(UINT nIdEvent) const;
    int GetTimerInterval(UINT nIdEvent) const;  // -1 when not running

    // Dialog units to pixels for this dialog's font.
    QRect MapDialogRect(int x, int y, int cx, int cy) const;

    const DlgTemplate& Template() const { return m_tpl; }

    // Handlers, called on the GUI thread by the window.
    void OnCommand(int nId, int nNotify) override { (void)nId; (void)nNotify; }
    void OnTimer(UINT nIdEvent) override { (void)nIdEvent; }
    // Enter (unless a push button has the focus or is the default button, which
    // is then pressed) and clicks on a button with ID IDOK: for top-level
    // windows UpdateData(TRUE) then EndDialog(IDOK); nothing for pages.
    void OnOK() override;
    void OnCancel() override;   // Escape: EndDialog(IDCANCEL), nothing for pages
    // The window's close button: OnCancel unless a dialog separates the two.
    void OnClose() override { OnCancel(); }
    void OnContextMenu(const QPoint& ptGlobal) override { (void)ptGlobal; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }
    virtual BOOL OnInitDialog();   // default: UpdateData(FALSE), TRUE

private:
    BOOL BuildWindow(QWidget* pParent, bool bChild);
    void OnWindowGone(QWidget* pWnd) override;

    const DlgTemplate& m_tpl;
    CDialogWnd* m_pWnd = nullptr;
    bool m_bEnded = false;   // EndDialog called since the window was built
    int m_nResult = 0;
};

#include <QWidget>
template <class T> T* CDialog::GetItem(int nId) const {
    return qobject_cast<T*>(GetDlgItem(nId));
}
