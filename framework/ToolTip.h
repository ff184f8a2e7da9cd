#pragma once
// Tooltip control: tools are controls with a tip text; the delay is the time
// the pointer rests on a control before its tip shows.
#include <QObject>
#include <QString>
#include <map>

#include "base/WinTypes.h"

class QWidget;
class QTimer;

class CToolTipCtrl : public QObject {
public:
    BOOL Create(QWidget* pParent);
    BOOL AddTool(QWidget* pTool, const QString& strText);
    void SetDelayTime(UINT nDelayMs);
    void Activate(BOOL bActivate);
    QString GetToolText(QWidget* pTool) const;
    UINT GetDelayTime() const { return m_nDelayMs; }
protected:
    bool eventFilter(QObject* pObj, QEvent* pEvent) override;
private:
    void ShowPending();
    std::map<QWidget*, QString> m_tools;
    QTimer* m_pTimer = nullptr;       // the delay; made by Create
    QWidget* m_pPending = nullptr;    // tool under the pointer, tip not yet shown
    UINT m_nDelayMs = 500;
    BOOL m_bActive = FALSE;
};
