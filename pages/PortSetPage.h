#pragma once
// CPortSetPage: the "Port Set" tab. Routes one output, or all four, to an
// input; asks the switcher for the current routing ("Status"); keeps a log.
// Routing is optimistic: with a link open, g_nOutputSource and the displays
// change at once; when no answer comes in time they go back to the routing
// the switcher last reported (before any report, to what they showed).
#include <QString>
#include <memory>

#include "framework/Controls.h"
#include "link/DeviceState.h"
#include "framework/Dialog.h"

class QFont;

class CPortSetPage : public CDialog {
public:
    CPortSetPage();
    ~CPortSetPage() override;

    // One-time set-up after the main window created the page.
    void InitControls();
    // Shows g_nOutputSource[nOutput] in output nOutput+1's display; "4" for
    // any value other than 0..2. Outputs outside 0..3 are ignored.
    void ShowOutputSource(int nOutput);
    // The switcher answered: takes the routing shown as reported,
    // re-enables every disabled command button, stops timers 1 and 2.
    void EndWait();
    // A network acknowledgement came. If the page waits for one, the routing
    // shown is confirmed now and the wait ends 1000 ms later (timer 2);
    // otherwise nothing happens.
    void StartAckTimer();
    // Whether a command waits and has had no acknowledgement yet.
    bool AckAwaited() const { return m_bAckDue; }
    // Appends strText and CRLF to the log and scrolls to its last line. The
    // log keeps at most MAX_LOG_LINES lines: beyond that the oldest go, down
    // to KEEP_LOG_LINES. Dropping lines costs more than in proportion to
    // their number, so they go a hundred at a time.
    void AppendLog(const QString& strText);
    static constexpr int KEEP_LOG_LINES = 3000;
    static constexpr int MAX_LOG_LINES = KEEP_LOG_LINES + 100;

    // Called by the framework on the GUI thread.
    void OnCommand(int nId, int nNotify) override;
    void OnTimer(UINT nIdEvent) override;
    // Enter and Esc on the page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

    // Bound members (data exchange).
    CEdit m_editLog;       // IDC_LOG, as a control
    QString m_strStatus;   // hidden static IDC_STATUS_TEXT
    int m_nSelInput = -1;  // hidden radio group IDC_SEL_INPUT_1..4, -1 when none set
    QString m_strLog;      // text of IDC_LOG

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void OnStatus();
    void OnRouteButton(int nOutput, int nInput);
    void OnOutputAllButton(int nInput);
    void OnSelInputRadio(int nInput);
    void OnClear();

    void StartWait();
    void StopWaiting();
    void DisableRow(int nRow);
    void RouteOutput(int nOutput, int nInput);
    void SendRoute(int nOutput, int nInput);
    // False, after logging it, when no link is open: then nothing changes.
    bool SendAllOutputs(int nInput);
    void SettleRouting();
    void RestoreRouting();
    void TrimLog();

    // The routing last reported (or shown before any report), and the
    // "Output All" display's digit then.
    int m_anSettledSource[OUTPUT_COUNT] = {};
    QString m_strSettledAll = QStringLiteral("1");
    // A command waits for an acknowledgement: set by every wait, cleared by
    // the first acknowledgement and by the end of the wait.
    bool m_bAckDue = false;

    // Font of the five number displays, made by InitControls and kept for
    // the run (the page object exists before the application, a font not).
    std::unique_ptr<QFont> m_pFontDisplay;
};

extern CPortSetPage g_PortSetPage;
