// Tooltips: text per tool, shown after the delay, not when inactive.
#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include "framework/ToolTip.h"

namespace {

void Hover(QWidget* pWidget) {
    const QPointF pt(2, 2);
    QEnterEvent enter(pt, pWidget->mapTo(pWidget->window(), pt), pWidget->mapToGlobal(pt));
    QCoreApplication::sendEvent(pWidget, &enter);
}

void Leave(QWidget* pWidget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(pWidget, &leave);
}

struct ToolTips : ::testing::Test {
    QWidget window;
    QLabel* pTool = new QLabel("tool", &window);
    QLabel* pOther = new QLabel("other", &window);
    CToolTipCtrl tip;
    void SetUp() override {
        pOther->move(0, 40);
        window.resize(200, 100);
        window.show();
        ASSERT_TRUE(tip.Create(&window));
        ASSERT_TRUE(tip.AddTool(pTool, "Input Max Size:16"));
        tip.SetDelayTime(50);
    }
    void TearDown() override {
        QToolTip::hideText();  // fades out: wait until it is gone
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
    }
};

}  // namespace

TEST_F(ToolTips, ToolsKeepTheirText) {
    EXPECT_EQ(tip.GetToolText(pTool), "Input Max Size:16");
    EXPECT_EQ(tip.GetToolText(pOther), QString());
    EXPECT_EQ(pTool->toolTip(), "Input Max Size:16");  // visible to accessibility tools
    EXPECT_EQ(tip.GetDelayTime(), 50u);
    EXPECT_FALSE(tip.AddTool(nullptr, "x"));
}

TEST_F(ToolTips, ShowsAfterTheDelayWhenActive) {
    tip.Activate(TRUE);
    Hover(pTool);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), "Input Max Size:16");
    Leave(pTool);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
}

TEST_F(ToolTips, NothingWhenInactiveOrDisabledOrLeftEarly) {
    Hover(pTool);  // not yet activated
    QTest::qWait(150);
    EXPECT_FALSE(QToolTip::isVisible());

    tip.Activate(TRUE);
    pTool->setEnabled(false);
    Hover(pTool);
    QTest::qWait(150);
    EXPECT_FALSE(QToolTip::isVisible());

    pTool->setEnabled(true);
    tip.SetDelayTime(400);
    Hover(pTool);
    Leave(pTool);
    QTest::qWait(500);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(ToolTips, DestroyedToolsAreForgotten) {
    QLabel* pGone = new QLabel("gone", &window);
    tip.AddTool(pGone, "tip");
    tip.Activate(TRUE);
    Hover(pGone);
    delete pGone;
    QTest::qWait(150);
    // (Qt may hand the pointer to the tool beneath, whose own tip is fine.)
    EXPECT_FALSE(QToolTip::isVisible() && QToolTip::text() == "tip");
    EXPECT_EQ(tip.GetToolText(pTool), "Input Max Size:16");
}
