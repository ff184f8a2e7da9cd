#pragma once
// The tab control: a row of tabs on top of a frame. Pages are children of
// this widget and are moved into PageRect() by their owner. Selecting a tab
// by hand emits selectionChanged; programmatic changes do not.
#include <QRect>
#include <QWidget>

class QTabBar;
class QFrame;

class CTabCtrlWidget : public QWidget {
    Q_OBJECT
public:
    explicit CTabCtrlWidget(QWidget* pParent = nullptr);
    QTabBar* TabBar() const { return m_pBar; }
    int InsertTab(int nIndex, const QString& strText);
    int SetCurrentSilently(int nIndex);
    QRect PageRect() const;
signals:
    void selectionChanged(int nIndex);
protected:
    void resizeEvent(QResizeEvent* pEvent) override;
private:
    void LayOut();
    QTabBar* m_pBar;
    QFrame* m_pPane;
    bool m_bSilent = false;
};
