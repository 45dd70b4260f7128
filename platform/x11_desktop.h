// What drawing on the desktop needs of the X server, through Xlib: whether
// a window exists, the window a screensaver is handed (or the root, its
// virtual root where a desktop sets one), making a window the desktop's
// own (its type desktop, below every other, on every workspace), and a
// window's size as the server has it. No SDL here; sdl_platform.cpp uses it.
#pragma once

#include <functional>
#include <string>

// From now on a failed request is passed over, where Xlib would end the
// process with status 1, but one that finds `window` gone (destroyed by
// the program that made it, as a screensaver's is when the user comes
// back) ends the process at once with status 0: a frame drawn into a
// window that is gone is not drawn safely. Whoever draws between frames
// finds it gone through X11WindowSize first.
void X11WatchWindow(unsigned long window);

// Ends the process at once with status 0, as a window gone under the
// drawing does: what X11WatchWindow does on its error, for the caller
// that learns of it first from the window's DestroyNotify. Teardown would
// only send more requests about the window, and fail.
[[noreturn]] void X11EndForGoneWindow();

// Runs `request` on `display` with X errors counted rather than fatal
// (Xlib's own handler, and SDL's after it, would end the process with
// status 1), then waits for the server's answer: true when `request`
// returned true and raised no error.
bool X11RequestSucceeds(void *display, const std::function<bool()> &request);

// Whether the display named by DISPLAY takes a client.
bool X11DisplayThere();

// Whether window `id` exists on the display named by DISPLAY; false with
// the reason in `error` ("no X display", "no window 0x1a00005").
bool X11WindowExists(unsigned long id, std::string &error);

// $XSCREENSAVER_WINDOW when it names a window, else the root window of the
// default screen, or the virtual root a desktop keeps over it
// (__SWM_VROOT); 0 with `error` when there is no X display.
unsigned long X11ScreenSaverWindow(std::string &error);

// Makes `window` (not yet mapped) the desktop's: _NET_WM_WINDOW_TYPE_DESKTOP,
// below every other window, on every workspace, out of the task bar.
void X11MakeDesktopWindow(void *display, unsigned long window);

// The window's size on the server; false when it is gone.
bool X11WindowSize(void *display, unsigned long window, int &width, int &height);
