#pragma once
// A fresh Port Set and EDID Config page per test, both created and
// initialised as the main window does, with the reply decoder wired to them
// through the main window's forwarding and every serial frame captured
// through the driver's write echo.
#include <QStringList>
#include <vector>

#include "pages/EdidConfigPage.h"
#include "resources/Dlg129_EdidConfigIds.h"
#include "resources/Dlg130_PortSetIds.h"
#include "pages/PageReplyTarget.h"
#include "tests/pages/PageTestSupport.h"
#include "pages/PortSetPage.h"

class PageFixture : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        ASSERT_TRUE(portSet.Create(nullptr));
        ASSERT_TRUE(edid.Create(nullptr));
        portSet.InitControls();
        edid.InitControls();
        portSet.ShowWindow(TRUE);
        edid.ShowWindow(TRUE);
    }
    void TearDown() override {
        portSet.DestroyWindow();
        edid.DestroyWindow();
        PageTest::TearDown();
    }

    void Reply(const char* pszText) { FeedReply(target, pszText); }

    // The Port Set log box, one entry per line.
    QStringList PortSetLog() const { return LogLines(portSet, Dlg130::IDC_LOG); }

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
};
