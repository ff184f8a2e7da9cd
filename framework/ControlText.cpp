#include "ControlText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

// A multi-line edit shows "\n" where the dialog code writes "\r\n". The text
// last written is kept on the control, so that reading it back before the
// operator changed anything returns exactly what was written, lone "\r" or
// "\n" included.
static const char* const kWrittenText = "corvaneWrittenText";
extern const char* const kSilentChange;
const char* const kSilentChange = "corvaneSilentChange";

static QString ToCrLf(const QString& strShown) {
    QString str = strShown;
    str.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    str.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return str;
}

// Set while the operator (or anything but SetPlainText) changed the text
// since the last write; the written text is then no longer what is shown.
static const char* const kEditedSince = "corvaneEditedSince";

static void WatchEdits(QPlainTextEdit* pEdit) {
    if (pEdit->property(kWrittenText).isValid())
        return;
    QObject::connect(pEdit->document(), &QTextDocument::contentsChanged, pEdit,
                     [pEdit] { pEdit->setProperty(kEditedSince, true); });
}

static bool ShowsWrittenText(const QPlainTextEdit* pEdit) {
    return pEdit->property(kWrittenText).isValid() && !pEdit->property(kEditedSince).toBool();
}

static QString GetPlainText(const QPlainTextEdit* pEdit) {
    if (ShowsWrittenText(pEdit))
        return pEdit->property(kWrittenText).toString();
    return ToCrLf(pEdit->toPlainText());
}

static QString ToShown(const QString& strText) {
    QString strShown = strText;
    strShown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return strShown;
}

// Logs grow by appending: when the box still shows exactly what was last
// written and the new text only adds to its end, insert just the addition
// instead of rebuilding the whole document (which costs more with every line).
static bool AppendInPlace(QPlainTextEdit* pEdit, const QString& strText) {
    if (!ShowsWrittenText(pEdit))
        return false;
    const QString strOld = pEdit->property(kWrittenText).toString();
    if (strOld.isEmpty() || strOld.endsWith(QLatin1Char('\r')) || !strText.startsWith(strOld))
        return false;
    QTextCursor cursor(pEdit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToShown(strText.mid(strOld.size())));
    // As after a full rewrite: a program write is not something to undo.
    pEdit->document()->clearUndoRedoStacks();
    return true;
}

static void SetPlainText(QPlainTextEdit* pEdit, const QString& strText) {
    WatchEdits(pEdit);
    // Programmatic text is not an operator edit: no change notification.
    pEdit->setProperty(kSilentChange, true);
    if (!AppendInPlace(pEdit, strText))
        pEdit->setPlainText(ToShown(strText));
    pEdit->setProperty(kSilentChange, false);
    pEdit->setProperty(kWrittenText, strText);
    pEdit->setProperty(kEditedSince, false);
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
