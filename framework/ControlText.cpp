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

static void InsertAtEnd(QPlainTextEdit* pEdit, const QString& strAdd) {
    QTextCursor cursor(pEdit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToShown(strAdd));
    // As after a full rewrite: a program write is not something to undo.
    pEdit->document()->clearUndoRedoStacks();
}

// The box shows exactly the written text, and that text can grow at its end
// in place (a lone "\r" at the end would pair with a leading "\n").
static bool CanAppendInPlace(const QPlainTextEdit* pEdit) {
    if (!ShowsWrittenText(pEdit))
        return false;
    const QString strOld = pEdit->property(kWrittenText).toString();
    return !strOld.isEmpty() && !strOld.endsWith(QLatin1Char('\r'));
}

// Logs grow by appending: when the box still shows exactly what was last
// written and the new text only adds to its end, insert just the addition
// instead of rebuilding the whole document (which costs more with every line).
static bool AppendInPlace(QPlainTextEdit* pEdit, const QString& strText) {
    if (!CanAppendInPlace(pEdit))
        return false;
    const QString strOld = pEdit->property(kWrittenText).toString();
    if (!strText.startsWith(strOld))
        return false;
    InsertAtEnd(pEdit, strText.mid(strOld.size()));
    return true;
}

// The written text, taken off the control so that changing it copies
// nothing (the control's reference was the only other one).
static QString TakeWrittenText(QPlainTextEdit* pEdit) {
    QString strWritten = pEdit->property(kWrittenText).toString();
    pEdit->setProperty(kWrittenText, QVariant());
    return strWritten;
}

static void PutWrittenText(QPlainTextEdit* pEdit, const QString& strWritten) {
    pEdit->setProperty(kWrittenText, strWritten);
    pEdit->setProperty(kEditedSince, false);
}

static void SetPlainText(QPlainTextEdit* pEdit, const QString& strText) {
    WatchEdits(pEdit);
    // Programmatic text is not an operator edit: no change notification.
    pEdit->setProperty(kSilentChange, true);
    if (!AppendInPlace(pEdit, strText))
        pEdit->setPlainText(ToShown(strText));
    pEdit->setProperty(kSilentChange, false);
    PutWrittenText(pEdit, strText);
}

void AppendControlText(QWidget* pCtl, const QString& strAdd) {
    auto* pEdit = qobject_cast<QPlainTextEdit*>(pCtl);
    if (!pEdit || !CanAppendInPlace(pEdit)) {
        if (pCtl)
            SetControlText(pCtl, GetControlText(pCtl) + strAdd);
        return;
    }
    QString strWritten = TakeWrittenText(pEdit);
    strWritten += strAdd;
    pEdit->setProperty(kSilentChange, true);
    InsertAtEnd(pEdit, strAdd);
    pEdit->setProperty(kSilentChange, false);
    PutWrittenText(pEdit, strWritten);
}

// Length of the first nLines lines, line ends included, counted as the box
// splits them: at "\n", "\r\n" and a lone "\r".
static qsizetype LeadingLinesLength(const QString& strText, int nLines) {
    qsizetype i = 0;
    for (int n = 0; n < nLines && i < strText.size(); ++n) {
        while (i < strText.size() && strText[i] != QLatin1Char('\n') && strText[i] != QLatin1Char('\r'))
            ++i;
        if (i < strText.size() && strText[i] == QLatin1Char('\r'))
            ++i;
        if (i < strText.size() && strText[i] == QLatin1Char('\n'))
            ++i;
    }
    return i;
}

void DropLeadingLines(QWidget* pCtl, int nLines) {
    auto* pEdit = qobject_cast<QPlainTextEdit*>(pCtl);
    if (!pEdit || nLines <= 0)
        return;
    const bool bWritten = ShowsWrittenText(pEdit);
    QTextCursor cursor(pEdit->document());
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, nLines);
    pEdit->setProperty(kSilentChange, true);
    cursor.removeSelectedText();
    pEdit->document()->clearUndoRedoStacks();
    pEdit->setProperty(kSilentChange, false);
    if (!bWritten)
        return;
    QString strWritten = TakeWrittenText(pEdit);
    strWritten.remove(0, LeadingLinesLength(strWritten, nLines));
    PutWrittenText(pEdit, strWritten);
}

bool IsTextEditedSinceWrite(const QWidget* pCtl) {
    auto* pEdit = qobject_cast<const QPlainTextEdit*>(pCtl);
    if (!pEdit)
        return false;
    if (!pEdit->property(kWrittenText).isValid())
        return !pEdit->document()->isEmpty();
    return pEdit->property(kEditedSince).toBool();
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
