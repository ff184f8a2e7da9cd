#include "ControlText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

// A multi-line edit shows "\n" where the dialog code writes "\r\n". The text
// last written is kept on the control, so that reading it back before the
// operator changed anything returns exactly what was written, lone "\r" or
// "\n" included.
static const char* const kWrittenText = "corvaneWrittenText";
static const char* const kShownText = "corvaneShownText";
extern const char* const kSilentChange;
const char* const kSilentChange = "corvaneSilentChange";

static QString ToCrLf(const QString& strShown) {
    QString str = strShown;
    str.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    str.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return str;
}

static QString GetPlainText(const QPlainTextEdit* pEdit) {
    const QString strShown = pEdit->toPlainText();
    if (pEdit->property(kShownText).toString() == strShown && pEdit->property(kWrittenText).isValid())
        return pEdit->property(kWrittenText).toString();
    return ToCrLf(strShown);
}

static void SetPlainText(QPlainTextEdit* pEdit, const QString& strText) {
    QString strShown = strText;
    strShown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // Programmatic text is not an operator edit: no change notification.
    pEdit->setProperty(kSilentChange, true);
    pEdit->setPlainText(strShown);
    pEdit->setProperty(kSilentChange, false);
    pEdit->setProperty(kWrittenText, strText);
    pEdit->setProperty(kShownText, pEdit->toPlainText());
}

QString GetControlText(const QWidget* pCtl) {
    if (!pCtl)
        return QString();
    if (auto* p = qobject_cast<const QLineEdit*>(pCtl))
        return p->text();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(pCtl))
        return GetPlainText(p);
    if (auto* p = qobject_cast<const QLabel*>(pCtl))
        return p->text();
    if (auto* p = qobject_cast<const QAbstractButton*>(pCtl))
        return p->text();
    if (auto* p = qobject_cast<const QComboBox*>(pCtl))
        return p->currentText();
    if (auto* p = qobject_cast<const QGroupBox*>(pCtl))
        return p->title();
    return pCtl->windowTitle();
}

void SetControlText(QWidget* pCtl, const QString& strText) {
    if (!pCtl)
        return;
    if (auto* p = qobject_cast<QLineEdit*>(pCtl)) {
        p->setText(strText);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(pCtl)) {
        SetPlainText(p, strText);
    } else if (auto* p = qobject_cast<QLabel*>(pCtl)) {
        p->setText(strText);
    } else if (auto* p = qobject_cast<QAbstractButton*>(pCtl)) {
        p->setText(strText);
    } else if (auto* p = qobject_cast<QComboBox*>(pCtl)) {
        if (p->isEditable()) {
            p->setEditText(strText);
        } else {
            // A drop-down list can only show one of its items.
            const QSignalBlocker block(p);
            p->setCurrentIndex(p->findText(strText, Qt::MatchFixedString));
        }
    } else if (auto* p = qobject_cast<QGroupBox*>(pCtl)) {
        p->setTitle(strText);
    } else {
        pCtl->setWindowTitle(strText);
    }
}

bool IsControlEnabled(const QWidget* pCtl) {
    return pCtl && !pCtl->testAttribute(Qt::WA_Disabled);
}

bool IsControlShown(const QWidget* pCtl) {
    return pCtl && !pCtl->isHidden();
}
