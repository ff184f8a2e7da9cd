// Building windows from templates: controls by ID, order, styles, geometry,
// and the lifetime of windows against the dialog objects.
#include <QComboBox>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "framework/DialogLayout.h"
#include "framework/IPAddressCtrl.h"
#include "framework/ScreenFit.h"
#include "tests/framework/TestDialogs.h"

namespace {

bool IsNumericName(const QObject* pObj) {
    bool bOk = false;
    pObj->objectName().toInt(&bOk);
    return bOk;
}

}  // namespace

TEST(DialogBuild, ObjectIsUsableBeforeItsWindow) {
    CRecordingDlg dlg(kTestPage);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dlg.GetDlgItem(IDC_GO), nullptr);
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.SetTimer(1, 100), 0u);
    EXPECT_FALSE(dlg.IsTimerRunning(1));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_MID), QString());
}

TEST(DialogBuild, EveryControlIsFoundByIdAndNamedByIt) {
    CRecordingDlg dlg(kTestPage);
    ASSERT_TRUE(dlg.Create(nullptr));
    for (const CtrlTemplate& ctrl : kTestPage.controls) {
        if (ctrl.nId == -1)
            continue;
        QWidget* pCtrl = dlg.GetDlgItem(ctrl.nId);
        ASSERT_NE(pCtrl, nullptr) << ctrl.nId;
        EXPECT_EQ(pCtrl->objectName(), QString::number(ctrl.nId));
        EXPECT_EQ(dlg.GetSafeHwnd()->findChild<QWidget*>(QString::number(ctrl.nId)), pCtrl);
    }
    // Controls without an ID carry no number a test could mistake for one.
    int nNumbered = 0;
    for (QWidget* pChild : dlg.GetSafeHwnd()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        nNumbered += IsNumericName(pChild) ? 1 : 0;
    EXPECT_EQ(nNumbered, 14);
    EXPECT_EQ(dlg.GetDlgItem(-1), nullptr);
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);
}

TEST(DialogBuild, ControlKindsFollowTheTemplate) {
    CRecordingDlg dlg(kTestPage);
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_NE(dlg.GetItem<QPlainTextEdit>(IDC_LOG), nullptr);
    EXPECT_NE(dlg.GetItem<QLineEdit>(IDC_HIDDEN_EDIT), nullptr);
    EXPECT_NE(dlg.GetItem<QLabel>(IDC_MID), nullptr);
    EXPECT_NE(dlg.GetItem<QRadioButton>(IDC_RADIO_A), nullptr);
    EXPECT_NE(dlg.GetItem<CIPAddressCtrl>(IDC_IP), nullptr);
    auto* pDropDown = dlg.GetItem<QComboBox>(IDC_COMBO);
    ASSERT_NE(pDropDown, nullptr);
    EXPECT_TRUE(pDropDown->isEditable());
    EXPECT_EQ(pDropDown->insertPolicy(), QComboBox::NoInsert);
    auto* pList = dlg.GetItem<QComboBox>(IDC_LIST);
    ASSERT_NE(pList, nullptr);
    EXPECT_FALSE(pList->isEditable());
    auto* pSunken = dlg.GetItem<QLabel>(IDC_DISABLED);
    EXPECT_EQ(pSunken->frameShadow(), QFrame::Sunken);
    EXPECT_TRUE(pSunken->alignment() & Qt::AlignHCenter);
}

