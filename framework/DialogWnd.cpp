#include "framework/DialogWnd.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimerEvent>
#include <climits>

#include "framework/ControlText.h"
#include "framework/ScreenFit.h"
#include "framework/TabCtrlWidget.h"

CDialogWnd::CDialogWnd(IDialogEvents* pDlg, const DlgTemplate& tpl, QWidget* pParent, bool bChild)
    : QDialog(pParent), m_pDlg(pDlg), m_bChild(bChild) {
    if (bChild) {
        setWindowFlags(Qt::Widget);  // a page inside its parent, no frame
    } else {
        Qt::WindowFlags flags = pParent ? Qt::Dialog : Qt::Window;
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
        setWindowFlags(flags);
        setWindowTitle(QString::fromUtf8(tpl.pszCaption ? tpl.pszCaption : ""));
    }
    setObjectName(QStringLiteral("dialog%1").arg(tpl.nId));
    setSizeGripEnabled(false);
    // A top-level window shrinks to fit its screen; a page shrinks as much as
    // the window it sits in, so that it still fills its place there.
    const DlgBaseUnits units = TemplateBaseUnits(tpl);
    const QRect rcAvail = bChild ? QRect() : AvailableScreenArea();
    if (bChild) {
        auto* pOuter = pParent ? qobject_cast<CDialogWnd*>(pParent->window()) : nullptr;
        m_dScale = pOuter ? pOuter->m_dScale : 1.0;
        m_units = DlgBaseUnits{units.dAvgCharWidth * m_dScale, units.dCharHeight * m_dScale};
    } else {
        m_units = FitUnitsToArea(units, tpl.cx, tpl.cy, rcAvail);
        m_dScale = m_units.dCharHeight / units.dCharHeight;
    }
    setFont(FitFontToUnits(DialogFont(tpl), m_units));
    const QSize size = DialogUnitsToPixels(m_units, 0, 0, tpl.cx, tpl.cy).size();
    if (bChild) {
        resize(size);
    } else {
        setFixedSize(size);  // modal frame: not resizable
        if (!pParent)
            PlaceOnScreen(rcAvail);
    }
    BuildControls(tpl);
}

// Centred on the screen's available area. Qt would centre the client area
// only once the window exists, without its frame, and pin a window taller
// than the area to its top edge: the title bar went above the screen. A
// position given before the window exists is that of the frame, which the
// window manager then keeps on the screen.
void CDialogWnd::PlaceOnScreen(const QRect& rcAvail) {
    if (rcAvail.isEmpty())
        return;
    const QPoint ptFrame = CentredFramePos(size(), rcAvail);
    if (testAttribute(Qt::WA_WState_Created))
        move(ptFrame + QPoint(FRAME_ALLOWANCE.left(), FRAME_ALLOWANCE.top()));  // the client area, then
    else
        move(ptFrame);
}

CDialogWnd::~CDialogWnd() {
    if (m_pDlg)
        m_pDlg->OnWindowGone(this);
}

void CDialogWnd::BuildControls(const DlgTemplate& tpl) {
    m_controls.reserve(tpl.controls.size());
    for (const CtrlTemplate& ctrl : tpl.controls) {
        QWidget* pCtrl = CreateControl(ctrl, m_units, this);
        if (!pCtrl)
            continue;
        m_controls.emplace_back(&ctrl, pCtrl);
        if (ctrl.nId != -1)
            m_items.emplace(ctrl.nId, pCtrl);  // the first of equal IDs wins
        Wire(ctrl, pCtrl);
    }
    MakeRadioGroups();
}

void CDialogWnd::Wire(const CtrlTemplate& ctrl, QWidget* pCtrl) {
    const int nId = ctrl.nId;
    if (auto* pButton = qobject_cast<QAbstractButton*>(pCtrl)) {
        // clicked: the operator or click(), never a programmatic setChecked.
        connect(pButton, &QAbstractButton::clicked, this, [this, nId] { Command(nId, BN_CLICKED); });
    } else if (auto* pCombo = qobject_cast<QComboBox*>(pCtrl)) {
        // activated: the operator chose a list item (not SetCurSel, not typing).
        // An editable combo would also report it when typed text that equals
        // an item is confirmed (focus leaves, Enter): typing must not choose.
        if (QLineEdit* pEdit = pCombo->lineEdit()) {
            disconnect(pEdit, &QLineEdit::editingFinished, pCombo, nullptr);
            disconnect(pEdit, &QLineEdit::returnPressed, pCombo, nullptr);
        }
        connect(pCombo, &QComboBox::activated, this, [this, nId] { Command(nId, CBN_SELCHANGE); });
    } else if (auto* pTab = qobject_cast<CTabCtrlWidget*>(pCtrl)) {
        connect(pTab, &CTabCtrlWidget::selectionChanged, this, [this, nId] { Command(nId, TCN_SELCHANGE); });
    } else if (auto* pLine = qobject_cast<QLineEdit*>(pCtrl)) {
        connect(pLine, &QLineEdit::textEdited, this, [this, nId] { Command(nId, EN_CHANGE); });
    } else if (auto* pText = qobject_cast<QPlainTextEdit*>(pCtrl)) {
        connect(pText, &QPlainTextEdit::textChanged, this, [this, nId, pText] {
            if (!IsSilentTextChange(pText))
                Command(nId, EN_CHANGE);
        });
    }
}

