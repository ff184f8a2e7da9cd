#pragma once
// CSystemConfigPage: the "System Config" tab (dialog 135). Sends the
// switcher's system commands (restart, factory defaults, power up and down)
// and, in a service group that a service word in the Command box shows,
// reads and sets its debug mode (register 0x10). Reports through message
// boxes only; keeps no log and starts no timer.
#include <QString>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CSystemConfigPage : public CDialog {
public:
    CSystemConfigPage();

    // Enter and Escape on a page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

    // Called by the reply handling with the data byte of a register 0x10
    // reply: 0 selects "Debug On", 1 "Debug Off", anything else neither.
    void SetDebugMode(int nMode);
    int GetDebugMode() const { return m_nDebugMode; }
    // Shows or hides the service group box, its two radios and two buttons.
    void ShowServiceGroup(BOOL bShow);

    // Texts of the Command box that show and hide the service group.
    static constexpr const char* SERVICE_ON = "ExpertSetOn";
    static constexpr const char* SERVICE_OFF = "ExpertSetOff";

    void OnCommand(int nId, int nNotify) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void OnReset();
    void OnDefault();
    void OnPowerUp();
    void OnPowerDown();
    void OnGetDebugMode();
    void OnApplyDebugMode();
    void OnApplyCommand();

    // Asks with a Yes/No box; on Yes sends the frame and writes the controls.
    void SendConfirmed(const char* pszFrame, const QString& strQuestion);
    // Shows the notice, then sends the frame and writes the controls.
    void SendAfterNotice(const char* pszFrame, const QString& strNotice);
    // Serial link first, then network; with neither, says so in a box.
    void Send(const std::string& strFrame);
    int Box(const QString& strText, UINT nType);

    CEdit m_editCommand;     // the Command box
    int m_nDebugMode = -1;   // radio index: 0 "Debug On", 1 "Debug Off", -1 neither
    QString m_strCommand;    // text of the Command box
};

extern CSystemConfigPage g_SystemConfigPage;
