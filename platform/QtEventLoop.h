#pragma once
// The event loop the programs run on. Qt's own loop hands a datagram or a
// serial byte to its notifier a few microseconds sooner than the GLib loop
// that Qt picks by default on Linux (a tenth of a loopback round trip), and
// nothing here needs GLib (no GTK dialogs or themes). Qt reads the choice
// when the application object is made, from QT_NO_GLIB; one the user set
// is left as it is.
#include <QtGlobal>

namespace QtEventLoop {

inline bool& SetByUs() {
    static bool bSetByUs = false;
    return bSetByUs;
}

// Before the application object is made.
inline void Choose() {
    if (qEnvironmentVariableIsSet("QT_NO_GLIB")) return;
    qputenv("QT_NO_GLIB", "1");
    SetByUs() = true;
}

// Once it exists: programs started later (the browser of the Net Config
// page) get the environment as it was.
inline void Forget() {
    if (!SetByUs()) return;
    qunsetenv("QT_NO_GLIB");
    SetByUs() = false;
}

}  // namespace QtEventLoop
