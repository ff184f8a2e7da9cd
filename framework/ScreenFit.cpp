#include "framework/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

static QSize OuterSize(const DlgBaseUnits& units, int cx, int cy) {
    const QSize client = DialogUnitsToPixels(units, 0, 0, cx, cy).size();
    return client.grownBy(FRAME_ALLOWANCE);
}

DlgBaseUnits FitUnitsToArea(const DlgBaseUnits& units, int cx, int cy, const QRect& rcAvail) {
    const QSize outer = OuterSize(units, cx, cy);
    if (rcAvail.isEmpty() || (outer.width() <= rcAvail.width() && outer.height() <= rcAvail.height())) return units;
    const QSize frame = QSize(0, 0).grownBy(FRAME_ALLOWANCE);
    const QSize client = outer - frame;
    double dScale = std::min(double(rcAvail.width() - frame.width()) / client.width(),
                             double(rcAvail.height() - frame.height()) / client.height());
    constexpr double MIN_SCALE = 0.25;  // a window still drawn, however small the screen claims to be
    dScale = std::max(dScale, MIN_SCALE);
    DlgBaseUnits fitted{units.dAvgCharWidth * dScale, units.dCharHeight * dScale};
    // Pixels are rounded: shave off what rounding added until it fits.
    for (int i = 0; i < 100 && dScale > MIN_SCALE; ++i) {
        const QSize size = OuterSize(fitted, cx, cy);
        if (size.width() <= rcAvail.width() && size.height() <= rcAvail.height()) break;
        dScale *= 0.995;
        fitted = DlgBaseUnits{units.dAvgCharWidth * dScale, units.dCharHeight * dScale};
    }
    return fitted;
}

QPoint CentredFramePos(const QSize& client, const QRect& rcAvail) {
    const QSize outer = client.grownBy(FRAME_ALLOWANCE);
    const int nX = rcAvail.x() + std::max(0, (rcAvail.width() - outer.width()) / 2);
    const int nY = rcAvail.y() + std::max(0, (rcAvail.height() - outer.height()) / 2);
    return QPoint(nX, nY);
}

QRect AvailableScreenArea() {
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->availableGeometry() : QRect();
}
