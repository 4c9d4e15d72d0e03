#pragma once

// Ties the window to the desktop entry: WM_CLASS "ripplemoor" /
// "org.ripplemoor.Ripplemoor" (the entry's StartupWMClass) and the application
// icon as _NET_WM_ICON, set through Xlib on the window whose GL context is
// current, i.e. the one glutCreateWindow just made. Under a window manager the
// window is then withdrawn and mapped again, so that the manager's rules see
// them. Does nothing without a current window.
void setWindowIdentity();
