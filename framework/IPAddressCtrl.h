#pragma once
// Four-field IPv4 address control with a blank state; the first field is the
// top byte of the DWORD form.
#include <QWidget>

#include "base/WinTypes.h"

class QLineEdit;

class CIPAddressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CIPAddressCtrl(QWidget* pParent = nullptr);
    void SetAddress(BYTE b0, BYTE b1, BYTE b2, BYTE b3);
    void SetAddress(DWORD dwAddress);            // b0 = top byte
    // Returns the number of non-blank fields; blank fields read as 0.
    int GetAddress(BYTE& b0, BYTE& b1, BYTE& b2, BYTE& b3) const;
    int GetAddress(DWORD& dwAddress) const;
    void ClearAddress();
    BOOL IsBlank() const;
signals:
    void addressChanged();
private:
    QLineEdit* m_aField[4];
};
