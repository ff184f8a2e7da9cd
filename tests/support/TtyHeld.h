#pragma once
// Whether a serial device is still held: by a descriptor of this process, or
// by the exclusive flag that keeps every later non-root open out.
#include <string>

// Descriptors of this process open on the device at strPath.
int DescriptorsOn(const std::string& strPath);
// 1 when the tty at strPath is marked exclusive, 0 when not, -1 when it
// cannot be asked. An open refused with EBUSY counts as marked.
int ExclusiveFlag(const std::string& strPath);
