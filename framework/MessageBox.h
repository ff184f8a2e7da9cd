#pragma once
// Modal message boxes with the application's caption "Corvane". While a box is
// open, the GUI thread keeps dispatching (serial bytes, datagrams, timers).
// Tests script the answers: an unexpected box is recorded as a failure and
// answered with its first button instead of blocking.
#include <QString>
#include <functional>
#include <vector>

#include "framework/DlgTemplate.h"  // IDOK, IDCANCEL
#include "base/WinTypes.h"

class QWidget;

enum : UINT {
    MB_OK = 0x0000,
    MB_OKCANCEL = 0x0001,
    MB_YESNO = 0x0004,
    MB_ICONERROR = 0x0010,        // stop
    MB_ICONQUESTION = 0x0020,
    MB_ICONEXCLAMATION = 0x0030,
    MB_ICONINFORMATION = 0x0040,
};
enum : int { IDYES = 6, IDNO = 7 };

// Box raised through the application object: caption "Corvane".
int AfxMessageBox(const QString& strText, UINT nType = MB_OK);
// Box raised through a window: caption "Corvane" unless one is given.
int MessageBox(QWidget* pOwner, const QString& strText, const QString& strCaption = QString(), UINT nType = MB_OK,
               const QString& strInformative = QString());

// Test scripting of message boxes.
namespace MessageBoxScript {
struct Shown { QString strCaption, strText, strInformative; UINT nType; };
// Starts scripting: boxes are no longer shown; each is recorded.
void Begin();
void End();
// Queues the answer for the next box whose text equals strText.
void Expect(const QString& strText, int nAnswer = IDOK);
// Boxes shown since Begin, in order.
const std::vector<Shown>& History();
// Boxes that came without a matching Expect.
int UnexpectedCount();
void Clear();
}  // namespace MessageBoxScript
