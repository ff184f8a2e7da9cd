#include "app/AppIcon.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>

// A 4x4 crosspoint grid on a dark tile: the switcher's four inputs by four
// outputs. Drawn rather than loaded, so the program needs no files.
QImage DrawAppIcon(int nSize) {
    QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x3a, 0x5f));
    painter.drawRoundedRect(QRectF(0, 0, nSize, nSize), nSize / 6.0, nSize / 6.0);
    const double dStep = nSize / 5.0;
    const double dDot = dStep / 2.0;
    for (int nRow = 0; nRow < 4; ++nRow) {
        for (int nCol = 0; nCol < 4; ++nCol) {
            // The diagonal lit: each output routed to its own input.
            painter.setBrush(nRow == nCol ? QColor(0x7f, 0xd8, 0x6b) : QColor(0xc8, 0xd2, 0xdc));
            painter.drawEllipse(QRectF(dStep * (nCol + 1) - dDot / 2, dStep * (nRow + 1) - dDot / 2, dDot, dDot));
        }
    }
    painter.end();
    return image;
}

QIcon LoadAppIcon() {
    QIcon icon;
    for (int nSize : {16, 32, 48}) icon.addPixmap(QPixmap::fromImage(DrawAppIcon(nSize)));
    return icon;
}
