#pragma once
// A fresh Port Set and EDID Config page per test, both created and
// initialised as the main window does, with the reply decoder wired to them
// through the main window's forwarding and every serial frame captured
// through the driver's write echo.
#include <QAbstractButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DeviceState.h"
#include "EdidConfigPage.h"
#include "Dlg129_EdidConfigIds.h"
#include "Dlg130_PortSetIds.h"
#include "PageReplyTarget.h"
#include "PageTestSupport.h"
#include "PortSetPage.h"
#include "ReplyAssembler.h"
#include "SerialPort.h"

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

    void Reply(const char* pszText) { FeedReply(target, pszText); }
    static void Click(CDialog& page, int nId) { ClickControl(page, nId); }

    // The Port Set log box, one entry per line.
    QStringList PortSetLog() const {
        QStringList lines = portSet.GetDlgItemText(Dlg130::IDC_LOG).split(QRegularExpression("\r?\n"));
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
    CPageReplyTarget target{portSet, edid};
    std::vector<std::string> frames;
};
