#pragma once
// Top-level windows on the screen: a window laid out in dialog units is made
// smaller, when the available area of its screen (without panels) cannot
// hold it with its frame, and is centred on that area with room for its
// title bar above it. Window managers place the frame around a client area
// that Qt positions, and the frame is only known once the window is shown,
// so a generous allowance stands for it.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "framework/DialogLayout.h"

// Title bar (20 to 40 px on common window managers) and borders.
inline constexpr QMargins FRAME_ALLOWANCE(4, 40, 4, 4);

// The units, scaled down when a window of cx x cy dialog units would not
// fit into rcAvail with its frame; unchanged when it fits.
DlgBaseUnits FitUnitsToArea(const DlgBaseUnits& units, int cx, int cy, const QRect& rcAvail);
// Top-left of the frame around a client area of the given size, centred on
// rcAvail; never above or left of it, so the title bar stays on the screen.
QPoint CentredFramePos(const QSize& client, const QRect& rcAvail);
// The available area of the screen a new top-level window will appear on.
QRect AvailableScreenArea();
