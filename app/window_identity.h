#pragma once

// Ties the window to the desktop entry: WM_CLASS "ripplemoor" /
// "org.ripplemoor.Ripplemoor" (the entry's StartupWMClass) and the application
// icon as _NET_WM_ICON, set through Xlib on the window whose GL context is
// current, i.e. the one glutCreateWindow just made. Does nothing without one.
void setWindowIdentity();
