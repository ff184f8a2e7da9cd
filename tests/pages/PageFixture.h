#pragma once
// A fresh Port Set and EDID Config page per test, both created and
// initialised as the main window does, with the reply decoder wired to them
// and every serial frame captured through the driver's write echo.
#include <QAbstractButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DeviceState.h"
#include "EdidConfigPage.h"
#include "IReplyTarget.h"
#include "PortSetPage.h"
#include "ReplyAssembler.h"
#include "SerialPort.h"

// Forwards the reply decoding to the two pages the way the main window does.
class PagesTarget : public IReplyTarget {
public:
    PagesTarget(CPortSetPage& portSet, CEdidConfigPage& edid) : m_portSet(portSet), m_edid(edid) {}
    void ShowOutputSource(int n) override { m_portSet.ShowOutputSource(n); }
    void PortSetEndWait() override { m_portSet.EndWait(); }
    void RefreshEdidInput(int n) override { m_edid.RefreshInput(n); }
    void EdidEndWait() override { m_edid.EndWait(); }
    void StartAckTimers() override {
        m_portSet.SetTimer(2, 1000);
        m_edid.SetTimer(2, 3000);
    }
    void LogToPages(const char* psz, int nTarget) override {
        const QString strText = QString::fromLatin1(psz);
        if (nTarget == 0 || nTarget == 2) m_portSet.AppendLog(strText);
        if (nTarget == 1 || nTarget == 2) m_edid.SetLogText(strText);
    }
    void ShowDeviceName() override {}
    void ShowNetParams() override {}
    void GetIpConfig() override {}
    void ReadAllConfig() override {}
    void SetDebugMode(int) override {}

private:
    CPortSetPage& m_portSet;
    CEdidConfigPage& m_edid;
};

class PageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        RxReset();
        ASSERT_TRUE(portSet.Create(nullptr));
        ASSERT_TRUE(edid.Create(nullptr));
        portSet.InitControls();
        edid.InitControls();
        portSet.ShowWindow(TRUE);
        edid.ShowWindow(TRUE);
        g_SerialPort.SetWriteEcho([this](const char* psz) { frames.emplace_back(psz); });
    }
    void TearDown() override {
        g_SerialPort.SetWriteEcho(nullptr);
        portSet.DestroyWindow();
        edid.DestroyWindow();
        ResetDeviceState();
    }

    // Feeds a reply as if it arrived on the link.
    void Reply(const char* pszText) {
        for (const char* p = pszText; *p; ++p) RxFeedChar(static_cast<BYTE>(*p), target);
    }

    static void Click(CDialog& page, int nId) {
        auto* pButton = page.GetItem<QAbstractButton>(nId);
        ASSERT_NE(pButton, nullptr) << "no button " << nId;
        QTest::mouseClick(pButton, Qt::LeftButton);
    }

    // The Port Set log box, one entry per line.
    QStringList PortSetLog() const {
        QStringList lines = portSet.GetDlgItemText(1042).split(QRegularExpression("\r?\n"));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }

    std::vector<int> DisabledAmong(const CDialog& page, std::initializer_list<int> ids) const {
        std::vector<int> disabled;
        for (int nId : ids) {
            if (!page.IsDlgItemEnabled(nId)) disabled.push_back(nId);
        }
        return disabled;
    }

    CPortSetPage portSet;
    CEdidConfigPage edid;
    PagesTarget target{portSet, edid};
    std::vector<std::string> frames;
};
