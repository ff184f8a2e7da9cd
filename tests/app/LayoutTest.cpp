// Window sizes and text room: the main window keeps the proportions of its
// template and fits a 1366x768 screen with a panel; no page, the main window
// or the about box shows a clipped text.
#include "AboutDlg.h"
#include "AppFixture.h"
#include "Set_Net_Config.h"
#include "System_Setting_Page.h"
#include "TextFit.h"

namespace {

// A 1366x768 screen less a panel.
constexpr int SCREEN_WIDTH = 1366;
constexpr int USABLE_HEIGHT = 768 - 36;

void ExpectNoneClipped(QWidget* pWnd, const char* pszWhat) {
    const QStringList aClipped = ClippedTexts(pWnd);
    EXPECT_TRUE(aClipped.isEmpty()) << pszWhat << ":\n" << qPrintable(aClipped.join('\n'));
}

}  // namespace

class LayoutTest : public AppFixture {};

TEST_F(LayoutTest, MainWindowFitsTheScreenWithTheTemplatesProportions) {
    OpenMainWindow();
    const QSize size = pDlg->GetSafeHwnd()->size();
    EXPECT_LE(size.width(), SCREEN_WIDTH);
    EXPECT_LE(size.height(), USABLE_HEIGHT);
    // A dialog unit is as wide as it is high, as in the template.
    const DlgTemplate& tpl = pDlg->Template();
    EXPECT_NEAR(double(size.width()) / size.height(), double(tpl.cx) / tpl.cy, 0.02);
}

TEST_F(LayoutTest, NoTextIsClippedOnAnyPageOrWindow) {
    OpenMainWindow();
    ExpectNoneClipped(pDlg->GetSafeHwnd(), "main window");
    for (CDialog* pPage : {static_cast<CDialog*>(&g_PortSetPage), static_cast<CDialog*>(&g_EdidConfigPage),
                           static_cast<CDialog*>(&g_IpConfigPage), static_cast<CDialog*>(&g_NetConfigPage),
                           static_cast<CDialog*>(&g_SystemConfigPage)}) {
        QWidget* pWnd = pPage->GetSafeHwnd();
        ExpectNoneClipped(pWnd, qPrintable(pWnd->objectName()));
        // The page lies within the tab control's page area.
        EXPECT_TRUE(pWnd->parentWidget()->rect().contains(pWnd->geometry())) << qPrintable(pWnd->objectName());
    }
    CAboutDlg about;
    ASSERT_TRUE(about.Create(nullptr));
    ExpectNoneClipped(about.GetSafeHwnd(), "about box");
    about.DestroyWindow();
}
