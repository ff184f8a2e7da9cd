#include "app/Corvane.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

#include "app/CorvaneDlg.h"
#include "framework/MessageBox.h"
#include "app/SerialErrorText.h"
#include "link/SerialPort.h"
#include "platform/TermSignal.h"

CCorvaneApp theApp;

void InstallSerialErrorSink() {
    CSerialPort::SetErrorSink([](const QString& strCaption, const QString& strText, const SerialErrorInfo& info) {
        const QString strPath = QString::fromStdString(SerialDevicePath(info.nPortNr));
        const QString strDetails = info.bDeviceLost ? DeviceLostDetails(static_cast<int>(info.nPortNr), strPath)
                                                    : SerialErrorDetails(static_cast<int>(info.nPortNr), strPath);
        MessageBox(nullptr, strText, strCaption, MB_OK | MB_ICONERROR, strDetails);
    });
}

namespace {

// A termination request closes what is open: an open menu (the about item's
// context menu), boxes and other modal dialogs first (their loops run inside
// the main window's), then the main window.
void CloseAll(CCorvaneDlg& dlg) {
    while (QWidget* pPopup = QApplication::activePopupWidget()) {
        if (!pPopup->close()) break;
    }
    for (QWidget* pWnd : QApplication::topLevelWidgets()) {
        auto* pDialog = qobject_cast<QDialog*>(pWnd);
        if (pDialog && pDialog != dlg.GetSafeHwnd() && pDialog->isVisible()) pDialog->reject();
    }
    dlg.EndDialog(IDCANCEL);
}

}  // namespace

BOOL CCorvaneApp::InitInstance() {
    InstallSerialErrorSink();
    CCorvaneDlg dlg;
    m_pMainWnd = &dlg;
    corvane::platform::TermSignal termSignal([&dlg] { CloseAll(dlg); });
    dlg.DoModal();
    dlg.Shutdown();
    m_pMainWnd = nullptr;
    return FALSE;
}
