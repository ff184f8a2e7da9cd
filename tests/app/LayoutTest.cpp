// Window sizes and text room. The main window has one size whatever fonts
// are installed (the cases run once more under a fontconfig that offers only
// DejaVu), fits a 1366x768 screen with a 30 px panel with its frame, and
// shrinks on a smaller screen (the cases run once more on one); no page, the
// main window or the about box shows a clipped text; a log line longer than
// its box is shown whole.
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "app/AboutDlg.h"
#include "tests/app/AppFixture.h"
#include "app/ConnectCheck.h"
#include "framework/ScreenFit.h"
#include "pages/Set_Net_Config.h"
#include "pages/System_Setting_Page.h"
#include "tests/support/TextFit.h"

namespace {

// A 1366x768 screen less a 30 px panel: the most the window may take, frame included.
constexpr QSize LAPTOP_AREA(1366, 738);
// The main window where the screen has room: 555 x 416 units of the
// template's 10 pt font (13 px: units of 6.5 x 13 px), on every machine.
constexpr QSize MAIN_CLIENT(902, 676);

void ExpectNoneClipped(QWidget* pWnd, const char* pszWhat) {
    const QStringList aClipped = ClippedTexts(pWnd);
    EXPECT_TRUE(aClipped.isEmpty()) << pszWhat << ":\n" << qPrintable(aClipped.join('\n'));
}

QRect AvailableArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

}  // namespace

class LayoutTest : public AppFixture {};

// Under CORVANE_TEST_FONTS_ONLY=<prefix> (the DejaVu-only run) no CJK face is
// on offer and the window draws with the one given, so the other cases see
// what such a machine shows.
TEST_F(LayoutTest, FontsOnOfferAreTheOnesTheRunAsksFor) {
    const QString strOnly = qEnvironmentVariable("CORVANE_TEST_FONTS_ONLY");
    if (strOnly.isEmpty()) GTEST_SKIP() << "runs with the machine's fonts";
    EXPECT_EQ(QFontDatabase::families(QFontDatabase::SimplifiedChinese), QStringList());
    OpenMainWindow();
    EXPECT_TRUE(QFontInfo(pDlg->GetSafeHwnd()->font()).family().startsWith(strOnly));
}

TEST_F(LayoutTest, MainWindowFitsTheScreenWithItsFrameAndIsCentred) {
    OpenMainWindow();
    QWidget* pWnd = pDlg->GetSafeHwnd();
    const QRect rcAvail = AvailableArea();
    const QSize outer = pWnd->size().grownBy(FRAME_ALLOWANCE);
    EXPECT_LE(outer.width(), std::min(rcAvail.width(), LAPTOP_AREA.width()));
    EXPECT_LE(outer.height(), std::min(rcAvail.height(), LAPTOP_AREA.height()));
    if (rcAvail.width() >= LAPTOP_AREA.width() && rcAvail.height() >= LAPTOP_AREA.height())
        EXPECT_EQ(pWnd->size(), MAIN_CLIENT);  // whatever fonts the machine has
    else
        EXPECT_LT(pWnd->height(), MAIN_CLIENT.height());  // shrunk to the smaller screen
    // A dialog unit is half as wide as it is high, as in the template.
    const DlgTemplate& tpl = pDlg->Template();
    EXPECT_NEAR(double(pWnd->width()) / pWnd->height(), double(tpl.cx) / tpl.cy, 0.02);
    // The frame starts within the area, and the window with its frame is
    // centred on it: the title bar is never above the screen.
    const QRect rcFrame = pWnd->frameGeometry();
    EXPECT_TRUE(rcAvail.contains(rcFrame.topLeft())) << rcFrame.x() << "," << rcFrame.y();
    const int nBelow = rcAvail.bottom() - (rcFrame.top() + outer.height() - 1);
    EXPECT_NEAR(rcFrame.top() - rcAvail.top(), nBelow, 1);
}

TEST_F(LayoutTest, NoTextIsClippedOnAnyPageOrWindow) {
    OpenMainWindow();
    ExpectNoneClipped(pDlg->GetSafeHwnd(), "main window");
    for (CDialog* pPage : {static_cast<CDialog*>(&g_PortSetPage), static_cast<CDialog*>(&g_EdidConfigPage),
                           static_cast<CDialog*>(&g_IpConfigPage), static_cast<CDialog*>(&g_NetConfigPage),
                           static_cast<CDialog*>(&g_SystemConfigPage)}) {
        QWidget* pWnd = pPage->GetSafeHwnd();
        ExpectNoneClipped(pWnd, qPrintable(pWnd->objectName()));
        // The page lies within the tab control's page area, and so do its controls.
        EXPECT_TRUE(pWnd->parentWidget()->rect().contains(pWnd->geometry())) << qPrintable(pWnd->objectName());
        for (QWidget* pCtrl : pWnd->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!pCtrl->objectName().isEmpty() && !pCtrl->isHidden())
                EXPECT_TRUE(pWnd->rect().contains(pCtrl->geometry())) << qPrintable(pCtrl->objectName());
        }
    }
    CAboutDlg about;
    ASSERT_TRUE(about.Create(nullptr));
    ExpectNoneClipped(about.GetSafeHwnd(), "about box");
    about.DestroyWindow();
}

// The longest line the Port Set log gets, the 3 s check after Connect, is
// read whole where it appears: no part of it lies beyond the box's right edge.
TEST_F(LayoutTest, LongestLogLineIsShownWhole) {
    OpenMainWindow();
    const QString strLine = ConnectNoAnswerLine(QStringLiteral("COM30"));
    g_PortSetPage.AppendLog(strLine);
    auto* pLog = g_PortSetPage.GetItem<QPlainTextEdit>(Dlg130::IDC_LOG);
    ASSERT_NE(pLog, nullptr);
    pLog->document()->documentLayout()->documentSize();  // lay the text out now
    const int nViewWidth = pLog->viewport()->width();
    int nWidest = 0;
    for (QTextBlock block = pLog->document()->begin(); block.isValid(); block = block.next()) {
        QTextLayout* pLayout = block.layout();
        for (int i = 0; pLayout && i < pLayout->lineCount(); ++i)
            nWidest = std::max(nWidest, int(std::ceil(pLayout->lineAt(i).naturalTextWidth())));
    }
    EXPECT_GT(nWidest, 0);
    EXPECT_LE(nWidest, nViewWidth);
    EXPECT_EQ(pLog->horizontalScrollBar()->maximum(), 0);
    EXPECT_TRUE(pLog->toPlainText().contains(strLine));
}
