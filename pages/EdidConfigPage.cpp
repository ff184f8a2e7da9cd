#include "pages/EdidConfigPage.h"

#include "link/CommandFrames.h"
#include "framework/DataExchange.h"
#include "resources/Dialogs.h"
#include "resources/Dlg129_EdidConfigIds.h"
#include "link/EdidModes.h"
#include "pages/IdIndex.h"
#include "link/SendPath.h"

CEdidConfigPage g_EdidConfigPage;

namespace {

// Control IDs, index = input 0..3; the 7.1 radio is the first of its group.
constexpr const int (&kCombo)[INPUT_COUNT] = Dlg129::MODE;
constexpr const int (&kApply)[INPUT_COUNT] = Dlg129::APPLY;
constexpr const int (&kRead)[INPUT_COUNT] = Dlg129::READ;
constexpr const int (&kAudio71)[INPUT_COUNT] = Dlg129::AUDIO71;
constexpr const int (&kAudio51)[INPUT_COUNT] = Dlg129::AUDIO51;
constexpr const int (&kAudio20)[INPUT_COUNT] = Dlg129::AUDIO20;
constexpr const int (&k3D)[INPUT_COUNT] = Dlg129::THREE_D;
constexpr const int (&k30Bit)[INPUT_COUNT] = Dlg129::BIT30;
constexpr const int (&k36Bit)[INPUT_COUNT] = Dlg129::BIT36;
constexpr const int (&k48Bit)[INPUT_COUNT] = Dlg129::BIT48;
constexpr const int (&kHdr)[INPUT_COUNT] = Dlg129::HDR;
using Dlg129::IDC_LOG;

// Mode codes are the combo indices: the combo lists EDID_MODES in order.
constexpr int MODE_START = 1;  // "4K2K@30Hz", selected by InitControls

// Radio index of the audio group.
enum : int { AUDIO_71CH = 0, AUDIO_51CH = 1, AUDIO_20CH = 2 };

constexpr UINT TIMER_WAIT = 1;
constexpr UINT TIMER_ACK = 2;       // network acknowledgement: the wait ends ACK_MS later
constexpr UINT WAIT_MS = 8000;
constexpr UINT ACK_MS = 3000;
constexpr UINT TOOLTIP_DELAY_MS = 200;

bool IsInput(int nInput) { return nInput >= 0 && nInput < INPUT_COUNT; }

}  // namespace

CEdidConfigPage::CEdidConfigPage() : CDialog(IDD_EDID_CONFIG_PAGE) {}
CEdidConfigPage::~CEdidConfigPage() = default;

void CEdidConfigPage::DoDataExchange(CDataExchange* pDX) {
    for (int n = 0; n < INPUT_COUNT; ++n) {
        DDX_Control(pDX, kCombo[n], m_cbMode[n]);
        DDX_Radio(pDX, kAudio71[n], m_nAudio[n]);
        DDX_Check(pDX, k3D[n], m_b3D[n]);
        DDX_Check(pDX, k30Bit[n], m_b30Bit[n]);
        DDX_Check(pDX, k36Bit[n], m_b36Bit[n]);
        DDX_Check(pDX, k48Bit[n], m_b48Bit[n]);
        DDX_Check(pDX, kHdr[n], m_bHdr[n]);
    }
    DDX_Text(pDX, IDC_LOG, m_strLog);
}

void CEdidConfigPage::InitControls() {
    for (int n = 0; n < INPUT_COUNT; ++n) {
        for (const EdidModeName& mode : EDID_MODES) m_cbMode[n].AddString(QString::fromUtf8(mode.pszText));
        m_cbMode[n].SetCurSel(MODE_START);
        // The device state starts at mode 0 for every input; store the mode
        // the combo shows, so that an Apply before any read sends what the
        // operator sees. No link is open yet, so nothing is overwritten.
        g_EdidSetting[n].nMode = MODE_START;
    }
    m_ToolTip.Create(GetSafeHwnd());
    for (int n = 0; n < INPUT_COUNT; ++n) m_ToolTip.AddTool(GetDlgItem(k3D[n]), QStringLiteral("Set 3D Video EDID"));
    for (int n = 0; n < INPUT_COUNT; ++n) {
        for (int nId : {k30Bit[n], k36Bit[n], k48Bit[n]})
            m_ToolTip.AddTool(GetDlgItem(nId), QStringLiteral("Set Video Deep Color"));
    }
    m_ToolTip.SetDelayTime(TOOLTIP_DELAY_MS);
    m_ToolTip.Activate(TRUE);
}

