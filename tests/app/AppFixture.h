#pragma once
// A fresh main window per test, created as the application creates it, with
// every COM port pointed at a path that does not exist unless the test gives
// it a pseudo-terminal (real /dev/ttyS* of the machine must not leak in).
#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTest>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "Corvane.h"
#include "CorvaneDlg.h"
#include "DeviceState.h"
#include "Dlg102_MainIds.h"
#include "Dlg129_EdidConfigIds.h"
#include "Dlg130_PortSetIds.h"
#include "EdidConfigPage.h"
#include "IP_SEL_PAGE.h"
#include "MessageBox.h"
#include "PortSetPage.h"
#include "PtyPair.h"
#include "ReplyAssembler.h"

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        RxReset();
        MessageBoxScript::Begin();
        InstallSerialErrorSink();
        for (int n = 1; n <= MaxSerialPortNum; ++n) {
            const std::string strPath = "/nonexistent/corvane-test/com" + std::to_string(n);
            setenv(EnvName(n).c_str(), strPath.c_str(), 1);
        }
    }
    void TearDown() override {
        if (pDlg) {
            // Closing the window ends the serial link: no monitor thread is left.
            pDlg->Shutdown();
            EXPECT_FALSE(g_SerialPort.IsMonitorAlive());
            EXPECT_EQ(g_bComConnected, 0);
        }
        pDlg.reset();
        EXPECT_EQ(MessageBoxScript::UnexpectedCount(), 0);
        MessageBoxScript::End();
        for (int n = 1; n <= MaxSerialPortNum; ++n) unsetenv(EnvName(n).c_str());
        ResetDeviceState();
    }

    static std::string EnvName(int n) { return "CORVANE_COM" + std::to_string(n); }

    // Points COM n at the slave side of a new pseudo-terminal.
    PtyPair& AddPty(int n) {
        auto& pPty = ptys[n];
        pPty = std::make_unique<PtyPair>();
        setenv(EnvName(n).c_str(), pPty->SlavePath().c_str(), 1);
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
    template <class Pred> bool WaitFor(Pred pred, int nMaxMs = 5000) {
        for (int nWaited = 0; !pred() && nWaited < nMaxMs; nWaited += 10) {
            QCoreApplication::processEvents();
            QTest::qSleep(10);
        }
        return pred();
    }

    std::map<int, std::unique_ptr<PtyPair>> ptys;
    std::unique_ptr<CCorvaneDlg> pDlg;
};
