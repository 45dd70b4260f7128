// A window's visibility, from its X events and, under a compositor, from
// the window manager's stacking list.
#include "platform/x11_visibility.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <vector>

namespace {

constexpr std::uint32_t kStackLookMs = 500;

// A property of 32-bit items (atoms, windows, cardinals); empty when the
// window has none or is gone.
std::vector<unsigned long> Items(Display *display, Window window, Atom property, Atom type) {
    std::vector<unsigned long> items;
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actual, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (actual == type && format == 32) {
            const auto *values = reinterpret_cast<const unsigned long *>(data);
            items.assign(values, values + count);
        }
        XFree(data);
    }
    return items;
}

bool Has(const std::vector<unsigned long> &items, unsigned long item) {
    for (unsigned long each : items)
        if (each == item) return true;
    return false;
}

// Whether a compositing manager runs on the window's screen: it owns the
// selection _NET_WM_CM_S<screen>.
bool Compositing(Display *display, int screen) {
    char name[32];
    std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", screen);
    return XGetSelectionOwner(display, XInternAtom(display, name, False)) != None;
}

// Under a compositor: whether a client window on the current workspace,
// not minimised, is fullscreen or maximised both ways over the window.
bool CoveredInStack(Display *display, Window window) {
    XWindowAttributes own;
    if (!XGetWindowAttributes(display, window, &own)) return false;
    const Window root = own.root;
    int ownX = 0, ownY = 0;
    Window child = None;
    XTranslateCoordinates(display, window, root, 0, 0, &ownX, &ownY, &child);
    const Atom cardinal = XA_CARDINAL;
    const std::vector<unsigned long> current =
        Items(display, root, XInternAtom(display, "_NET_CURRENT_DESKTOP", False), cardinal);
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom hidden = XInternAtom(display, "_NET_WM_STATE_HIDDEN", False);
    const Atom fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    const Atom tall = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    const Atom wide = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    const Atom desktop = XInternAtom(display, "_NET_WM_DESKTOP", False);
    for (unsigned long client :
         Items(display, root, XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False), XA_WINDOW)) {
        if (client == window) continue;
        const std::vector<unsigned long> states = Items(display, client, state, XA_ATOM);
        if (Has(states, hidden) || !(Has(states, fullscreen) || (Has(states, tall) && Has(states, wide)))) continue;
        const std::vector<unsigned long> on = Items(display, client, desktop, cardinal);
        if (!on.empty() && !current.empty() && on[0] != current[0] && on[0] != 0xFFFFFFFFul) continue;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, client, &attributes) || attributes.map_state != IsViewable) continue;
        int x = 0, y = 0;
        XTranslateCoordinates(display, client, root, 0, 0, &x, &y, &child);
        // On the window's screen: the two overlap.
        if (x < ownX + own.width && ownX < x + attributes.width && y < ownY + own.height &&
            ownY < y + attributes.height)
            return true;
    }
    return false;
}

}  // namespace

void X11WatchVisibility(X11Visibility &visibility, void *opaque, unsigned long window, bool coverable) {
    Display *display = static_cast<Display *>(opaque);
    visibility = X11Visibility{};
    visibility.display = display;
    visibility.window = window;
    visibility.coverable = coverable;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, static_cast<Window>(window), &attributes)) return;
    visibility.mapped = attributes.map_state != IsUnmapped;
    // Event masks are each connection's own: these add to what it asked.
    XSelectInput(display, static_cast<Window>(window),
                 attributes.your_event_mask | StructureNotifyMask | VisibilityChangeMask);
    XFlush(display);
}

void X11VisibilityEvent(X11Visibility &visibility, const void *opaque) {
    const XEvent &event = *static_cast<const XEvent *>(opaque);
    if (visibility.window == 0 || event.xany.window != static_cast<Window>(visibility.window)) return;
    switch (event.type) {
    case MapNotify:
        visibility.mapped = true;
        break;
    case UnmapNotify:
        visibility.mapped = false;
        break;
    case DestroyNotify:
        visibility.destroyed = true;
        break;
    case VisibilityNotify:
        visibility.obscured = event.xvisibility.state == VisibilityFullyObscured;
        break;
    default:
        break;
    }
}

bool X11WindowSeen(X11Visibility &visibility, std::uint32_t now) {
    if (visibility.window == 0) return true;
    if (!visibility.mapped || visibility.destroyed) return false;
    if (!visibility.coverable) return true;
    if (visibility.obscured) return false;
    if (!visibility.lookedAtStack || now - visibility.stackLookedAt >= kStackLookMs) {
        Display *display = static_cast<Display *>(visibility.display);
        visibility.lookedAtStack = true;
        visibility.stackLookedAt = now;
        visibility.coveredInStack = Compositing(display, DefaultScreen(display)) &&
                                    CoveredInStack(display, static_cast<Window>(visibility.window));
    }
    return !visibility.coveredInStack;
}
