#pragma once
// Dialog templates as data: a window of a given size in dialog units and its
// controls in creation (= tab) order. Laid out by CDialog::Create, which turns
// dialog units into pixels from the dialog font's average character size.
#include <vector>

#include "base/WinTypes.h"

enum CtrlKind {
    CK_GROUPBOX,   // QGroupBox-like frame with caption
    CK_STATIC,     // label (text or number display)
    CK_BUTTON,     // push button
    CK_CHECKBOX,   // automatic check box
    CK_RADIO,      // automatic radio button (group starts at a CS_GROUP control)
    CK_EDIT,       // single- or multi-line edit box
    CK_COMBO,      // drop-down combo (editable when CS_DROPDOWN)
    CK_TAB,        // tab control
    CK_IPADDRESS,  // four-field IP address control
};

// Control styles, combinable.
enum : UINT {
    CS_HIDDEN = 0x0001,      // created invisible
    CS_DISABLED = 0x0002,    // created disabled
    CS_GROUP = 0x0004,       // first control of a group (radio groups end at the next one)
    CS_TABSTOP = 0x0008,
    CS_READONLY = 0x0010,    // edit box: read-only
    CS_CENTER = 0x0020,      // text centred horizontally
    CS_VCENTER = 0x0040,     // text centred vertically
    CS_SUNKEN = 0x0080,      // sunken frame
    CS_BORDER = 0x0100,      // thin border
    CS_MULTILINE = 0x0200,   // edit box: several lines, accepts Enter
    CS_VSCROLL = 0x0400,
    CS_HSCROLL = 0x0800,
    CS_AUTOHSCROLL = 0x1000,
    CS_SORT = 0x2000,        // combo: items kept in sorted order
    CS_DROPDOWN = 0x4000,    // combo: drop-down with edit field
    CS_DEFPUSH = 0x8000,     // default push button
};

// Command IDs of the OK and Cancel buttons (Enter and Escape); also the
// answers of message boxes with those buttons.
enum : int { IDOK = 1, IDCANCEL = 2 };

struct CtrlTemplate {
    int nId;            // control ID; -1 for controls without an ID (IDC_STATIC)
    CtrlKind kind;
    const char* pszText;  // caption, UTF-8
    int x, y, cx, cy;   // dialog units
    UINT nStyle;
};

struct DlgTemplate {
    int nId;              // resource ID (100, 102, 129, 130, 132, 133, 135)
    const char* pszCaption;  // UTF-8; empty for child pages
    int cx, cy;           // dialog units
    const char* pszFont;  // face name, e.g. "宋体" or "System"
    int nPointSize;
    bool bChild;          // child page (no caption, no border) versus top-level window
    std::vector<CtrlTemplate> controls;
};
