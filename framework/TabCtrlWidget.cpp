#include "framework/TabCtrlWidget.h"

#include <QFrame>
#include <QTabBar>

CTabCtrlWidget::CTabCtrlWidget(QWidget* pParent) : QWidget(pParent) {
    m_pPane = new QFrame(this);
    m_pPane->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_pBar = new QTabBar(this);
    m_pBar->setFocusPolicy(Qt::StrongFocus);  // takes the focus when clicked
    m_pBar->setDrawBase(false);
    m_pBar->setExpanding(false);
    connect(m_pBar, &QTabBar::currentChanged, this, [this](int nIndex) {
        if (!m_bSilent)
            emit selectionChanged(nIndex);
    });
    LayOut();
}

int CTabCtrlWidget::InsertTab(int nIndex, const QString& strText) {
    if (nIndex < 0)
        return -1;
    m_bSilent = true;
    const int nAt = m_pBar->insertTab(std::min(nIndex, m_pBar->count()), strText);
    m_bSilent = false;
    LayOut();
    return nAt;
}

int CTabCtrlWidget::SetCurrentSilently(int nIndex) {
    const int nPrevious = m_pBar->currentIndex();
    if (nIndex < 0 || nIndex >= m_pBar->count())
        return -1;
    m_bSilent = true;
    m_pBar->setCurrentIndex(nIndex);
    m_bSilent = false;
    return nPrevious;
}

QRect CTabCtrlWidget::PageRect() const {
    return m_pPane->geometry().adjusted(1, 1, -1, -1);
}

void CTabCtrlWidget::resizeEvent(QResizeEvent* pEvent) {
    QWidget::resizeEvent(pEvent);
    LayOut();
}

void CTabCtrlWidget::LayOut() {
    const int nBarHeight = m_pBar->sizeHint().height();
    m_pBar->setGeometry(0, 0, width(), nBarHeight);
    m_pPane->setGeometry(0, nBarHeight, width(), std::max(0, height() - nBarHeight));
    m_pPane->lower();
}
