#include "framework/DialogLayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

#include "framework/IPAddressCtrl.h"
#include "framework/TabCtrlWidget.h"

// Faces that hold Latin and CJK glyphs alike (WenQuanYi: fonts-wqy-zenhei, the
// package's dependency; the others where a desktop brings them), so that one
// face draws every text, "关于" included. DejaVu Sans is the last resort for
// the Latin texts: without it fontconfig may hand out any face it has, a
// serif or a mathematical one.
static const QStringList& DialogFamilies() {
    static const QStringList families = {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei"),
                                         QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback"),
                                         QStringLiteral("DejaVu Sans")};
    return families;
}

QFont DialogFont(const DlgTemplate& tpl) {
    QFont font = QApplication::font();
    font.setFamilies(DialogFamilies());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(TemplateEmPixels(tpl));
    return font;
}

int TemplateEmPixels(const DlgTemplate& tpl) {
    constexpr int DEFAULT_POINT_SIZE = 8;  // what a template without a size gets
    const int nPoints = tpl.nPointSize > 0 ? tpl.nPointSize : DEFAULT_POINT_SIZE;
    return static_cast<int>(std::lround(nPoints * 96.0 / 72.0));
}

DlgBaseUnits TemplateBaseUnits(const DlgTemplate& tpl) {
    const double dEm = TemplateEmPixels(tpl);
    return DlgBaseUnits{dEm / 2, dEm};
}