TEST(DialogBuild, CreationOrderIsTheTabOrder) {
    CRecordingDlg dlg(kTestPage);
    ASSERT_TRUE(dlg.Create(nullptr));
    QWidget* pWnd = dlg.GetSafeHwnd();
    std::vector<int> chain;
    for (QWidget* p = pWnd->nextInFocusChain(); p != pWnd; p = p->nextInFocusChain())
        if (p->parentWidget() == pWnd && IsNumericName(p))
            chain.push_back(p->objectName().toInt());
    std::vector<int> created;
    for (const CtrlTemplate& ctrl : kTestPage.controls)
        if (ctrl.nId != -1)
            created.push_back(ctrl.nId);
    EXPECT_EQ(chain, created);
    // Labels never take the focus; buttons with a tab stop do.
    EXPECT_EQ(dlg.GetDlgItem(IDC_MID)->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(dlg.GetDlgItem(IDC_GO)->focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(dlg.GetDlgItem(IDC_RADIO_B)->focusPolicy() & Qt::TabFocus);
}

TEST(DialogBuild, HiddenAndDisabledStyles) {
    CRecordingDlg dlg(kTestPage);
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_FALSE(dlg.IsDlgItemVisible(IDC_HIDDEN_EDIT));
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_LOG));
    EXPECT_FALSE(dlg.IsDlgItemEnabled(IDC_DISABLED));
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_GO));
    // The control's own flags, whatever its window does.
    dlg.ShowWindow(FALSE);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_LOG));
    dlg.ShowDlgItem(IDC_HIDDEN_EDIT, TRUE);
    EXPECT_TRUE(dlg.IsDlgItemVisible(IDC_HIDDEN_EDIT));
    dlg.EnableDlgItem(IDC_DISABLED, TRUE);
    EXPECT_TRUE(dlg.IsDlgItemEnabled(IDC_DISABLED));
    // Missing IDs are quietly nothing.
    dlg.ShowDlgItem(4242, TRUE);
    EXPECT_FALSE(dlg.IsDlgItemVisible(4242));
}

TEST(DialogBuild, DialogUnitsKeepProportions) {
    CRecordingDlg page(kTestPage);
    CRecordingDlg top(kTestTop);
    ASSERT_TRUE(page.Create(nullptr));
    ASSERT_TRUE(top.Create(nullptr));
    for (CRecordingDlg* pDlg : {&page, &top}) {
        const QRect rc100 = pDlg->MapDialogRect(0, 0, 100, 100);
        const QRect rc200 = pDlg->MapDialogRect(0, 0, 200, 200);
        EXPECT_NEAR(rc200.width(), 2 * rc100.width(), 1);
        EXPECT_NEAR(rc200.height(), 2 * rc100.height(), 1);
        // Eight units are one em of the template's font as it is meant to
        // look, four units half of it, whatever face is installed: the
        // metrics of a stand-in face do not change the window.
        const int nEm = TemplateEmPixels(pDlg->Template());
        EXPECT_EQ(pDlg->MapDialogRect(0, 0, 0, 8).height(), nEm);
        EXPECT_EQ(pDlg->MapDialogRect(0, 0, 400, 0).width(), 50 * nEm);
        // The font the controls use fits one line into eight units and an
        // average character into four.
        const QFontMetricsF fm(pDlg->GetSafeHwnd()->font());
        EXPECT_LE(fm.height(), nEm + 0.5);
        EXPECT_LE(fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0, nEm / 2.0);
    }
    // Controls sit where the template puts them.
    const CtrlTemplate& go = kTestPage.controls[0];
    EXPECT_EQ(page.GetDlgItem(IDC_GO)->geometry(), page.MapDialogRect(go.x, go.y, go.cx, go.cy));
    // A top-level window's client area is its template size.
    EXPECT_EQ(top.GetSafeHwnd()->size(), top.MapDialogRect(0, 0, kTestTop.cx, kTestTop.cy).size());
    EXPECT_EQ(top.GetSafeHwnd()->windowTitle(), "Test Top");
}

TEST(DialogBuild, SongTiFallsBackToAnInstalledCjkFont) {
    CRecordingDlg top(kTestTop);
    ASSERT_TRUE(top.Create(nullptr));
    const QFontMetrics fm(top.GetSafeHwnd()->font());
    EXPECT_TRUE(fm.inFontUcs4(0x5173)) << top.GetSafeHwnd()->font().family().toStdString();  // 关
}

TEST(DialogBuild, ComboIsOneLineHighWhateverItsListHeight) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    auto* pCombo = page.GetItem<QComboBox>(IDC_COMBO);
    EXPECT_EQ(pCombo->height(), pCombo->sizeHint().height());
    EXPECT_LT(pCombo->height(), page.MapDialogRect(0, 0, 0, 80).height());
}

