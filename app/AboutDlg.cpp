#include "app/AboutDlg.h"

#include "resources/Dialogs.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

QString LoadResString(int nId) {
    if (nId == IDS_ABOUTBOX) return QStringLiteral("关于 Corvane(&A)...");
    return QString();
}