static double AverageCharWidth(const QFont& font) {
    return QFontMetricsF(font).horizontalAdvance(
               QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
           52.0;
}

QFont FitFontToUnits(QFont font, const DlgBaseUnits& units) {
    constexpr int MIN_PIXEL_SIZE = 8;
    int nPixels = QFontInfo(font).pixelSize();
    while ((QFontMetrics(font).height() > units.dCharHeight || AverageCharWidth(font) > units.dAvgCharWidth) &&
           nPixels > MIN_PIXEL_SIZE)
        font.setPixelSize(--nPixels);
    return font;
}

static int ToPixels(int nUnits, double dUnitPixels) { return static_cast<int>(std::lround(nUnits * dUnitPixels)); }

QRect DialogUnitsToPixels(const DlgBaseUnits& units, int x, int y, int cx, int cy) {
    const double dX = units.dAvgCharWidth / 4;
    const double dY = units.dCharHeight / 8;
    const int nLeft = ToPixels(x, dX);
    const int nTop = ToPixels(y, dY);
    const int nRight = ToPixels(x + cx, dX);
    const int nBottom = ToPixels(y + cy, dY);
    return QRect(nLeft, nTop, nRight - nLeft, nBottom - nTop);
}

static Qt::Alignment TextAlignment(UINT nStyle) {
    Qt::Alignment align = (nStyle & CS_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    align |= (nStyle & CS_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    return align;
}

static QWidget* MakeStatic(const CtrlTemplate& ctrl, const QString& strText, QWidget* pParent) {
    auto* pLabel = new QLabel(strText, pParent);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setAlignment(TextAlignment(ctrl.nStyle));
    if (ctrl.nStyle & CS_SUNKEN)
        pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    else if (ctrl.nStyle & CS_BORDER)
        pLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    return pLabel;
}

static QWidget* MakeEdit(const CtrlTemplate& ctrl, QWidget* pParent) {
    const UINT s = ctrl.nStyle;
    if (s & CS_MULTILINE) {
        auto* pEdit = new QPlainTextEdit(pParent);
        pEdit->setTabChangesFocus(true);
        pEdit->setReadOnly(s & CS_READONLY);
        // Lines wrap at the box's width even where the template asks for a
        // horizontal scroll bar: the logs keep following their last line, so
        // a line longer than the box ("... has not answered (wrong port or
        // cable?)") would otherwise show only its start.
        pEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        pEdit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        pEdit->setVerticalScrollBarPolicy((s & CS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        pEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        if (!(s & (CS_BORDER | CS_SUNKEN)))
            pEdit->setFrameStyle(QFrame::NoFrame);
        return pEdit;
    }
    auto* pEdit = new QLineEdit(pParent);
    pEdit->setReadOnly(s & CS_READONLY);
    pEdit->setFrame(s & (CS_BORDER | CS_SUNKEN));
    pEdit->setAlignment((s & CS_CENTER) ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
    return pEdit;
}

static QWidget* MakeCombo(const CtrlTemplate& ctrl, QWidget* pParent) {
    auto* pCombo = new QComboBox(pParent);
    if (ctrl.nStyle & CS_DROPDOWN) {
        pCombo->setEditable(true);
        pCombo->setInsertPolicy(QComboBox::NoInsert);  // typing never adds items
    }
    pCombo->setProperty("corvaneSorted", bool(ctrl.nStyle & CS_SORT));
    return pCombo;
}

static QWidget* MakeWidget(const CtrlTemplate& ctrl, QWidget* pParent) {
    const QString strText = QString::fromUtf8(ctrl.pszText ? ctrl.pszText : "");
    switch (ctrl.kind) {
    case CK_GROUPBOX: {
        auto* pBox = new QGroupBox(strText, pParent);
        if (ctrl.nStyle & CS_CENTER)
            pBox->setAlignment(Qt::AlignHCenter);
        return pBox;
    }
    case CK_STATIC:
        return MakeStatic(ctrl, strText, pParent);
    case CK_BUTTON: {
        auto* pButton = new QPushButton(strText, pParent);
        pButton->setAutoDefault(false);  // Enter is handled by the dialog
        pButton->setDefault(ctrl.nStyle & CS_DEFPUSH);
        return pButton;
    }
    case CK_CHECKBOX:
        return new QCheckBox(strText, pParent);
    case CK_RADIO:
        return new QRadioButton(strText, pParent);
    case CK_EDIT: {
        QWidget* pEdit = MakeEdit(ctrl, pParent);
        return pEdit;
    }
    case CK_COMBO:
        return MakeCombo(ctrl, pParent);
    case CK_TAB:
        return new CTabCtrlWidget(pParent);
    case CK_IPADDRESS:
        return new CIPAddressCtrl(pParent);
    }
    return nullptr;
}

// Keyboard focus follows the tab stops; kinds that take the focus by
// default (buttons, edits, combos) keep it even when the template omits it.
static void ApplyFocusPolicy(const CtrlTemplate& ctrl, QWidget* pCtrl) {
    switch (ctrl.kind) {
    case CK_GROUPBOX:
    case CK_STATIC:
        pCtrl->setFocusPolicy(Qt::NoFocus);
        break;
    case CK_RADIO:
        pCtrl->setFocusPolicy((ctrl.nStyle & (CS_TABSTOP | CS_GROUP)) ? Qt::StrongFocus : Qt::ClickFocus);
        break;
    default:
        break;
    }
}

QWidget* CreateControl(const CtrlTemplate& ctrl, const DlgBaseUnits& units, QWidget* pParent) {
    QWidget* pCtrl = MakeWidget(ctrl, pParent);
    if (!pCtrl)
        return nullptr;
    if (ctrl.nId != -1)
        pCtrl->setObjectName(QString::number(ctrl.nId));
    ApplyFocusPolicy(ctrl, pCtrl);

    QRect rc = DialogUnitsToPixels(units, ctrl.x, ctrl.y, ctrl.cx, ctrl.cy);
    if (auto* pCombo = qobject_cast<QComboBox*>(pCtrl)) {
        // The template height of a combo is its dropped-down list; the
        // closed box is one line high.
        const int nBoxHeight = pCombo->sizeHint().height();
        const int nItemHeight = std::max(1, QFontMetrics(pCombo->font()).height());
        pCombo->setMaxVisibleItems(std::max(1, (rc.height() - nBoxHeight) / nItemHeight));
        rc.setHeight(nBoxHeight);
    }
    pCtrl->setGeometry(rc);
    if (ctrl.kind == CK_GROUPBOX) {
        // A group box is only a frame behind the controls it surrounds, even
        // when it is created after them.
        pCtrl->setAttribute(Qt::WA_TransparentForMouseEvents);
        pCtrl->lower();
    }
    if (ctrl.nStyle & CS_DISABLED)
        pCtrl->setEnabled(false);
    if (ctrl.nStyle & CS_HIDDEN)
        pCtrl->hide();
    return pCtrl;
}
