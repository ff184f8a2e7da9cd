#pragma once
// What a dialog window reports to the object behind it: commands from its
// controls, timers, Enter / Escape / the close button, the context menu, and
// its own end. CDialog implements it; CDialogWnd knows only this, so the
// window does not depend on the dialog class that builds it.
#include "base/WinTypes.h"

class QPoint;
class QWidget;

// Notification codes passed to OnCommand.
enum : int {
    BN_CLICKED = 0,      // push button, check box, radio button clicked
    CBN_SELCHANGE = 1,   // combo: the operator chose another list item
    TCN_SELCHANGE = 2,   // tab control: another tab selected
    EN_CHANGE = 3,       // edit box text changed by the operator
};

class IDialogEvents {
public:
    virtual void OnCommand(int nId, int nNotify) = 0;
    virtual void OnTimer(UINT nIdEvent) = 0;
    virtual void OnOK() = 0;       // Enter, or a click on IDOK
    virtual void OnCancel() = 0;   // Escape, or a click on IDCANCEL
    virtual void OnClose() = 0;    // the window's close button
    virtual void OnContextMenu(const QPoint& ptGlobal) = 0;
    // The window is being deleted; pWnd is the window, not yet gone.
    virtual void OnWindowGone(QWidget* pWnd) = 0;

protected:
    ~IDialogEvents() = default;
};
