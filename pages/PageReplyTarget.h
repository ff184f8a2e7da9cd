#pragma once
// CPageReplyTarget: the reply decoding's calls, forwarded to the pages. The
// main window derives from it (it adds the device name box); the page tests
// use it as it is, with pages of their own.
#include <QString>

#include "pages/IReplyTarget.h"

class CPortSetPage;
class CEdidConfigPage;
class CIpConfigPage;
class CNetConfigPage;
class CSystemConfigPage;

class CPageReplyTarget : public IReplyTarget {
public:
    // The global page objects.
    CPageReplyTarget();
    // Other Port Set and EDID Config pages (tests); the rest are the globals.
    CPageReplyTarget(CPortSetPage& portSet, CEdidConfigPage& edid);

    void ShowOutputSource(int nOutput) override;
    void PortSetEndWait() override;
    void RefreshEdidInput(int nInput) override;
    void EdidEndWait() override;
    void StartAckTimers() override;
    bool AckAwaited() const override;
    void LogToPages(const char* pszText, int nTarget) override;
    // No page shows the name; the main window does.
    void ShowDeviceName() override {}
    void ShowNetParams() override;
    void GetIpConfig() override;
    void ReadAllConfig() override;
    void SetDebugMode(int nMode) override;

protected:
    void LogToPages(const QString& strText, int nTarget);

private:
    CPortSetPage& m_portSet;
    CEdidConfigPage& m_edid;
    CIpConfigPage& m_ipConfig;
    CNetConfigPage& m_netConfig;
    CSystemConfigPage& m_systemConfig;
};
