#pragma once
// CNetConfigPage: the "Net Config" tab (dialog 133). For now it only carries
// the whole-configuration request over the network; the UDP connection
// controls come with the network link.
#include "Dialog.h"

class CNetConfigPage : public CDialog {
public:
    CNetConfigPage();

    // Enter and Escape on a page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

    // One-time initialisation, called by the main window after all pages exist.
    void InitControls() {}
    // Sends "@ R 0e #" as one datagram to the chosen switcher.
    void ReadAllConfig();
};

extern CNetConfigPage g_NetConfigPage;