void CEdidConfigPage::OnCommand(int nId, int nNotify) {
    int n;
    if (nNotify == CBN_SELCHANGE) {
        // Only choosing a list item stores a mode; text typed into the
        // combo's edit field changes nothing.
        if ((n = IndexOfId(kCombo, nId)) >= 0) OnModeChange(n);
        return;
    }
    if (nNotify != BN_CLICKED) return;
    if ((n = IndexOfId(kRead, nId)) >= 0) return ReadEdid(n);
    if ((n = IndexOfId(kApply, nId)) >= 0) return ApplyEdid(n);
    if ((n = IndexOfId(kAudio71, nId)) >= 0) return OnAudioChoice(n, EDID_FLAG_AUDIO_71CH);
    if ((n = IndexOfId(kAudio51, nId)) >= 0) return OnAudioChoice(n, EDID_FLAG_AUDIO_51CH);
    if ((n = IndexOfId(kAudio20, nId)) >= 0) return OnAudioChoice(n, EDID_FLAG_AUDIO_2CH);
    if ((n = IndexOfId(k3D, nId)) >= 0) return OnOptionToggle(n, &m_b3D[n], EDID_FLAG_3D);
    if ((n = IndexOfId(k30Bit, nId)) >= 0) return OnOptionToggle(n, &m_b30Bit[n], EDID_FLAG_DEEP_30BIT);
    if ((n = IndexOfId(k36Bit, nId)) >= 0) return OnOptionToggle(n, &m_b36Bit[n], EDID_FLAG_DEEP_36BIT);
    if ((n = IndexOfId(k48Bit, nId)) >= 0) return OnOptionToggle(n, &m_b48Bit[n], EDID_FLAG_DEEP_48BIT);
    if ((n = IndexOfId(kHdr, nId)) >= 0) return OnOptionToggle(n, &m_bHdr[n], EDID_FLAG_HDR);
}

void CEdidConfigPage::OnTimer(UINT nIdEvent) {
    if (nIdEvent == TIMER_WAIT) {
        EndWait();
        SetLogText(QStringLiteral("Set Fail! Waiting time out!"));
    } else if (nIdEvent == TIMER_ACK) {
        EndWait();
    }
}

// Only the first acknowledgement of a wait starts timer 2; later ones would
// keep restarting it.
void CEdidConfigPage::StartAckTimer() {
    if (!m_bAckDue) return;
    m_bAckDue = false;
    SetTimer(TIMER_ACK, ACK_MS);
}

// A mode change keeps the option bits: a "Copy From TV" mode hides the
// options, and they come back unchanged (and are sent with Apply).
void CEdidConfigPage::OnModeChange(int nInput) {
    UpdateData(TRUE);
    const int nSel = m_cbMode[nInput].GetCurSel();
    if (nSel < 0) return;  // no list item chosen: nothing to store
    g_EdidSetting[nInput].nMode = nSel;
    ShowOptions(nInput);
}

void CEdidConfigPage::OnAudioChoice(int nInput, UINT nAudioFlag) {
    UpdateData(TRUE);
    g_EdidSetting[nInput].nFlags = (g_EdidSetting[nInput].nFlags & ~EDID_AUDIO_MASK) | nAudioFlag;
}

// The check box has toggled itself; its member, read back, says which way.
void CEdidConfigPage::OnOptionToggle(int nInput, const BOOL* pbMember, UINT nFlag) {
    UpdateData(TRUE);
    if (*pbMember)
        g_EdidSetting[nInput].nFlags |= nFlag;
    else
        g_EdidSetting[nInput].nFlags &= ~nFlag;
}