// Radio groups run from a control with the group style to the next one;
// controls of other kinds in between do not end a group. Each group is an
// exclusive button group, so checking one radio unchecks the others.
void CDialogWnd::MakeRadioGroups() {
    QButtonGroup* pGroup = nullptr;
    for (const auto& [pTpl, pCtrl] : m_controls) {
        if (pTpl->nStyle & CS_GROUP)
            pGroup = nullptr;
        if (pTpl->kind != CK_RADIO)
            continue;
        if (!pGroup)
            pGroup = new QButtonGroup(this);
        auto* pRadio = static_cast<QAbstractButton*>(pCtrl);
        pGroup->addButton(pRadio);
        m_radioGroups[pCtrl] = pGroup;
    }
}

QWidget* CDialogWnd::Item(int nId) const {
    const auto it = m_items.find(nId);
    return it == m_items.end() ? nullptr : it->second;
}

std::vector<QAbstractButton*> CDialogWnd::RadioGroup(int nFirstId) const {
    std::vector<QAbstractButton*> radios;
    bool bInGroup = false;
    for (const auto& [pTpl, pCtrl] : m_controls) {
        if (!bInGroup) {
            bInGroup = pTpl->nId == nFirstId && pTpl->kind == CK_RADIO;
        } else if (pTpl->nStyle & CS_GROUP) {
            break;
        }
        if (bInGroup && pTpl->kind == CK_RADIO)
            radios.push_back(static_cast<QAbstractButton*>(pCtrl));
    }
    return radios;
}

void CDialogWnd::CheckRadio(int nFirstId, int nIndex) {
    const std::vector<QAbstractButton*> radios = RadioGroup(nFirstId);
    for (QAbstractButton* pRadio : radios) {
        // An exclusive group refuses to uncheck its checked button; lift
        // that for the moment so that "none checked" can be shown.
        auto it = m_radioGroups.find(pRadio);
        QButtonGroup* pGroup = it == m_radioGroups.end() ? nullptr : it->second;
        if (pGroup)
            pGroup->setExclusive(false);
        pRadio->setChecked(false);
        if (pGroup)
            pGroup->setExclusive(true);
    }
    if (nIndex >= 0 && nIndex < static_cast<int>(radios.size()))
        radios[nIndex]->setChecked(true);
}

void CDialogWnd::StartTimer(UINT nIdEvent, int nMs) {
    StopTimer(nIdEvent);
    // Like window timers: at least 10 ms, so a zero period cannot spin.
    nMs = std::max(10, nMs);
    const int nQtId = startTimer(nMs, Qt::PreciseTimer);
    if (nQtId != 0)
        m_timers[nIdEvent] = Timer{nQtId, nMs};
}

bool CDialogWnd::StopTimer(UINT nIdEvent) {
    const auto it = m_timers.find(nIdEvent);
    if (it == m_timers.end())
        return false;
    killTimer(it->second.nQtId);
    m_timers.erase(it);
    return true;
}

int CDialogWnd::TimerInterval(UINT nIdEvent) const {
    const auto it = m_timers.find(nIdEvent);
    return it == m_timers.end() ? -1 : it->second.nMs;
}

void CDialogWnd::timerEvent(QTimerEvent* pEvent) {
    for (const auto& [nIdEvent, timer] : m_timers) {
        if (timer.nQtId == pEvent->timerId()) {
            const UINT nId = nIdEvent;  // the handler may change m_timers
            if (m_pDlg)
                m_pDlg->OnTimer(nId);
            return;
        }
    }
    QDialog::timerEvent(pEvent);
}

void CDialogWnd::Command(int nId, int nNotify) {
    if (!m_pDlg)
        return;
    if (nNotify == BN_CLICKED && nId == IDOK)
        m_pDlg->OnOK();
    else if (nNotify == BN_CLICKED && nId == IDCANCEL)
        m_pDlg->OnCancel();
    else
        m_pDlg->OnCommand(nId, nNotify);
}

// Enter: a focused push button is pressed; otherwise the default push button,
// or IDOK when there is none. On a page this goes to the page's own OnOK and
// stops there; the window around the page never sees the key.
void CDialogWnd::OnEnter() {
    if (auto* pFocus = qobject_cast<QPushButton*>(focusWidget()); pFocus && isAncestorOf(pFocus)) {
        if (pFocus->isEnabled())
            pFocus->click();
        return;
    }
    for (const auto& [pTpl, pCtrl] : m_controls) {
        if ((pTpl->nStyle & CS_DEFPUSH) && pTpl->kind == CK_BUTTON) {
            if (IsControlEnabled(pCtrl))
                static_cast<QPushButton*>(pCtrl)->click();
            return;
        }
    }
    Command(IDOK, BN_CLICKED);
}

void CDialogWnd::keyPressEvent(QKeyEvent* pEvent) {
    const Qt::KeyboardModifiers mods = pEvent->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier) {
        switch (pEvent->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            pEvent->accept();
            OnEnter();
            return;
        case Qt::Key_Escape:
            pEvent->accept();
            Command(IDCANCEL, BN_CLICKED);
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(pEvent);  // not QDialog's: it would close the window itself
}

void CDialogWnd::closeEvent(QCloseEvent* pEvent) {
    if (m_bChild || !m_pDlg || !isVisible()) {
        pEvent->accept();
        return;
    }
    // The window closes only if the dialog's close handler ends it.
    m_pDlg->OnClose();
    if (isVisible())
        pEvent->ignore();
    else
        pEvent->accept();
}

void CDialogWnd::reject() {
    if (m_pDlg)
        m_pDlg->OnCancel();
    else
        QDialog::reject();
}

void CDialogWnd::accept() {
    if (m_pDlg)
        m_pDlg->OnOK();
    else
        QDialog::accept();
}

void CDialogWnd::contextMenuEvent(QContextMenuEvent* pEvent) {
    if (m_pDlg)
        m_pDlg->OnContextMenu(pEvent->globalPos());
    pEvent->accept();
}
