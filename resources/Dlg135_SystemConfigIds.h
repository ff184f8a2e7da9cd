#pragma once
// Control IDs of dialog 135, the System Config page.
namespace Dlg135 {
enum : int {
    IDC_RESET = 1001,          // "Reset": restart the switcher
    IDC_DEFAULT = 1039,        // "Default": factory defaults
    IDC_POWER_ON = 1096,       // "On"
    IDC_POWER_OFF = 1097,      // "OFF"
    IDC_SERVICE_GROUP = 1100,  // group box of the service controls, hidden at start
    IDC_DEBUG_GET = 1103,      // "Get" of the debug mode
    IDC_DEBUG_APPLY = 1104,    // "Apply" of the debug mode
    IDC_DEBUG_ON = 1105,       // radio "Debug On", first of its group (index 0)
    IDC_DEBUG_OFF = 1106,      // radio "Debug Off" (index 1)
    IDC_COMMAND = 1107,        // Command box
    IDC_COMMAND_APPLY = 1108,  // "Apply" of the Command box
};
}  // namespace Dlg135
