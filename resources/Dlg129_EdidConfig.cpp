// Dialog 129: the EDID Config page. One group per HDMI input (mode combo,
// Read, Apply, option check boxes, audio radio group), then the one-line log.
// Controls are created input by input; within an input the audio radios come
// last, so each radio group ends at the next input's group box.
#include "Dialogs.h"

namespace {

constexpr UINT kCheck = CS_TABSTOP;
constexpr UINT kCombo = CS_DROPDOWN | CS_SORT | CS_VSCROLL | CS_TABSTOP;

}  // namespace

const DlgTemplate IDD_EDID_CONFIG_PAGE = {
    129, "", 385, 299, "System", 10, true,
    {
        // Input 1
        {1038, CK_GROUPBOX, "Set Input HDMI  1", 18, 14, 353, 54, CS_CENTER},
        {1037, CK_STATIC, "EDID Mode:", 28, 30, 44, 10, 0},
        {1000, CK_COMBO, "", 77, 29, 133, 79, kCombo},
        {1002, CK_BUTTON, "Read", 223, 27, 66, 16, CS_TABSTOP},
        {1001, CK_BUTTON, "Apply", 298, 27, 66, 16, CS_TABSTOP},
        {1092, CK_CHECKBOX, "HDR", 27, 46, 27, 15, kCheck},
        {1036, CK_CHECKBOX, "3D", 67, 49, 25, 11, kCheck},
        {1057, CK_CHECKBOX, "30Bit", 100, 49, 32, 11, kCheck},
        {1058, CK_CHECKBOX, "36Bit", 142, 49, 32, 11, kCheck},
        {1059, CK_CHECKBOX, "48Bit", 187, 49, 32, 11, kCheck},
        {1033, CK_RADIO, "7.1 CH", 225, 49, 34, 12, CS_GROUP},
        {1034, CK_RADIO, "5.1 CH", 277, 49, 34, 12, 0},
        {1035, CK_RADIO, "2.0 CH", 329, 49, 34, 12, 0},
        // Input 2
        {1039, CK_GROUPBOX, "Set Input HDMI  2", 18, 76, 353, 54, CS_CENTER},
        {1040, CK_STATIC, "EDID Mode:", 28, 92, 44, 10, 0},
        {1003, CK_COMBO, "", 77, 91, 133, 79, kCombo},
        {1005, CK_BUTTON, "Read", 223, 88, 66, 16, CS_TABSTOP},
        {1004, CK_BUTTON, "Apply", 298, 89, 66, 16, CS_TABSTOP},
        {1093, CK_CHECKBOX, "HDR", 27, 108, 27, 15, kCheck},
        {1044, CK_CHECKBOX, "3D", 67, 110, 25, 11, kCheck},
        {1060, CK_CHECKBOX, "30Bit", 100, 111, 32, 11, kCheck},
        {1061, CK_CHECKBOX, "36Bit", 142, 111, 32, 11, kCheck},
        {1062, CK_CHECKBOX, "48Bit", 187, 111, 32, 11, kCheck},
        {1041, CK_RADIO, "7.1 CH", 227, 110, 34, 12, CS_GROUP},
        {1042, CK_RADIO, "5.1 CH", 277, 110, 34, 12, 0},
        {1043, CK_RADIO, "2.0 CH", 324, 110, 34, 12, 0},
        // Input 3
        {1045, CK_GROUPBOX, "Set Input HDMI  3", 18, 140, 353, 54, CS_CENTER},
        {1046, CK_STATIC, "EDID Mode:", 28, 156, 44, 10, 0},
        {1006, CK_COMBO, "", 77, 155, 133, 79, kCombo},
        {1008, CK_BUTTON, "Read", 223, 153, 66, 16, CS_TABSTOP},
        {1007, CK_BUTTON, "Apply", 298, 153, 66, 16, CS_TABSTOP},
        {1094, CK_CHECKBOX, "HDR", 28, 172, 27, 15, kCheck},
        {1050, CK_CHECKBOX, "3D", 67, 174, 25, 11, kCheck},
        {1063, CK_CHECKBOX, "30Bit", 100, 175, 32, 11, kCheck},
        {1064, CK_CHECKBOX, "36Bit", 142, 175, 32, 11, kCheck},
        {1065, CK_CHECKBOX, "48Bit", 187, 175, 32, 11, kCheck},
        {1047, CK_RADIO, "7.1 CH", 227, 174, 34, 12, CS_GROUP},
        {1048, CK_RADIO, "5.1 CH", 277, 174, 34, 12, 0},
        {1049, CK_RADIO, "2.0 CH", 324, 174, 34, 12, 0},
        // Input 4
        {1051, CK_GROUPBOX, "Set Input HDMI  4", 18, 202, 353, 54, CS_CENTER},
        {1052, CK_STATIC, "EDID Mode:", 28, 218, 44, 10, 0},
        {1009, CK_COMBO, "", 77, 217, 133, 79, kCombo},
        {1011, CK_BUTTON, "Read", 223, 214, 66, 16, CS_TABSTOP},
        {1010, CK_BUTTON, "Apply", 298, 215, 66, 16, CS_TABSTOP},
        {1095, CK_CHECKBOX, "HDR", 28, 233, 27, 15, kCheck},
        {1056, CK_CHECKBOX, "3D", 67, 236, 25, 11, kCheck},
        {1066, CK_CHECKBOX, "30Bit", 100, 236, 32, 11, kCheck},
        {1067, CK_CHECKBOX, "36Bit", 142, 236, 32, 11, kCheck},
        {1068, CK_CHECKBOX, "48Bit", 187, 236, 32, 11, kCheck},
        {1053, CK_RADIO, "7.1 CH", 227, 236, 34, 12, CS_GROUP},
        {1054, CK_RADIO, "5.1 CH", 277, 236, 34, 12, 0},
        {1055, CK_RADIO, "2.0 CH", 324, 236, 34, 12, 0},
        // The page's one-line log
        {1069, CK_EDIT, "", 17, 270, 355, 17, CS_BORDER | CS_AUTOHSCROLL | CS_TABSTOP},
    },
};
