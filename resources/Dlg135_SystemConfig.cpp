// Dialog 135: the System Config page. The Command box with its Apply button,
// Reset and Default, the two power buttons, and the service group (debug mode
// radios with Get and Apply), which starts hidden.
#include "resources/Dialogs.h"
#include "resources/Dlg135_SystemConfigIds.h"

namespace {

using namespace Dlg135;

constexpr UINT kButton = CS_TABSTOP;
constexpr UINT kService = CS_HIDDEN;

}  // namespace

const DlgTemplate IDD_SYSTEM_CONFIG_PAGE = {
    135, "", 385, 313, "System", 10, true,
    {
        {-1, CK_STATIC, "Command:", 20, 24, 40, 10, 0},
        {IDC_COMMAND, CK_EDIT, "", 64, 21, 150, 14, CS_BORDER | CS_TABSTOP | CS_AUTOHSCROLL},
        {IDC_COMMAND_APPLY, CK_BUTTON, "Apply", 224, 20, 60, 16, kButton},
        {IDC_RESET, CK_BUTTON, "Reset", 20, 52, 80, 20, kButton},
        {IDC_DEFAULT, CK_BUTTON, "Default", 110, 52, 80, 20, kButton},
        {-1, CK_GROUPBOX, "Power Ctrl", 20, 86, 170, 50, 0},
        {IDC_POWER_ON, CK_BUTTON, "On", 34, 106, 64, 20, kButton},
        {IDC_POWER_OFF, CK_BUTTON, "OFF", 112, 106, 64, 20, kButton},
        {IDC_SERVICE_GROUP, CK_GROUPBOX, "TX HDCP", 206, 86, 160, 94, kService},
        {IDC_DEBUG_ON, CK_RADIO, "Debug On", 220, 104, 70, 12, kService | CS_GROUP | CS_TABSTOP},
        {IDC_DEBUG_OFF, CK_RADIO, "Debug Off", 220, 122, 70, 12, kService},
        {IDC_DEBUG_GET, CK_BUTTON, "Get", 220, 148, 60, 20, kService | CS_GROUP | kButton},
        {IDC_DEBUG_APPLY, CK_BUTTON, "Apply", 292, 148, 60, 20, kService | kButton},
    },
};
