#pragma once
// A fresh IP Config and System Config page per test, created as the main
// window creates them, with the reply decoder wired to them. Every frame the
// serial driver accepts is captured and, as in the main window, appended to
// the IP Config page's hidden log. Message boxes are scripted: a test queues
// the answers it expects, and a box nobody expected fails the test.
#include <QAbstractButton>
#include <QTest>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DeviceState.h"
#include "IP_SEL_PAGE.h"
#include "MessageBox.h"
#include "NoopReplyTarget.h"
#include "PageTestSupport.h"
#include "ReplyAssembler.h"
#include "SerialPort.h"
#include "System_Setting_Page.h"

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

class ConfigPagesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        RxReset();
        MessageBoxScript::Begin();
        ASSERT_TRUE(ip.Create(nullptr));
        ASSERT_TRUE(sys.Create(nullptr));
        ip.InitControls();
        ip.ShowWindow(TRUE);
        sys.ShowWindow(TRUE);
        g_SerialPort.SetWriteEcho([this](const char* psz) {
            frames.emplace_back(psz);
            ip.AppendLog(QString::fromLatin1(psz));
        });
    }
    void TearDown() override {
        EXPECT_EQ(MessageBoxScript::UnexpectedCount(), 0) << "a message box came that the test did not expect";
        MessageBoxScript::End();
        g_SerialPort.SetWriteEcho(nullptr);
        ip.DestroyWindow();
        sys.DestroyWindow();
        ResetDeviceState();
    }

    void Reply(const char* pszText) { FeedReply(target, pszText); }
    static void Click(CDialog& page, int nId) { ClickControl(page, nId); }

    static bool IsChecked(const CDialog& page, int nId) {
        auto* pButton = page.GetItem<QAbstractButton>(nId);
        return pButton && pButton->isChecked();
    }

    // Texts of the boxes shown so far, in order.
    static std::vector<QString> Boxes() {
        std::vector<QString> texts;
        for (const auto& shown : MessageBoxScript::History()) texts.push_back(shown.strText);
        return texts;
    }

    CIpConfigPage ip;
    CSystemConfigPage sys;
    ConfigPagesTarget target{ip, sys};
    std::vector<std::string> frames;
};
