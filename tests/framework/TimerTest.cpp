// Window timers by ID: dispatch, restart, kill.
#include <QTest>
#include <gtest/gtest.h>

#include "tests/framework/TestDialogs.h"

namespace {

struct Timers : ::testing::Test {
    CRecordingDlg page{kTestPage};
    void SetUp() override { ASSERT_TRUE(page.Create(nullptr)); }
    int Fired(UINT nId) const { return static_cast<int>(std::count(page.timers.begin(), page.timers.end(), nId)); }
};

}  // namespace

TEST_F(Timers, FireRepeatedlyByIdUntilKilled) {
    EXPECT_EQ(page.SetTimer(1, 20), 1u);
    EXPECT_EQ(page.SetTimer(2, 30), 2u);
    EXPECT_TRUE(page.IsTimerRunning(1));
    EXPECT_EQ(page.GetTimerInterval(2), 30);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Fired(1) >= 2 && Fired(2) >= 2; }, 5000));
    EXPECT_TRUE(page.KillTimer(1));
    EXPECT_FALSE(page.KillTimer(1));
    EXPECT_FALSE(page.IsTimerRunning(1));
    EXPECT_EQ(page.GetTimerInterval(1), -1);
    const int nAfterKill = Fired(1);
    QTest::qWait(100);
    EXPECT_EQ(Fired(1), nAfterKill);
    EXPECT_TRUE(page.IsTimerRunning(2));
}

TEST_F(Timers, SettingARunningTimerReplacesIt) {
    page.SetTimer(1, 20);
    page.SetTimer(1, 600000);  // restarted with a long period: the short one is gone
    EXPECT_EQ(page.GetTimerInterval(1), 600000);
    QTest::qWait(150);
    EXPECT_EQ(Fired(1), 0);
}

TEST_F(Timers, KillFromTheHandlerMakesAOneShot) {
    page.onTimer = [](CRecordingDlg& d, UINT nId) { d.KillTimer(nId); };
    page.SetTimer(5, 20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Fired(5) == 1; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(Fired(5), 1);
    EXPECT_FALSE(page.IsTimerRunning(5));
}

TEST_F(Timers, ZeroPeriodIsClampedNotASpin) {
    page.SetTimer(1, 0);
    EXPECT_EQ(page.GetTimerInterval(1), 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Fired(1) >= 1; }, 5000));
}

TEST_F(Timers, TimersDieWithTheWindow) {
    page.SetTimer(1, 20);
    page.DestroyWindow();
    QTest::qWait(80);
    EXPECT_EQ(Fired(1), 0);
    EXPECT_FALSE(page.KillTimer(1));
}
