#pragma once
// Dialog units to pixels. A dialog unit is a quarter of the dialog font's
// average character width horizontally and an eighth of its character height
// vertically, so a window laid out in dialog units keeps its proportions
// whatever font it ends up with.
#include <QFont>
#include <QRect>

#include "DlgTemplate.h"

struct DlgBaseUnits {
    int nAvgCharWidth = 8;
    int nCharHeight = 16;
};

// The font a template asks for, with fallbacks for faces this system lacks.
QFont DialogFont(const DlgTemplate& tpl);
DlgBaseUnits BaseUnitsOf(const QFont& font);
QRect DialogUnitsToPixels(const DlgBaseUnits& units, int x, int y, int cx, int cy);

class QWidget;
// Builds the Qt widget for one template control, as a child of pParent,
// with its styles applied and its geometry in pixels. Null for unknown kinds.
QWidget* CreateControl(const CtlTemplate& ctl, const DlgBaseUnits& units, QWidget* pParent);
