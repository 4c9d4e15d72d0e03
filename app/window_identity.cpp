#include "app/window_identity.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>
#include <vector>

#include "app/window_icon.h"

namespace {

char RESOURCE_NAME[] = "ripplemoor";
// The desktop entry's file name without .desktop, as the desktops match it.
char RESOURCE_CLASS[] = "org.ripplemoor.Ripplemoor";

// Whether a window manager has taken the window: ICCCM's WM_STATE, Normal or Iconic.
bool managed(Display* display, Window window)
{
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format, &count,
                           &after, &data) != Success)
        return false;
    const bool taken = data != nullptr && type == wmState && format == 32 && count >= 1 &&
                       reinterpret_cast<const long*>(data)[0] != WithdrawnState;
    if (data != nullptr)
        XFree(data);
    return taken;
}

// Polls until the window is (or is no longer) managed, for at most two seconds.
void awaitManaged(Display* display, Window window, bool wanted)
{
    for (int i = 0; i < 400 && managed(display, window) != wanted; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

} // namespace

void setWindowIdentity()
{
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (display == nullptr || window == None)
        return;

    XClassHint hint;
    hint.res_name = RESOURCE_NAME;
    hint.res_class = RESOURCE_CLASS;
    XSetClassHint(display, window, &hint);

    // Xlib takes 32-bit property items as longs, whatever the width of a long.
    const std::vector<unsigned long> icon(WINDOW_ICON, WINDOW_ICON + WINDOW_ICON_LENGTH);
    const Atom netWmIcon = XInternAtom(display, "_NET_WM_ICON", False);
    XChangeProperty(display, window, netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(icon.data()), int(icon.size()));
    XSync(display, False);

    // glutCreateWindow has already mapped the window, so a window manager may have
    // matched its rules before the class was there. Withdraw the window and map
    // it again (ICCCM 4.1.4) for the manager to take it afresh. A manager is
    // the client redirecting the root window's map requests; without one,
    // nothing has read the window yet.
    XWindowAttributes root;
    if (!XGetWindowAttributes(display, DefaultRootWindow(display), &root) ||
        !(root.all_event_masks & SubstructureRedirectMask))
        return;
    awaitManaged(display, window, true);
    XWithdrawWindow(display, window, DefaultScreen(display));
    awaitManaged(display, window, false);
    XMapWindow(display, window);
    XFlush(display);
}
