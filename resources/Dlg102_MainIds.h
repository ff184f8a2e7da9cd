#pragma once
// Control IDs of dialog 102, the main window.
namespace Dlg102 {
enum : int {
    IDC_PORT_LIST = 1000,
    IDC_CONNECT = 1001,
    IDC_TAB = 1002,
    IDC_EDIT_NAME = 1039,
    IDC_GET_NAME = 1040,
    IDC_DEVICE_NAME = 1081,
    IDC_SEARCH = 1106,
    IDC_VERSION = 1109,
};
}  // namespace Dlg102
