#pragma once
// Icon 131: the application icon of the main window (title bar, task bar).
#include <QIcon>

QIcon LoadAppIcon();
