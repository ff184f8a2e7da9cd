// Dialog 133: the Net Config page. Until the network link's controls are
// laid out here, the page carries a single line saying so.
#include "Dialogs.h"

const DlgTemplate IDD_NET_CONFIG_PAGE = {
    133, "", 385, 313, "System", 10, true,
    {
        {-1, CK_STATIC, "Network connection: not available in this build.", 20, 20, 300, 12, 0},
    },
};
