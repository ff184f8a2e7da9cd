#pragma once
// CEdidConfigPage: the "EDID Config" tab. Per HDMI input: the EDID mode and
// its option bits, "Read" (ask the switcher) and "Apply" (send the stored
// choice). g_EdidSetting is the one model; the members only mirror controls.
#include <QString>

#include "framework/Controls.h"
#include "link/DeviceState.h"
#include "framework/Dialog.h"
#include "framework/ToolTip.h"

class CEdidConfigPage : public CDialog {
public:
    CEdidConfigPage();
    ~CEdidConfigPage() override;

    // Fills the four mode combos, selects "4K2K@30Hz" in each (and stores it
    // in g_EdidSetting, so that what is shown is what Apply sends), creates
    // the tooltips.
    void InitControls();
    // Shows g_EdidSetting[nInput] in that input's controls; inputs outside
    // 0..3 are ignored.
    void RefreshInput(int nInput);
    // Re-enables every disabled Read and Apply button, stops timers 1 and 2.
    void EndWait();
    // A network acknowledgement came: if the page waits for one, the wait
    // ends 3000 ms later (timer 2); otherwise nothing happens.
    void StartAckTimer();
    // Whether a Read or Apply waits and has had no acknowledgement yet.
    bool AckAwaited() const { return m_bAckDue; }
    // Replaces the one-line log's text.
    void SetLogText(const QString& strText);

    // Called by the framework on the GUI thread.
    void OnCommand(int nId, int nNotify) override;
    void OnTimer(UINT nIdEvent) override;

    // Bound members (data exchange), one per input.
    CComboBox m_cbMode[INPUT_COUNT];
    int m_nAudio[INPUT_COUNT] = {-1, -1, -1, -1};   // 0 "7.1 CH", 1 "5.1 CH", 2 "2.0 CH", -1 none
    BOOL m_b3D[INPUT_COUNT] = {};
    BOOL m_b30Bit[INPUT_COUNT] = {};
    BOOL m_b36Bit[INPUT_COUNT] = {};
    BOOL m_b48Bit[INPUT_COUNT] = {};
    QString m_strLog;
    CToolTipCtrl m_ToolTip;
    BOOL m_bHdr[INPUT_COUNT] = {};

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void OnModeChange(int nInput);
    void OnAudioChoice(int nInput, UINT nAudioFlag);
    void OnOptionToggle(int nInput, const BOOL* pbMember, UINT nFlag);
    void ReadEdid(int nInput);
    void ApplyEdid(int nInput);
    void StartWait();
    // Set by every wait, cleared by the first acknowledgement and by the end
    // of the wait.
    bool m_bAckDue = false;
    // Steps shared by RefreshInput and a mode change: option members from the
    // stored flags, option controls shown or hidden by the stored mode, members
    // written to the controls.
    void ShowOptions(int nInput);
};

extern CEdidConfigPage g_EdidConfigPage;
