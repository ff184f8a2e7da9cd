#pragma once
// A fresh IP Config and System Config page per test, created as the main
// window creates them, with the reply decoder wired to them. Every frame the
// serial driver accepts is captured and, as in the main window, appended to
// the IP Config page's hidden log; message boxes are scripted (PageTest).
#include <QString>
#include <vector>

#include "pages/IP_SEL_PAGE.h"
#include "tests/support/NoopReplyTarget.h"
#include "tests/pages/PageTestSupport.h"
#include "pages/System_Setting_Page.h"

// Forwards the decoder's calls for these two pages the way the main window does.
class ConfigPagesTarget : public CNoopReplyTarget {
public:
    ConfigPagesTarget(CIpConfigPage& ip, CSystemConfigPage& sys) : m_ip(ip), m_sys(sys) {}
    void ShowNetParams() override { m_ip.ShowNetParams(); }
    void GetIpConfig() override { m_ip.GetIpConfig(); }
    void SetDebugMode(int nMode) override { m_sys.SetDebugMode(nMode); }

private:
    CIpConfigPage& m_ip;
    CSystemConfigPage& m_sys;
};

class ConfigPagesFixture : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        ASSERT_TRUE(ip.Create(nullptr));
        ASSERT_TRUE(sys.Create(nullptr));
        ip.InitControls();
        ip.ShowWindow(TRUE);
        sys.ShowWindow(TRUE);
    }
    void TearDown() override {
        ip.DestroyWindow();
        sys.DestroyWindow();
        PageTest::TearDown();
    }
    // As in the main window, every frame the serial driver accepts goes into
    // the IP Config page's hidden log.
    void OnFrame(const char* psz) override { ip.AppendLog(QString::fromLatin1(psz)); }

    void Reply(const char* pszText) { FeedReply(target, pszText); }

    // Texts of the boxes shown so far, in order.
    static std::vector<QString> Boxes() {
        std::vector<QString> texts;
        for (const auto& shown : MessageBoxScript::History()) texts.push_back(shown.strText);
        return texts;
    }

    CIpConfigPage ip;
    CSystemConfigPage sys;
    ConfigPagesTarget target{ip, sys};
};