TEST(DialogBuild, GroupBoxCreatedLaterDoesNotCoverItsButtons) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    QWidget* pGo = page.GetDlgItem(IDC_GO);
    QWidget* pHit = page.GetSafeHwnd()->childAt(pGo->geometry().center());
    ASSERT_NE(pHit, nullptr);
    EXPECT_TRUE(pHit == pGo || pGo->isAncestorOf(pHit));
    EXPECT_NE(page.GetSafeHwnd()->findChild<QGroupBox*>(), nullptr);
}

TEST(DialogBuild, DestroyWindowKeepsTheObjectAndForgetsTheControls) {
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(page.Create(nullptr));
    EXPECT_FALSE(page.Create(nullptr));  // one window at a time
    page.UpdateData(FALSE);               // attaches the control objects
    ASSERT_NE(page.m_btnGo.GetSafeHwnd(), nullptr);
    page.SetTimer(1, 20);
    page.DestroyWindow();
    EXPECT_EQ(page.GetSafeHwnd(), nullptr);
    EXPECT_EQ(page.m_btnGo.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(page.IsTimerRunning(1));
    page.m_btnGo.SetWindowText("gone");  // harmless on a destroyed control
    page.DestroyWindow();                 // twice is fine
    ASSERT_TRUE(page.Create(nullptr));    // and the object can build it again
    EXPECT_NE(page.GetDlgItem(IDC_GO), nullptr);
}

TEST(DialogBuild, PageWindowDiesWithItsParent) {
    CRecordingDlg top(kTestTop);
    CRecordingDlg page(kTestPage);
    ASSERT_TRUE(top.Create(nullptr));
    ASSERT_TRUE(page.Create(top.GetSafeHwnd()));
    EXPECT_EQ(page.GetSafeHwnd()->parentWidget(), top.GetSafeHwnd());
    EXPECT_FALSE(page.GetSafeHwnd()->isWindow());
    EXPECT_TRUE(page.IsWindowVisible());
    top.DestroyWindow();
    EXPECT_EQ(page.GetSafeHwnd(), nullptr);
    EXPECT_EQ(page.GetDlgItem(IDC_GO), nullptr);
}

// A window too big for the screen's free area shrinks, proportions kept,
// until it fits with its frame; one that fits keeps its units; the frame is
// centred and never starts above or left of the area, even when the window
// is bigger than the area.
TEST(DialogBuild, TopLevelWindowsFitAndCentreOnTheFreeArea) {
    const DlgBaseUnits units{6.5, 13};
    const QRect rcLaptop(0, 0, 1366, 738);
    const DlgBaseUnits same = FitUnitsToArea(units, 555, 416, rcLaptop);
    EXPECT_EQ(same.dAvgCharWidth, units.dAvgCharWidth);
    EXPECT_EQ(same.dCharHeight, units.dCharHeight);
    for (const QRect& rcSmall : {QRect(0, 0, 1024, 600), QRect(0, 32, 800, 568), QRect(100, 0, 640, 1000)}) {
        const DlgBaseUnits fitted = FitUnitsToArea(units, 555, 416, rcSmall);
        const QSize outer = DialogUnitsToPixels(fitted, 0, 0, 555, 416).size().grownBy(FRAME_ALLOWANCE);
        EXPECT_LE(outer.width(), rcSmall.width());
        EXPECT_LE(outer.height(), rcSmall.height());
        // Not shrunk further than it takes: one side nearly fills the area.
        EXPECT_TRUE(outer.height() > rcSmall.height() * 0.95 || outer.width() > rcSmall.width() * 0.95);
        EXPECT_DOUBLE_EQ(fitted.dCharHeight / fitted.dAvgCharWidth, 2.0);
    }
    const QSize client(902, 676);
    const QPoint ptFrame = CentredFramePos(client, QRect(0, 30, 1366, 738));
    EXPECT_EQ(ptFrame.y() - 30, 738 - (ptFrame.y() - 30) - client.grownBy(FRAME_ALLOWANCE).height());
    EXPECT_EQ(CentredFramePos(client, QRect(10, 20, 800, 500)), QPoint(10, 20));
}
