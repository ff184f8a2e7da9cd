#pragma once
// Dialog units to pixels. A dialog unit is a quarter of the dialog font's
// average character width horizontally and an eighth of the character height
// (twice that width) vertically, so a window laid out in dialog units keeps
// its proportions whatever font it ends up with.
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
// The font made smaller, when need be, until one line of it fits the
// character height of the units (a control one character high shows its
// text whole); never below 8 px.
QFont FitFontToUnits(QFont font, const DlgBaseUnits& units);
QRect DialogUnitsToPixels(const DlgBaseUnits& units, int x, int y, int cx, int cy);

class QWidget;
// Builds the Qt widget for one template control, as a child of pParent,
// with its styles applied and its geometry in pixels. Null for unknown kinds.
QWidget* CreateControl(const CtlTemplate& ctl, const DlgBaseUnits& units, QWidget* pParent);
