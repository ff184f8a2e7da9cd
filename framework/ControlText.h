#pragma once
// Text of any control the templates make, as the dialog code sees it.
// Multi-line edits keep "\r\n" line ends: what is written reads back equal.
#include <QString>

class QWidget;

QString GetControlText(const QWidget* pCtrl);
void SetControlText(QWidget* pCtrl, const QString& strText);
// Logs in multi-line edits, at a cost that does not grow with the text:
// AppendControlText adds to the end without rebuilding the box (text the
// operator typed stays), DropLeadingLines removes the first nLines lines.
// Neither is reported as an operator change.
void AppendControlText(QWidget* pCtrl, const QString& strAdd);
void DropLeadingLines(QWidget* pCtrl, int nLines);
// True when the operator changed a multi-line edit's text since the program
// last wrote it (reading it back then costs a copy of the whole text).
bool IsTextEditedSinceWrite(const QWidget* pCtrl);
// The control's own enabled / visible flags, independent of its parents.
bool IsControlEnabled(const QWidget* pCtrl);
bool IsControlShown(const QWidget* pCtrl);

// True while the program writes a multi-line edit's text, so that the
// write is not reported as an operator change.
bool IsSilentTextChange(const QWidget* pCtrl);
