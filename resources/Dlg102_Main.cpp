// Dialog 102: the main window. Serial connection panel and device name panel
// on the left, the version box below them, the tab control with the pages.
#include "resources/Dialogs.h"
#include "resources/Dlg102_MainIds.h"

using namespace Dlg102;

const DlgTemplate IDD_CORVANE_DIALOG = {
    102, "Corvane Matrix", 555, 416, "宋体", 10, false,
    {
        {-1, CK_GROUPBOX, "COM Setting", 11, 17, 74, 89, 0},
        {-1, CK_STATIC, "Port:", 15, 32, 20, 9, 0},
        {IDC_PORT_LIST, CK_COMBO, "", 37, 30, 40, 80, CS_DROPDOWN | CS_VSCROLL | CS_TABSTOP},
        {IDC_CONNECT, CK_BUTTON, "Connect", 17, 80, 60, 16, CS_TABSTOP},
        {IDC_TAB, CK_TAB, "Tab1", 93, 20, 450, 385, CS_TABSTOP},
        {IDC_DEVICE_NAME, CK_EDIT, "", 15, 139, 66, 16, CS_BORDER | CS_AUTOHSCROLL | CS_DISABLED | CS_TABSTOP},
        {-1, CK_GROUPBOX, "Device Name", 11, 127, 75, 91, 0},
        {IDC_EDIT_NAME, CK_BUTTON, "Edit", 18, 189, 60, 16, CS_TABSTOP},
        {IDC_GET_NAME, CK_BUTTON, "Get", 18, 164, 60, 16, CS_TABSTOP},
        {IDC_SEARCH, CK_BUTTON, "Search", 17, 56, 60, 16, CS_TABSTOP},
        {IDC_VERSION, CK_EDIT, "", 12, 394, 74, 14, CS_CENTER | CS_DISABLED | CS_AUTOHSCROLL},
    },
};
