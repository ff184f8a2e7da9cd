#pragma once
// Dialog units to pixels. A dialog unit is a quarter of the dialog font's
// average character width horizontally and an eighth of the character height
// vertically. The units come from the template's font as it is meant to look
// (its size, with the proportions of the faces the templates are drawn
// with), never from whatever face fontconfig happens to offer, so a window
// has the same size on every machine.
#include <QFont>
#include <QRect>

#include "framework/DlgTemplate.h"

struct DlgBaseUnits {
    double dAvgCharWidth = 8;  // pixels; fractional, so scaling is smooth
    double dCharHeight = 16;
};

// The font the dialogs are drawn with: the first installed of a few faces
// that hold both the Latin texts and the CJK ones, at the template's size.
QFont DialogFont(const DlgTemplate& tpl);
// The template font's em in pixels at 96 dpi: its point size as the faces
// the templates were drawn with render it (10 pt: 13 px).
int TemplateEmPixels(const DlgTemplate& tpl);
// The units of the template's font: an average character is half an em wide
// (the Latin half of a CJK face) and one em high.
DlgBaseUnits TemplateBaseUnits(const DlgTemplate& tpl);
// The font made smaller, when need be, until one line of it fits the
// character height of the units and its average character their width (a
// control sized for its text in the template shows it whole, whichever face
// stands in); never below 8 px.
QFont FitFontToUnits(QFont font, const DlgBaseUnits& units);
QRect DialogUnitsToPixels(const DlgBaseUnits& units, int x, int y, int cx, int cy);

class QWidget;
// Builds the Qt widget for one template control, as a child of pParent,
// with its styles applied and its geometry in pixels. Null for unknown kinds.
QWidget* CreateControl(const CtrlTemplate& ctrl, const DlgBaseUnits& units, QWidget* pParent);
