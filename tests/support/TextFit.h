#pragma once
// Controls whose text needs more room than they have (what the eye would
// call clipped): the extent of the text, with what the control draws beside
// it (frame, indicator, arrow), against the control's size. Only controls with an ID that are shown
// within pWnd count.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSize>
#include <QStringList>
#include <QStyle>
#include <QWidget>

// A check box or radio button: its indicator, the gap, the text.
inline QSize IndicatorAndText(QWidget* p, const QString& strText, QStyle::PixelMetric indicator,
                              QStyle::PixelMetric spacing) {
    const int nIndicator = p->style()->pixelMetric(indicator, nullptr, p);
    const int nSpacing = p->style()->pixelMetric(spacing, nullptr, p);
    return QSize(nIndicator + nSpacing + p->fontMetrics().horizontalAdvance(strText), p->fontMetrics().height());
}

inline QSize TextNeeds(QWidget* p, QString& strText) {
    if (auto* pEdit = qobject_cast<QLineEdit*>(p)) {
        strText = pEdit->text();
        return QSize(pEdit->fontMetrics().horizontalAdvance(strText) + 8, pEdit->fontMetrics().height() + 4);
    }
    if (auto* pCombo = qobject_cast<QComboBox*>(p)) {
        strText = pCombo->currentText();
        return QSize(pCombo->fontMetrics().horizontalAdvance(strText) + 28, pCombo->fontMetrics().height() + 4);
    }
    if (auto* pPush = qobject_cast<QPushButton*>(p)) {
        // Not the size hint: the style asks for 80 px minimum width.
        strText = pPush->text();
        return QSize(pPush->fontMetrics().horizontalAdvance(strText) + 8, pPush->fontMetrics().height() + 2);
    }
    if (auto* pCheck = qobject_cast<QCheckBox*>(p)) {
        strText = pCheck->text();
        return IndicatorAndText(p, strText, QStyle::PM_IndicatorWidth, QStyle::PM_CheckBoxLabelSpacing);
    }
    if (auto* pRadio = qobject_cast<QRadioButton*>(p)) {
        strText = pRadio->text();
        return IndicatorAndText(p, strText, QStyle::PM_ExclusiveIndicatorWidth, QStyle::PM_RadioButtonLabelSpacing);
    }
    if (auto* pLabel = qobject_cast<QLabel*>(p)) {
        // The glyphs themselves, not the font's line height.
        strText = pLabel->text();
        return pLabel->fontMetrics().tightBoundingRect(strText).size() + QSize(2, 2);
    }
    if (auto* pGroup = qobject_cast<QGroupBox*>(p)) {
        strText = pGroup->title();
        return QSize(pGroup->fontMetrics().horizontalAdvance(strText) + 8, 0);
    }
    return QSize();
}

// One line per clipped control: "<id> \"<text>\" is WxH, needs WxH".
inline QStringList ClippedTexts(QWidget* pWnd) {
    QStringList aClipped;
    for (QWidget* p : pWnd->findChildren<QWidget*>()) {
        if (!p->isVisibleTo(pWnd) || p->objectName().isEmpty()) continue;
        QString strText;
        const QSize need = TextNeeds(p, strText);
        if (strText.isEmpty() || (need.width() <= p->width() && need.height() <= p->height())) continue;
        aClipped << QStringLiteral("%1 \"%2\" is %3x%4, needs %5x%6")
                        .arg(p->objectName(), strText)
                        .arg(p->width())
                        .arg(p->height())
                        .arg(need.width())
                        .arg(need.height());
    }
    return aClipped;
}
