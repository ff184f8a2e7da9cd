// Dialog 100: the about box. Product name, one notice line, OK.
#include "version/CorvaneVersion.h"
#include "resources/Dialogs.h"
#include "resources/Dlg100_AboutIds.h"

using namespace Dlg100;

const DlgTemplate IDD_ABOUTBOX = {
    100, "", 235, 55, "宋体", 9, false,
    {
        {-1, CK_STATIC, "Corvane", 15, 13, 119, 8, 0},
        {-1, CK_STATIC, "Matrix switcher control, Rev " CORVANE_VERSION, 14, 28, 119, 8, 0},
        {IDC_OK, CK_BUTTON, "OK", 178, 7, 50, 14, CS_TABSTOP | CS_DEFPUSH | CS_GROUP},
    },
};
