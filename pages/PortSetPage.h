#pragma once
// CPortSetPage: the "Port Set" tab. Routes one output, or all four, to an
// input; asks the switcher for the current routing ("Status"); keeps a log.
// Routing is optimistic: g_nOutputSource and the displays change at once.
#include <QString>
#include <memory>

#include "Controls.h"
#include "Dialog.h"

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
    // Re-enables every disabled command button, stops timers 1 and 2.
    void EndWait();
    // Appends strText and CRLF to the log and scrolls to its last line.
    void AppendLog(const QString& strText);

    // Called by the framework on the GUI thread.
    void OnCommand(int nId, int nNotify) override;
    void OnTimer(UINT nIdEvent) override;
    // Enter and Esc on the page do nothing.
    void OnOK() override {}
    void OnCancel() override {}

    // Bound members (data exchange).
    CEdit m_editLog;       // 1042, as a control
    QString m_strStatus;   // hidden static 1029
    int m_nSelInput = -1;  // hidden radio group 1025..1028, -1 when none set
    QString m_strLog;      // text of 1042

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void OnStatus();
    void OnRouteButton(int nOutput, int nInput);
    void OnOutputAllButton(int nInput);
    void OnSelInputRadio(int nInput);
    void OnClear();

    void StartWait();
    void DisableRow(int nRow);
    void RouteOutput(int nOutput, int nInput);
    void SendRoute(int nOutput, int nInput);
    void SendAllOutputs(int nInput);

    // Font of the five number displays, made by InitControls and kept for
    // the run (the page object exists before the application, a font not).
    std::unique_ptr<QFont> m_pFontDisplay;
};

extern CPortSetPage g_PortSetPage;
