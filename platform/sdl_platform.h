// The window-system layer, through SDL: the one window and its GL context,
// event translation into window messages, message boxes and the
// millisecond clock. The rest of the program sees only these functions;
// this is the only folder that includes SDL. Nothing here prints: a
// failure leaves its reason in PlatformError() for the caller to show.
#pragma once

#include <cstdint>
#include <string>

#include "io/command_line.h"
#include "io/message_style.h"
#include "platform/window_messages.h"
#include "render/graphics.h"

enum class WindowMode {
    // The program's window, shown on the display; without a display there
    // is none.
    OnScreen,
    // For tools that only read frames back: a surface of its own, an EGL
    // pbuffer through SDL's off-screen driver, whatever DISPLAY and
    // SDL_VIDEODRIVER say, with its GL context made at once. Only where EGL
    // gives no context at all, a hidden window on the display.
    OffScreen,
};

// Opens the window titled "Nimbrel" at (0, 0), kDrawableSize pixels a
// side, resizable, ready for a GL context. False when the window system or
// the window cannot be had.
// With `startFullscreen`, the window starts borderless over the whole
// display, as SetFullscreen makes it. An off-screen surface is `width` x
// `height` pixels; DrawableSize says whether the GL gave that much.
bool OpenMainWindow(WindowMode mode = WindowMode::OnScreen, bool startFullscreen = false,
                    int width = kDrawableSize, int height = kDrawableSize);

// Opens the window a desktop mode draws into, ready for a GL context: for
// WindowId the window `id`, for Root $XSCREENSAVER_WINDOW or the root,
// for Wallpaper a window of its own over the whole screen. False with the
// reason in PlatformError(); `missing` says the window named is not there
// (rather than no X display at all).
bool OpenDesktopWindow(DesktopMode mode, unsigned long id, bool &missing);
// The desktop window's size on the server now, which may change under the
// program (a screensaver's window, a resized one); false when it is gone,
// and the run then ends as a quit does, with 0.
bool DesktopWindowSize(int &width, int &height);

// Switches the window between its own size and a borderless full screen at
// the desktop's resolution; the window system then reports the new size
// as a size message. Nothing without a window.
void SetFullscreen(bool on);
bool IsFullscreen();

// The drawable's size in pixels; 0 x 0 without a window.
void DrawableSize(int &width, int &height);
void CloseMainWindow();

// Whether the off-screen window fell back to a hidden window on the
// display, whose pixels the window system may leave undefined.
bool InHiddenWindow();

// Why the last call here failed, as one line: "cannot create the window:
// ...".
const std::string &PlatformError();

// Context creation, swap and entry-point look-up for the window. A failed
// context creation leaves its reason in PlatformError().
const GraphicsPlatform &SdlGraphicsPlatform();

// Translates waiting SDL events into window messages.
void PumpSdlEvents(MessageQueue &queue);

// Sleeps until an event waits or `timeoutMs` pass, whichever is first.
void WaitForSdlEvents(std::uint32_t timeoutMs);

// Whether anyone can see the window at the clock reading `now`: not while
// it is unmapped (minimised, a screensaver's window put away) or, for the
// wallpaper, wholly covered by other windows.
bool WindowSeen(std::uint32_t now);

// Puts a frame drawn on the CPU (`width` x `height`, RGBA rows top-down)
// at the window's top left as an X image, with no GL and no swap. False,
// with nothing drawn, where the window system cannot take it so: the
// caller shows it through the GL.
bool PutFrameInWindow(const std::uint8_t *rgba, int width, int height);

// The refresh rate of the window's display, in frames a second;
// kAssumedRefreshRate where it says none.
constexpr int kAssumedRefreshRate = 60;
int DisplayRefreshRate();

// Whether the context's swap waits for the display's refresh (a swap
// interval was granted); a software GL's swap may still not wait.
bool SwapWaitsForDisplay();

// Whether typed text comes as Text messages too, besides the key messages:
// off at start, and on only while a text field has the keyboard.
void SetTextInput(bool on);

// A modal message box; false when none can be shown.
bool ShowSdlMessage(MessageStyle style, const char *caption, const char *text);

std::uint32_t SdlMilliseconds();

// The folder of the running program, ending in '/'; "" when unknown.
std::string ProgramFolder();

// The virtual-key code of an SDL key, or -1 for a key the controls never
// use.
int VirtualKeyFromSdl(std::int32_t keycode);
