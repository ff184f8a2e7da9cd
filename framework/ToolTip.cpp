#include "framework/ToolTip.h"

#include <QCursor>
#include <QEvent>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

// The tip of a tool shows when the pointer has rested on it for the delay
// time. Qt's own tooltip event is swallowed for tools, so that only this
// delay applies; the text is still set as the widget's tooltip, where
// accessibility tools read it.

BOOL CToolTipCtrl::Create(QWidget* pParent) {
    // Not made a child of pParent: the object belongs to its owner (often a
    // global page object), never to the window.
    (void)pParent;
    if (!m_pTimer) {
        m_pTimer = new QTimer(this);
        m_pTimer->setSingleShot(true);
        connect(m_pTimer, &QTimer::timeout, this, [this] { ShowPending(); });
    }
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(QWidget* pTool, const QString& strText) {
    if (!pTool)
        return FALSE;
    if (!m_pTimer)
        Create(nullptr);
    if (m_tools.find(pTool) == m_tools.end()) {
        pTool->installEventFilter(this);
        connect(pTool, &QObject::destroyed, this, [this, pTool] {
            m_tools.erase(pTool);
            if (m_pPending == pTool)
                m_pPending = nullptr;
        });
    }
    m_tools[pTool] = strText;
    pTool->setToolTip(strText);
    return TRUE;
}

void CToolTipCtrl::SetDelayTime(UINT nDelayMs) { m_nDelayMs = nDelayMs; }

void CToolTipCtrl::Activate(BOOL bActivate) {
    m_bActive = bActivate;
    if (!bActivate) {
        if (m_pTimer)
            m_pTimer->stop();
        m_pPending = nullptr;
        QToolTip::hideText();
    }
}

QString CToolTipCtrl::GetToolText(QWidget* pTool) const {
    const auto it = m_tools.find(pTool);
    return it == m_tools.end() ? QString() : it->second;
}

void CToolTipCtrl::ShowPending() {
    QWidget* pTool = m_pPending;
    m_pPending = nullptr;
    const auto it = m_tools.find(pTool);
    if (!m_bActive || !pTool || it == m_tools.end() || !pTool->isEnabled() || !pTool->isVisible())
        return;
    QToolTip::showText(QCursor::pos(), it->second, pTool);
}

bool CToolTipCtrl::eventFilter(QObject* pObj, QEvent* pEvent) {
    auto* pTool = static_cast<QWidget*>(pObj);
    switch (pEvent->type()) {
    case QEvent::Enter:
        if (m_bActive && m_pTimer) {
            m_pPending = pTool;
            m_pTimer->start(static_cast<int>(std::min<UINT>(m_nDelayMs, 60000)));
        }
        break;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
        if (m_pPending == pTool) {
            m_pPending = nullptr;
            m_pTimer->stop();
        }
        if (pEvent->type() != QEvent::MouseButtonPress)
            QToolTip::hideText();
        break;
    case QEvent::ToolTip:
        return true;  // shown by the delay above, not by Qt's own timing
    default:
        break;
    }
    return QObject::eventFilter(pObj, pEvent);
}
