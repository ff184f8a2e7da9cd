// Message boxes: scripted answers in tests, and the real modal box.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "framework/MessageBox.h"
#include "tests/framework/TestDialogs.h"

namespace {

struct ScriptedBoxes : ::testing::Test {
    void SetUp() override { MessageBoxScript::Begin(); }
    void TearDown() override { MessageBoxScript::End(); }
};

}  // namespace

TEST_F(ScriptedBoxes, ExpectedBoxesGetTheirAnswersInOrder) {
    MessageBoxScript::Expect("Overwrite?", IDNO);
    MessageBoxScript::Expect("Overwrite?", IDYES);
    MessageBoxScript::Expect("Done");
    EXPECT_EQ(AfxMessageBox("Done"), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Overwrite?", QString(), MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Overwrite?", "Other", MB_YESNO | MB_ICONQUESTION, "details"), IDYES);
    EXPECT_EQ(MessageBoxScript::UnexpectedCount(), 0);
    const auto& shown = MessageBoxScript::History();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].strCaption, "Corvane");
    EXPECT_EQ(shown[0].strText, "Done");
    EXPECT_EQ(shown[1].strCaption, "Corvane");
    EXPECT_EQ(shown[2].strCaption, "Other");
    EXPECT_EQ(shown[2].strInformative, "details");
    EXPECT_EQ(shown[2].nType, UINT(MB_YESNO | MB_ICONQUESTION));
}

TEST_F(ScriptedBoxes, UnexpectedBoxesAreCountedAndGetTheFirstButton) {
    MessageBoxScript::Expect("something else", IDCANCEL);
    EXPECT_EQ(AfxMessageBox("Socket Init Fail!", MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Sure?", QString(), MB_YESNO), IDYES);
    EXPECT_EQ(MessageBox(nullptr, "Go on?", QString(), MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBoxScript::UnexpectedCount(), 3);
    EXPECT_EQ(MessageBoxScript::History().size(), 3u);
    MessageBoxScript::Begin();  // starts afresh
    EXPECT_EQ(MessageBoxScript::UnexpectedCount(), 0);
    EXPECT_TRUE(MessageBoxScript::History().empty());
}

namespace {

// Answers the next real box with the given button once it is up, and
// records how it looked.
struct BoxAnswer {
    QMessageBox::StandardButton button;
    QString strTitle, strText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    void Arm() {
        QTimer::singleShot(20, [this] {
            if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                strTitle = pBox->windowTitle();
                strText = pBox->text();
                icon = pBox->icon();
                buttons = pBox->standardButtons();
                pBox->button(button)->click();
            } else {
                Arm();
            }
        });
    }
};

}  // namespace

TEST(RealBoxes, CaptionIconAndButtonsFollowTheType) {
    struct Case { UINT nType; QMessageBox::Icon icon; QMessageBox::StandardButton answer; int nExpected; };
    const Case cases[] = {
        {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Ok, IDOK},
        {MB_OK | MB_ICONERROR, QMessageBox::Critical, QMessageBox::Ok, IDOK},
        {MB_OKCANCEL, QMessageBox::NoIcon, QMessageBox::Cancel, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::No, IDNO},
        {MB_YESNO, QMessageBox::NoIcon, QMessageBox::Yes, IDYES},
    };
    for (const Case& c : cases) {
        BoxAnswer answer{c.answer, {}, {}, {}, {}};
        answer.Arm();
        EXPECT_EQ(MessageBox(nullptr, "Text", QString(), c.nType), c.nExpected);
        EXPECT_EQ(answer.strTitle, "Corvane");
        EXPECT_EQ(answer.strText, "Text");
        EXPECT_EQ(answer.icon, c.icon);
        EXPECT_TRUE(answer.buttons & c.answer);
    }
}

TEST(RealBoxes, TimersKeepRunningWhileABoxIsOpen) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    page.SetTimer(1, 20);
    // Close the box only after the window's timer fired a few times.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (pBox && page.timers.size() >= 3)
            pBox->button(QMessageBox::Ok)->click();
    });
    poll.start();
    EXPECT_EQ(AfxMessageBox("Waiting"), IDOK);
    EXPECT_GE(page.timers.size(), 3u);
}
