#pragma once
// The device name as text and as the switcher's 16 bytes. Each byte is one
// Latin-1 character, so a name read from the switcher and saved back is
// byte-identical. A character the operator types that has no Latin-1 byte
// (above U+00FF) is sent as '?'.
#include <QString>

#include "DeviceState.h"

// Byte i is character i of the text, or a space past its end; characters
// beyond the sixteenth are ignored.
void DeviceNameFromText(const QString& strText, BYTE abName[DEVICE_NAME_LEN]);
// The name up to the first zero byte, never past the sixteenth byte.
QString DeviceNameToText(const BYTE abName[DEVICE_NAME_LEN]);
