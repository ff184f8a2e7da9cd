#pragma once
// A fresh main window per test, created as the application creates it, with
// every COM port pointed at a path that does not exist unless the test gives
// it a pseudo-terminal (real /dev/ttyS* of the machine must not leak in).
// Frames the window sends are read from the pty's master with a generous
// limit (Expect*), never taken from whatever came within a short time.
// Each case starts and ends like an end-to-end window case (E2eFixture.h).
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTest>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/ComPorts.h"
#include "app/Corvane.h"
#include "app/CorvaneDlg.h"
#include "link/DeviceState.h"
#include "tests/e2e/E2eFixture.h"
#include "resources/Dlg102_MainIds.h"
#include "resources/Dlg129_EdidConfigIds.h"
#include "resources/Dlg130_PortSetIds.h"
#include "pages/EdidConfigPage.h"
#include "pages/IP_SEL_PAGE.h"
#include "framework/MessageBox.h"
#include "pages/PortSetPage.h"
#include "tests/support/PtyPair.h"
#include "link/ReplyAssembler.h"
#include "tests/support/Wait.h"

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        BeginWindowCase();
        InstallSerialErrorSink();
        PointComPortsNowhere();
    }
    void TearDown() override {
        if (pDlg) {
            // Closing the window ends the serial link: no monitor thread is left.
            pDlg->Shutdown();
            EXPECT_FALSE(g_SerialPort.IsMonitorAlive());
            EXPECT_EQ(g_bComConnected, 0);
        }
        EXPECT_EQ(EndWindowCase(pDlg), 0) << "message boxes came that the test did not expect";
        ForgetComPorts();
    }

    // Points COM n at the slave side of a new pseudo-terminal.
    CPtyPair& AddPty(int n) {
        auto& pPty = ptys[n];
        pPty = std::make_unique<CPtyPair>(n);
        return *pPty;
    }

    void OpenMainWindow() {
        pDlg = std::make_unique<CCorvaneDlg>();
        ASSERT_TRUE(pDlg->Create(nullptr));
    }

    QWidget* Item(int nId) const { return pDlg->GetDlgItem(nId); }
    QComboBox* PortList() const { return qobject_cast<QComboBox*>(Item(Dlg102::IDC_PORT_LIST)); }
    QStringList PortEntries() const {
        QStringList aEntries;
        for (int i = 0; i < PortList()->count(); ++i) aEntries << PortList()->itemText(i);
        return aEntries;
    }
    void Click(int nId) {
        auto* pButton = qobject_cast<QAbstractButton*>(Item(nId));
        ASSERT_NE(pButton, nullptr) << nId;
        pButton->click();
    }
    QString Caption(int nId) const { return pDlg->GetDlgItemText(nId); }

    // Processes events until pred holds or nMaxMs have passed.
    static bool WaitFor(const std::function<bool()>& pred, int nMaxMs = 10000) { return WaitUntil(pred, nMaxMs); }

    // The window sent exactly strFrame next: read as many bytes as it has
    // (or until the limit), then make sure nothing more follows.
    static void ExpectFrame(CPtyPair& pty, const std::string& strFrame) {
        EXPECT_EQ(pty.Read(strFrame.size()), strFrame);
        ExpectNothingMore(pty);
    }
    // Nothing (more) came: only a quiet period can show that.
    static void ExpectNothingMore(CPtyPair& pty) { EXPECT_EQ(pty.ReadUntilQuiet(), ""); }

    std::map<int, std::unique_ptr<CPtyPair>> ptys;
    std::unique_ptr<CCorvaneDlg> pDlg;
};
