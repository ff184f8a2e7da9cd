#pragma once
// What every page fixture does the same way: feed a reply through the
// decoder, and click a control as the operator would.
#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

#include "Dialog.h"
#include "IReplyTarget.h"
#include "ReplyAssembler.h"

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
