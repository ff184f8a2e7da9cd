#pragma once
// Text of any control the templates make, as the dialog code sees it.
// Multi-line edits keep "\r\n" line ends: what is written reads back equal.
#include <QString>

class QWidget;

QString GetControlText(const QWidget* pCtl);
void SetControlText(QWidget* pCtl, const QString& strText);
// The control's own enabled / visible flags, independent of its parents.
bool IsControlEnabled(const QWidget* pCtl);
bool IsControlShown(const QWidget* pCtl);

// Dynamic property set on a multi-line edit while the program writes its
// text, so that the write is not reported as an operator change.
extern const char* const kSilentChange;
