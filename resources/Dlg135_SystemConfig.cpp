// Dialog 135: the System Config page. Until the system commands are laid out
// here, the page carries a single line saying so.
#include "Dialogs.h"

const DlgTemplate IDD_SYSTEM_CONFIG_PAGE = {
    135, "", 385, 313, "System", 10, true,
    {
        {-1, CK_STATIC, "System commands: not available in this build.", 20, 20, 300, 12, 0},
    },
};
