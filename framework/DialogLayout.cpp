#include "DialogLayout.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

#include "IPAddressCtrl.h"
#include "TabCtlWidget.h"

QFont DialogFont(const DlgTemplate& tpl) {
    const QString strFace = QString::fromUtf8(tpl.pszFont ? tpl.pszFont : "");
    QFont font = QApplication::font();
    if (strFace.isEmpty() || strFace.compare("System", Qt::CaseInsensitive) == 0 ||
        strFace.compare("MS Shell Dlg", Qt::CaseInsensitive) == 0) {
        // The default user-interface font stands in for the system font.
    } else if (strFace == QStringLiteral("宋体") || strFace.compare("SimSun", Qt::CaseInsensitive) == 0) {
        // SimSun is rarely installed here; take the first CJK face that is.
        font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei"),
                          QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback")});
    } else {
        font.setFamilies({strFace});
    }
    if (tpl.nPointSize > 0)
        font.setPointSize(tpl.nPointSize);
    return font;
}

DlgBaseUnits BaseUnitsOf(const QFont& font) {
    // The average width is taken over the 52 letters, rounded. The height is
    // twice that, the proportion of the faces the templates are drawn with:
    // a stand-in face with a taller line (CJK fallbacks are about 1.3 em)
    // would otherwise stretch every window vertically.
    const QFontMetrics fm(font);
    const int nWidth52 = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DlgBaseUnits units;
    units.nAvgCharWidth = std::max(1, (nWidth52 / 26 + 1) / 2);
    units.nCharHeight = 2 * units.nAvgCharWidth;
    return units;
}

QFont FitFontToUnits(QFont font, const DlgBaseUnits& units) {
    constexpr int MIN_PIXEL_SIZE = 8;
    int nPixels = QFontInfo(font).pixelSize();
    while (QFontMetrics(font).height() > units.nCharHeight && nPixels > MIN_PIXEL_SIZE)
        font.setPixelSize(--nPixels);
    return font;
}

static int MulDiv(int nValue, int nMul, int nDiv) {
    return static_cast<int>(std::lround(static_cast<double>(nValue) * nMul / nDiv));
}

QRect DialogUnitsToPixels(const DlgBaseUnits& units, int x, int y, int cx, int cy) {
    const int nLeft = MulDiv(x, units.nAvgCharWidth, 4);
    const int nTop = MulDiv(y, units.nCharHeight, 8);
    const int nRight = MulDiv(x + cx, units.nAvgCharWidth, 4);
    const int nBottom = MulDiv(y + cy, units.nCharHeight, 8);
    return QRect(nLeft, nTop, nRight - nLeft, nBottom - nTop);
}

