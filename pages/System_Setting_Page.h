#pragma once
// CSystemConfigPage: the "System Config" tab (dialog 135). For now it only
// keeps the debug mode the switcher reported (register 0x10).
#include "Dialog.h"

class CSystemConfigPage : public CDialog {
public:
    CSystemConfigPage();

    // Enter and Escape on a page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

    // Stores the debug-mode selection read from the switcher.
    void SetDebugMode(int nMode) { m_nDebugMode = nMode; }
    int GetDebugMode() const { return m_nDebugMode; }

private:
    int m_nDebugMode = 0;
};

extern CSystemConfigPage g_SystemConfigPage;
