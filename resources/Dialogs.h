#pragma once
// Dialog templates of the application, by resource ID.
#include "framework/DlgTemplate.h"

extern const DlgTemplate IDD_ABOUTBOX;          // 100
extern const DlgTemplate IDD_CORVANE_DIALOG;    // 102, main window
extern const DlgTemplate IDD_EDID_CONFIG_PAGE;  // 129
extern const DlgTemplate IDD_PORT_SET_PAGE;     // 130
extern const DlgTemplate IDD_IP_CONFIG_PAGE;    // 132
extern const DlgTemplate IDD_NET_CONFIG_PAGE;   // 133
extern const DlgTemplate IDD_SYSTEM_CONFIG_PAGE;  // 135
