#pragma once
// Icon 131: the application icon of the main window (title bar, task bar).
#include <QIcon>
#include <QImage>

QIcon LoadAppIcon();
// The same picture at any size, as an image: needs no window system, so the
// build can export it as the desktop icon.
QImage DrawAppIcon(int nSize);
