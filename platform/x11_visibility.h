// Whether anyone can see a window, from what the X server says of it:
// whether it is mapped (a window manager unmaps a minimised window,
// XScreenSaver its own when the user comes back) and, for a window that
// other windows may cover (the wallpaper), whether they cover it wholly:
// the server's visibility events, or, where a compositing manager draws
// every window off screen and those always say "unobscured", a fullscreen
// or maximised window over it, as the window manager's _NET_WM_STATE
// says. No SDL here: the caller hands in the events its connection reads.
#pragma once

#include <cstdint>

struct X11Visibility {
    void *display = nullptr;  // the connection whose events are handed in
    unsigned long window = 0;
    bool coverable = false;    // other windows covering it hide it
    bool mapped = true;
    bool obscured = false;     // wholly covered, as the server says
    bool destroyed = false;
    // The compositor's rule, looked at no more than twice a second.
    bool lookedAtStack = false;
    std::uint32_t stackLookedAt = 0;
    bool coveredInStack = false;
};

// Starts watching `window` on `display`: its map state now, and from now on
// the structure and visibility events of it that the connection reads, on
// top of what the connection already asks of it.
void X11WatchVisibility(X11Visibility &visibility, void *display, unsigned long window, bool coverable);

// Takes one event (an XEvent) read from that connection; those of other
// windows are passed over.
void X11VisibilityEvent(X11Visibility &visibility, const void *event);

// Whether the window can be seen at the millisecond clock reading `now`.
bool X11WindowSeen(X11Visibility &visibility, std::uint32_t now);

