#pragma once
// Control IDs of dialog 100, the about box.
#include "framework/DlgTemplate.h"

namespace Dlg100 {
enum : int {
    IDC_OK = IDOK,
};
}  // namespace Dlg100
