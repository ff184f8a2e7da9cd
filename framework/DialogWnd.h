#pragma once
// CDialogWnd: the Qt window of a CDialog. It owns the controls built from the
// template and turns Qt signals and events into the handlers of its
// IDialogEvents: OnCommand, OnTimer, OnOK / OnCancel (Enter, Escape),
// OnClose (close button), OnContextMenu, and OnWindowGone as it is deleted.
#include <QDialog>
#include <map>
#include <vector>

#include "framework/DialogEvents.h"
#include "framework/DialogLayout.h"
#include "framework/DlgTemplate.h"

class QAbstractButton;
class QButtonGroup;

class CDialogWnd : public QDialog {
    Q_OBJECT
public:
    CDialogWnd(IDialogEvents* pDlg, const DlgTemplate& tpl, QWidget* pParent, bool bChild);
    ~CDialogWnd() override;

    void Detach() { m_pDlg = nullptr; }
    bool IsChildPage() const { return m_bChild; }
    const DlgBaseUnits& BaseUnits() const { return m_units; }

    QWidget* Item(int nId) const;
    // Radio buttons of the group that starts at nFirstId, in creation order.
    std::vector<QAbstractButton*> RadioGroup(int nFirstId) const;
    // Checks radio nIndex of the group (none for -1 or out of range).
    void CheckRadio(int nFirstId, int nIndex);

    void StartTimer(UINT nIdEvent, int nMs);
    bool StopTimer(UINT nIdEvent);
    int TimerInterval(UINT nIdEvent) const;

    // A command from a control: IDOK / IDCANCEL clicks go to OnOK / OnCancel.
    void Command(int nId, int nNotify);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;
public slots:
    void reject() override;
    void accept() override;

private:
    void PlaceOnScreen(const QRect& rcAvail);
    void BuildControls(const DlgTemplate& tpl);
    void Wire(const CtrlTemplate& ctrl, QWidget* pCtrl);
    void MakeRadioGroups();
    void OnEnter();

    IDialogEvents* m_pDlg;
    bool m_bChild;
    DlgBaseUnits m_units;
    double m_dScale = 1.0;  // of the units, to fit the screen
    std::vector<std::pair<const CtrlTemplate*, QWidget*>> m_controls;  // creation order
    std::map<int, QWidget*> m_items;
    std::map<QWidget*, QButtonGroup*> m_radioGroups;
    struct Timer { int nQtId; int nMs; };
    std::map<UINT, Timer> m_timers;
};
