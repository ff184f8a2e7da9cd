// corvane-icon-export SIZE FILE: writes the application icon, drawn exactly
// as the window draws it, as a SIZE x SIZE PNG. Runs during the build to
// make the desktop icons; it opens no window and needs no display.
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "app/AppIcon.h"

int main(int argc, char** argv) {
    const int nSize = argc == 3 ? std::atoi(argv[1]) : 0;
    if (nSize < 16 || nSize > 1024) {
        std::fprintf(stderr, "usage: corvane-icon-export SIZE(16..1024) FILE.png\n");
        return 2;
    }
    if (!DrawAppIcon(nSize).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "corvane-icon-export: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
