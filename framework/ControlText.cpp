#include "framework/ControlText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <unordered_map>

// A multi-line edit shows "\n" where the dialog code writes "\r\n". The text
// last written is kept beside the control, so that reading it back before
// the operator changed anything returns exactly what was written, lone "\r"
// or "\n" included. The state sits in a table keyed by the control rather
// than in dynamic properties: logs are written for every reply, and a
// property lookup by name costs more than the append itself.
namespace {

struct PlainTextState {
    QString strWritten;         // the text last written by the program
    bool bWritten = false;      // strWritten holds it (nothing written yet otherwise)
    bool bEditedSince = false;  // changed by anything but the program's writes since
    bool bSilent = false;       // a program write is under way
};

std::unordered_map<const QPlainTextEdit*, PlainTextState>& States() {
    static std::unordered_map<const QPlainTextEdit*, PlainTextState> states;
    return states;
}

PlainTextState* FindState(const QPlainTextEdit* pEdit) {
    const auto it = States().find(pEdit);
    return it == States().end() ? nullptr : &it->second;
}

// The control's state, made on first use; it goes with the control. Any
// change of the document marks it edited; the program's writes clear the
// mark afterwards.
PlainTextState& StateOf(QPlainTextEdit* pEdit) {
    const auto [it, bNew] = States().try_emplace(pEdit);
    if (bNew) {
        PlainTextState* pState = &it->second;  // nodes of the table stay put
        QObject::connect(pEdit->document(), &QTextDocument::contentsChanged, pEdit,
                         [pState] { pState->bEditedSince = true; });
        QObject::connect(pEdit, &QObject::destroyed, [pEdit] { States().erase(pEdit); });
    }
    return it->second;
}

// Marks a program write for the time it runs.
class SilentWrite {
public:
    explicit SilentWrite(PlainTextState& state) : m_state(state) { m_state.bSilent = true; }
    ~SilentWrite() { m_state.bSilent = false; }
    SilentWrite(const SilentWrite&) = delete;
    SilentWrite& operator=(const SilentWrite&) = delete;

private:
    PlainTextState& m_state;
};

}  // namespace

static QString ToCrLf(const QString& strShown) {
    QString str = strShown;
    str.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    str.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return str;
}

static bool ShowsWrittenText(const PlainTextState* pState) {
    return pState && pState->bWritten && !pState->bEditedSince;
}

static QString GetPlainText(const QPlainTextEdit* pEdit) {
    const PlainTextState* pState = FindState(pEdit);
    if (ShowsWrittenText(pState))
        return pState->strWritten;
    return ToCrLf(pEdit->toPlainText());
}

static QString ToShown(const QString& strText) {
    if (!strText.contains(QLatin1Char('\r')))
        return strText;
    QString strShown = strText;
    strShown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return strShown;
}

static void InsertAtEnd(QPlainTextEdit* pEdit, const QString& strAdd) {
    // As after a full rewrite: a program write is not something to undo, and
    // what the operator typed before it can no longer be undone either.
    // Switching undo off for the write clears the history and spares
    // recording a step only to throw it away.
    QTextDocument* pDoc = pEdit->document();
    const bool bUndo = pDoc->isUndoRedoEnabled();
    pDoc->setUndoRedoEnabled(false);
    QTextCursor cursor(pDoc);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToShown(strAdd));
    pDoc->setUndoRedoEnabled(bUndo);
}

// The box shows exactly the written text, and that text can grow at its end
// in place (a lone "\r" at the end would pair with a leading "\n").
static bool CanAppendInPlace(const PlainTextState& state) {
    return ShowsWrittenText(&state) && !state.strWritten.isEmpty() && !state.strWritten.endsWith(QLatin1Char('\r'));
}

// Logs grow by appending: when the box still shows exactly what was last
// written and the new text only adds to its end, insert just the addition
// instead of rebuilding the whole document (which costs more with every line).
static bool AppendInPlace(QPlainTextEdit* pEdit, PlainTextState& state, const QString& strText) {
    if (!CanAppendInPlace(state) || !strText.startsWith(state.strWritten))
        return false;
    InsertAtEnd(pEdit, strText.mid(state.strWritten.size()));
    return true;
}

static void PutWrittenText(PlainTextState& state, QString strWritten) {
    state.strWritten = std::move(strWritten);
    state.bWritten = true;
    state.bEditedSince = false;
}

static void SetPlainText(QPlainTextEdit* pEdit, const QString& strText) {
    PlainTextState& state = StateOf(pEdit);
    {
        // Programmatic text is not an operator edit: no change notification.
        const SilentWrite silent(state);
        if (!AppendInPlace(pEdit, state, strText))
            pEdit->setPlainText(ToShown(strText));
    }
    PutWrittenText(state, strText);
}

