#pragma once
// The device name as text and as the switcher's 16 bytes. Each byte is one
// Latin-1 character, so a name read from the switcher and saved back is
// byte-identical. A character the operator types that has no Latin-1 byte
// (above U+00FF) is sent as '?'.
//
// A name written from a script (the name command, a snapshot file) must be
// one the switcher gives back unchanged and a terminal shows as it is: at most
// 16 printable Latin-1 characters. DeviceNameProblem is that one rule.
#include <QString>

#include "link/DeviceState.h"

// Byte i is character i of the text, or a space past its end; characters
// beyond the sixteenth are ignored.
void DeviceNameFromText(const QString& strText, BYTE abName[DEVICE_NAME_LEN]);
// The name up to the first zero byte, never past the sixteenth byte.
QString DeviceNameToText(const BYTE abName[DEVICE_NAME_LEN]);

// Printable Latin-1: not a C0 control (NUL, line feed, escape ...), not DEL,
// not a C1 control, nothing above U+00FF.
bool DeviceNameCharAllowed(char32_t c);
// Why strText cannot be written as the name ("at most 16 characters, not 17",
// "'\x1B' cannot be stored in the switcher's name"); empty when it can.
QString DeviceNameProblem(const QString& strText);
// The name for a terminal or a log line: every control character (C0, DEL,
// C1) as \xHH, so a name read from the switcher cannot move the cursor,
// recolour the terminal or split a line.
QString DeviceNameShown(const QString& strName);
