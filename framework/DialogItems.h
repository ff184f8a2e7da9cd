#pragma once
// What data exchange needs of a dialog: its controls by ID and its radio
// groups. CDialog implements it; CDataExchange knows only this, so the data
// exchange does not depend on the dialog class that runs it.
#include <vector>

class QAbstractButton;
class QWidget;

class IDialogItems {
public:
    // The control with that ID, null when there is none (or no window yet).
    virtual QWidget* GetDlgItem(int nId) const = 0;
    // Radio buttons of the group that starts at nFirstId, in creation order;
    // empty when there is none.
    virtual std::vector<QAbstractButton*> GetRadioGroup(int nFirstId) const = 0;
    // Checks radio nIndex of that group, none for -1 or an index past it.
    virtual void CheckRadioGroup(int nFirstId, int nIndex) = 0;

protected:
    ~IDialogItems() = default;
};