void AppendControlText(QWidget* pCtrl, const QString& strAdd) {
    auto* pEdit = qobject_cast<QPlainTextEdit*>(pCtrl);
    PlainTextState* pState = pEdit ? FindState(pEdit) : nullptr;
    if (!pState || !CanAppendInPlace(*pState)) {
        if (pCtrl)
            SetControlText(pCtrl, GetControlText(pCtrl) + strAdd);
        return;
    }
    PlainTextState& state = *pState;
    {
        const SilentWrite silent(state);
        InsertAtEnd(pEdit, strAdd);
    }
    // Appended in place: the only other reference to the text was the
    // one given up here, so nothing is copied.
    QString strWritten = std::move(state.strWritten);
    strWritten += strAdd;
    PutWrittenText(state, std::move(strWritten));
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

void DropLeadingLines(QWidget* pCtrl, int nLines) {
    auto* pEdit = qobject_cast<QPlainTextEdit*>(pCtrl);
    if (!pEdit || nLines <= 0)
        return;
    PlainTextState& state = StateOf(pEdit);
    const bool bWritten = ShowsWrittenText(&state);
    QTextDocument* pDoc = pEdit->document();
    QTextCursor cursor(pDoc);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, nLines);
    {
        const SilentWrite silent(state);
        // With undo recording on, the document keeps every removed line for
        // an undo that never comes (clearing the stacks does not give the
        // text back): a full log that drops a line per new one grew without
        // end. Removed with recording off, the text is freed.
        const bool bUndo = pDoc->isUndoRedoEnabled();
        pDoc->setUndoRedoEnabled(false);
        cursor.removeSelectedText();
        pDoc->setUndoRedoEnabled(bUndo);
    }
    if (!bWritten)
        return;
    QString strWritten = std::move(state.strWritten);
    strWritten.remove(0, LeadingLinesLength(strWritten, nLines));
    PutWrittenText(state, std::move(strWritten));
}

bool IsTextEditedSinceWrite(const QWidget* pCtrl) {
    auto* pEdit = qobject_cast<const QPlainTextEdit*>(pCtrl);
    if (!pEdit)
        return false;
    const PlainTextState* pState = FindState(pEdit);
    if (!pState || !pState->bWritten)
        return !pEdit->document()->isEmpty();
    return pState->bEditedSince;
}

bool IsSilentTextChange(const QWidget* pCtrl) {
    auto* pEdit = qobject_cast<const QPlainTextEdit*>(pCtrl);
    const PlainTextState* pState = pEdit ? FindState(pEdit) : nullptr;
    return pState && pState->bSilent;
}

QString GetControlText(const QWidget* pCtrl) {
    if (!pCtrl)
        return QString();
    if (auto* p = qobject_cast<const QLineEdit*>(pCtrl))
        return p->text();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(pCtrl))
        return GetPlainText(p);
    if (auto* p = qobject_cast<const QLabel*>(pCtrl))
        return p->text();
    if (auto* p = qobject_cast<const QAbstractButton*>(pCtrl))
        return p->text();
    if (auto* p = qobject_cast<const QComboBox*>(pCtrl))
        return p->currentText();
    if (auto* p = qobject_cast<const QGroupBox*>(pCtrl))
        return p->title();
    return pCtrl->windowTitle();
}

void SetControlText(QWidget* pCtrl, const QString& strText) {
    if (!pCtrl)
        return;
    if (auto* p = qobject_cast<QLineEdit*>(pCtrl)) {
        p->setText(strText);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(pCtrl)) {
        SetPlainText(p, strText);
    } else if (auto* p = qobject_cast<QLabel*>(pCtrl)) {
        p->setText(strText);
    } else if (auto* p = qobject_cast<QAbstractButton*>(pCtrl)) {
        p->setText(strText);
    } else if (auto* p = qobject_cast<QComboBox*>(pCtrl)) {
        if (p->isEditable()) {
            p->setEditText(strText);
        } else {
            // A drop-down list can only show one of its items.
            const QSignalBlocker block(p);
            p->setCurrentIndex(p->findText(strText, Qt::MatchFixedString));
        }
    } else if (auto* p = qobject_cast<QGroupBox*>(pCtrl)) {
        p->setTitle(strText);
    } else {
        pCtrl->setWindowTitle(strText);
    }
}

bool IsControlEnabled(const QWidget* pCtrl) {
    return pCtrl && !pCtrl->testAttribute(Qt::WA_Disabled);
}

bool IsControlShown(const QWidget* pCtrl) {
    return pCtrl && !pCtrl->isHidden();
}
