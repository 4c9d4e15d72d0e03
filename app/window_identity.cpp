#include "app/window_identity.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

#include "app/window_icon.h"

namespace {

char RESOURCE_NAME[] = "ripplemoor";
// The desktop entry's file name without .desktop, as the desktops match it.
char RESOURCE_CLASS[] = "org.ripplemoor.Ripplemoor";

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
    XFlush(display);
}