void CEdidConfigPage::ReadEdid(int nInput) {
    if (!SendCommand(Frames::Read(EDID_REG_BASE + nInput))) {
        SetLogText(QStringLiteral("Device is not connected!"));
        return;
    }
    EnableDlgItem(kRead[nInput], FALSE);
    StartWait();
}

// Sends the stored setting of the input, not what the controls show.
void CEdidConfigPage::ApplyEdid(int nInput) {
    const EdidSetting& setting = g_EdidSetting[nInput];
    if (!SendCommand(Frames::EdidApply(EDID_REG_BASE + nInput, setting.nMode, setting.nFlags))) {
        SetLogText(QStringLiteral("Device is not connected!"));
        return;
    }
    for (int nId : kApply) EnableDlgItem(nId, FALSE);
    StartWait();
}

// A new command waits for its own answer: an acknowledgement timer still
// running for the one before must not end this wait.
void CEdidConfigPage::StartWait() {
    KillTimer(TIMER_ACK);
    m_bAckDue = true;
    SetTimer(TIMER_WAIT, WAIT_MS);
    SetLogText(QStringLiteral("Waiting..."));
}

void CEdidConfigPage::EndWait() {
    for (int n = 0; n < INPUT_COUNT; ++n) {
        for (int nId : {kRead[n], kApply[n]}) {
            if (!IsDlgItemEnabled(nId)) EnableDlgItem(nId, TRUE);
        }
    }
    KillTimer(TIMER_WAIT);
    KillTimer(TIMER_ACK);
    m_bAckDue = false;
}

void CEdidConfigPage::SetLogText(const QString& strText) {
    UpdateData(TRUE);
    m_strLog = strText;
    UpdateData(FALSE);
}

void CEdidConfigPage::RefreshInput(int nInput) {
    if (!IsInput(nInput)) return;
    const int nMode = g_EdidSetting[nInput].nMode;
    // A code outside the list (the switcher may report any byte) leaves the
    // combo without a selection.
    m_cbMode[nInput].SetCurSel(nMode >= 0 && nMode < EDID_MODE_COUNT ? nMode : -1);
    ShowOptions(nInput);
}

void CEdidConfigPage::ShowOptions(int nInput) {
    const int nMode = g_EdidSetting[nInput].nMode;
    const UINT nFlags = g_EdidSetting[nInput].nFlags;
    // Several audio bits may come from the switcher: 2.0 wins over 5.1 over
    // 7.1; with none, the radio keeps its choice.
    if (nFlags & EDID_FLAG_AUDIO_2CH)
        m_nAudio[nInput] = AUDIO_20CH;
    else if (nFlags & EDID_FLAG_AUDIO_51CH)
        m_nAudio[nInput] = AUDIO_51CH;
    else if (nFlags & EDID_FLAG_AUDIO_71CH)
        m_nAudio[nInput] = AUDIO_71CH;
    m_b3D[nInput] = (nFlags & EDID_FLAG_3D) ? 1 : 0;
    m_b30Bit[nInput] = (nFlags & EDID_FLAG_DEEP_30BIT) ? 1 : 0;
    m_b36Bit[nInput] = (nFlags & EDID_FLAG_DEEP_36BIT) ? 1 : 0;
    m_b48Bit[nInput] = (nFlags & EDID_FLAG_DEEP_48BIT) ? 1 : 0;
    m_bHdr[nInput] = (nFlags & EDID_FLAG_HDR) ? 1 : 0;

    const BOOL bShow = (nMode >= 0 && nMode <= EDID_MODE_LAST_FIXED) ? TRUE : FALSE;
    for (int nId : {kHdr[nInput], k3D[nInput], kAudio71[nInput], kAudio51[nInput], kAudio20[nInput], k30Bit[nInput],
                    k36Bit[nInput], k48Bit[nInput]})
        ShowDlgItem(nId, bShow);
    UpdateData(FALSE);
}
