#pragma once
// What every page fixture does the same way: start from the application's
// starting state, capture the serial frames, script the message boxes, feed
// a reply through the decoder, click a control as the operator would, and
// read check boxes and log boxes.
#include <QAbstractButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/DeviceState.h"
#include "framework/Dialog.h"
#include "pages/IReplyTarget.h"
#include "framework/MessageBox.h"
#include "link/ReplyAssembler.h"
#include "link/SerialPort.h"

// Feeds a reply as if it arrived on the link.
inline void FeedReply(IReplyTarget& target, const char* pszText) {
    for (const char* p = pszText; *p; ++p) RxFeedChar(static_cast<BYTE>(*p), target);
}

inline void ClickControl(CDialog& page, int nId) {
    auto* pButton = page.GetItem<QAbstractButton>(nId);
    ASSERT_NE(pButton, nullptr) << "no button " << nId;
    // The operator can only click what is shown.
    ASSERT_TRUE(pButton->isVisibleTo(page.GetSafeHwnd())) << "button " << nId << " is hidden";
    // Check boxes and radios take clicks on their indicator or text only,
    // not on the empty rest of their rectangle: click the indicator.
    const bool bIndicator = !pButton->inherits("QPushButton");
    const QPoint pt = bIndicator ? QPoint(pButton->height() / 2, pButton->height() / 2) : pButton->rect().center();
    QTest::mouseClick(pButton, Qt::LeftButton, Qt::NoModifier, pt);
}

// Each case starts from the device state and reply assembler the application
// starts with. Every frame the serial driver accepts is captured in frames
// (and handed to OnFrame). Message boxes are scripted: a test queues the
// answers it expects, and a box nobody expected fails the test. A fixture
// creates its pages after SetUp and destroys them before TearDown.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        RxReset();
        MessageBoxScript::Begin();
        g_SerialPort.SetWriteEcho([this](const char* psz) {
            frames.emplace_back(psz);
            OnFrame(psz);
        });
    }
    void TearDown() override {
        g_SerialPort.SetWriteEcho(nullptr);
        EXPECT_EQ(MessageBoxScript::UnexpectedCount(), 0) << "a message box came that the test did not expect";
        MessageBoxScript::End();
        ResetDeviceState();
    }
    // Each captured frame, after it was added to frames.
    virtual void OnFrame(const char*) {}

    static void Click(CDialog& page, int nId) { ClickControl(page, nId); }

    static bool IsChecked(const CDialog& page, int nId) {
        auto* pButton = page.GetItem<QAbstractButton>(nId);
        if (!pButton) ADD_FAILURE() << "no button " << nId;
        return pButton && pButton->isChecked();
    }

    // A log box's text, one entry per line.
    static QStringList LogLines(const CDialog& page, int nId) {
        QStringList lines = page.GetDlgItemText(nId).split(QRegularExpression("\r?\n"));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }

    std::vector<std::string> frames;
};
