#pragma once
// CAboutDlg: the about box (dialog 100): product name, one notice line, OK.
#include <QString>

#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};

// String 101: the text of the about item.
constexpr int IDS_ABOUTBOX = 101;
QString LoadResString(int nId);
