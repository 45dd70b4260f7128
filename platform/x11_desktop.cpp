// The desktop modes' Xlib calls.
#include "platform/x11_desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

// A window that is gone answers with an error, which Xlib's own handler
// (and SDL's after it) would end the process for, with status 1: it is
// caught and counted instead.
int xErrors = 0;
int CountError(Display *, XErrorEvent *) {
    ++xErrors;
    return 0;
}

// The window drawn into. Once it is gone, the GL's own requests about it
// fail, and the software renderer then takes the size it asked for from
// an unanswered reply: a frame of any size, gigabytes cleared. The first
// such error ends the program there, with 0, as a window closed by its
// owner should: in these modes nothing is kept that an exit would lose.
Window watched = 0;
int OnDrawingError(Display *, XErrorEvent *event) {
    ++xErrors;
    const bool gone = event->error_code == BadWindow || event->error_code == BadDrawable;
    if (gone && watched != 0 && event->resourceid == watched) X11EndForGoneWindow();
    return 0;
}

bool Attributes(Display *display, Window window, XWindowAttributes &attributes) {
    return X11RequestSucceeds(display, [&] { return XGetWindowAttributes(display, window, &attributes) != 0; });
}

std::string Hex(unsigned long id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

}  // namespace

bool X11RequestSucceeds(void *opaque, const std::function<bool()> &request) {
    Display *display = static_cast<Display *>(opaque);
    XSync(display, False);
    xErrors = 0;
    XErrorHandler previous = XSetErrorHandler(CountError);
    const bool returned = request();
    XSync(display, False);
    XSetErrorHandler(previous);
    return returned && xErrors == 0;
}

void X11EndForGoneWindow() {
    std::fflush(nullptr);
    std::_Exit(0);
}

void X11WatchWindow(unsigned long window) {
    watched = static_cast<Window>(window);
    XSetErrorHandler(OnDrawingError);
}

bool X11DisplayThere() {
    Display *display = XOpenDisplay(nullptr);
    if (display) XCloseDisplay(display);
    return display != nullptr;
}

bool X11WindowExists(unsigned long id, std::string &error) {
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        error = "no X display (set DISPLAY)";
        return false;
    }
    XWindowAttributes attributes;
    const bool there = id != 0 && Attributes(display, static_cast<Window>(id), attributes);
    XCloseDisplay(display);
    if (!there) error = "no window " + Hex(id) + " on the display";
    return there;
}

unsigned long X11ScreenSaverWindow(std::string &error) {
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        error = "no X display (set DISPLAY)";
        return 0;
    }
    unsigned long window = 0;
    if (const char *named = std::getenv("XSCREENSAVER_WINDOW")) {
        char *end = nullptr;
        window = std::strtoul(named, &end, 0);
        if (end == named || *end != '\0') window = 0;
    }
    if (window == 0) {
        const Window root = RootWindow(display, DefaultScreen(display));
        window = root;
        // A desktop that draws its own background keeps a virtual root.
        const Atom vroot = XInternAtom(display, "__SWM_VROOT", False);
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, root, &rootReturn, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i) {
                Atom type = None;
                int format = 0;
                unsigned long items = 0, after = 0;
                unsigned char *data = nullptr;
                if (XGetWindowProperty(display, children[i], vroot, 0, 1, False, XA_WINDOW, &type, &format, &items,
                                       &after, &data) == Success &&
                    data) {
                    if (type == XA_WINDOW && items == 1) window = *reinterpret_cast<Window *>(data);
                    XFree(data);
                }
            }
            if (children) XFree(children);
        }
    }
    XCloseDisplay(display);
    return window;
}

void X11MakeDesktopWindow(void *opaque, unsigned long window) {
    Display *display = static_cast<Display *>(opaque);
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom desktop = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(&desktop),
                    1);
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom states[] = {XInternAtom(display, "_NET_WM_STATE_BELOW", False),
                           XInternAtom(display, "_NET_WM_STATE_STICKY", False),
                           XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                           XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(states),
                    4);
    const unsigned long everyWorkspace = 0xFFFFFFFFul;
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_DESKTOP", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&everyWorkspace), 1);
    XFlush(display);
}

bool X11WindowSize(void *opaque, unsigned long window, int &width, int &height) {
    XWindowAttributes attributes;
    if (!Attributes(static_cast<Display *>(opaque), static_cast<Window>(window), attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}