static Qt::Alignment TextAlignment(UINT nStyle) {
    Qt::Alignment align = (nStyle & CS_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    align |= (nStyle & CS_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    return align;
}

static QWidget* MakeStatic(const CtlTemplate& ctl, const QString& strText, QWidget* pParent) {
    auto* pLabel = new QLabel(strText, pParent);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setAlignment(TextAlignment(ctl.nStyle));
    if (ctl.nStyle & CS_SUNKEN)
        pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    else if (ctl.nStyle & CS_BORDER)
        pLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    return pLabel;
}

static QWidget* MakeEdit(const CtlTemplate& ctl, QWidget* pParent) {
    const UINT s = ctl.nStyle;
    if (s & CS_MULTILINE) {
        auto* pEdit = new QPlainTextEdit(pParent);
        pEdit->setTabChangesFocus(true);
        pEdit->setReadOnly(s & CS_READONLY);
        pEdit->setLineWrapMode((s & (CS_HSCROLL | CS_AUTOHSCROLL)) ? QPlainTextEdit::NoWrap
                                                                    : QPlainTextEdit::WidgetWidth);
        pEdit->setVerticalScrollBarPolicy((s & CS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        pEdit->setHorizontalScrollBarPolicy((s & CS_HSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
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

static QWidget* MakeCombo(const CtlTemplate& ctl, QWidget* pParent) {
    auto* pCombo = new QComboBox(pParent);
    if (ctl.nStyle & CS_DROPDOWN) {
        pCombo->setEditable(true);
        pCombo->setInsertPolicy(QComboBox::NoInsert);  // typing never adds items
    }
    pCombo->setProperty("corvaneSorted", bool(ctl.nStyle & CS_SORT));
    return pCombo;
}

static QWidget* MakeWidget(const CtlTemplate& ctl, QWidget* pParent) {
    const QString strText = QString::fromUtf8(ctl.pszText ? ctl.pszText : "");
    switch (ctl.kind) {
    case CK_GROUPBOX: {
        auto* pBox = new QGroupBox(strText, pParent);
        if (ctl.nStyle & CS_CENTER)
            pBox->setAlignment(Qt::AlignHCenter);
        return pBox;
    }
    case CK_STATIC:
        return MakeStatic(ctl, strText, pParent);
    case CK_BUTTON: {
        auto* pButton = new QPushButton(strText, pParent);
        pButton->setAutoDefault(false);  // Enter is handled by the dialog
        pButton->setDefault(ctl.nStyle & CS_DEFPUSH);
        return pButton;
    }
    case CK_CHECKBOX:
        return new QCheckBox(strText, pParent);
    case CK_RADIO:
        return new QRadioButton(strText, pParent);
    case CK_EDIT: {
        QWidget* pEdit = MakeEdit(ctl, pParent);
        return pEdit;
    }
    case CK_COMBO:
        return MakeCombo(ctl, pParent);
    case CK_TAB:
        return new CTabCtlWidget(pParent);
    case CK_IPADDRESS:
        return new CIPAddressCtrl(pParent);
    }
    return nullptr;
}

// Keyboard focus follows the tab stops; kinds that take the focus by
// default (buttons, edits, combos) keep it even when the template omits it.
static void ApplyFocusPolicy(const CtlTemplate& ctl, QWidget* pCtl) {
    switch (ctl.kind) {
    case CK_GROUPBOX:
    case CK_STATIC:
        pCtl->setFocusPolicy(Qt::NoFocus);
        break;
    case CK_RADIO:
        pCtl->setFocusPolicy((ctl.nStyle & (CS_TABSTOP | CS_GROUP)) ? Qt::StrongFocus : Qt::ClickFocus);
        break;
    default:
        break;
    }
}

QWidget* CreateControl(const CtlTemplate& ctl, const DlgBaseUnits& units, QWidget* pParent) {
    QWidget* pCtl = MakeWidget(ctl, pParent);
    if (!pCtl)
        return nullptr;
    if (ctl.nId != -1)
        pCtl->setObjectName(QString::number(ctl.nId));
    ApplyFocusPolicy(ctl, pCtl);

    QRect rc = DialogUnitsToPixels(units, ctl.x, ctl.y, ctl.cx, ctl.cy);
    if (auto* pCombo = qobject_cast<QComboBox*>(pCtl)) {
        // The template height of a combo is its dropped-down list; the
        // closed box is one line high.
        const int nBoxHeight = pCombo->sizeHint().height();
        const int nItemHeight = std::max(1, QFontMetrics(pCombo->font()).height());
        pCombo->setMaxVisibleItems(std::max(1, (rc.height() - nBoxHeight) / nItemHeight));
        rc.setHeight(nBoxHeight);
    }
    pCtl->setGeometry(rc);
    if (ctl.kind == CK_GROUPBOX) {
        // A group box is only a frame behind the controls it surrounds, even
        // when it is created after them.
        pCtl->setAttribute(Qt::WA_TransparentForMouseEvents);
        pCtl->lower();
    }
    if (ctl.nStyle & CS_DISABLED)
        pCtl->setEnabled(false);
    if (ctl.nStyle & CS_HIDDEN)
        pCtl->hide();
    return pCtl;
}
