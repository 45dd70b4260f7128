// The window-system layer, through SDL: the one window and its GL context,
// event translation into window messages, message boxes and the
// millisecond clock. The rest of the program sees only these functions.
#pragma once

#include <cstdint>

#include "platform/window_messages.h"
#include "render/graphics.h"
#include "app/user_message.h"

enum class WindowMode {
    // The program's window, shown on the display; without a display there
    // is none.
    OnScreen,
    // For tools that only read frames back: a hidden window on the display
    // when there is one, else SDL's off-screen driver, which draws through
    // EGL with no X server at all.
    OffScreen,
};

// Opens the 800 x 800 window titled "Nimbrel" at (0, 0), resizable, ready
// for a GL context. On failure prints the reason on the standard error.
bool OpenMainWindow(WindowMode mode = WindowMode::OnScreen);
void CloseMainWindow();

// Context creation, swap and entry-point look-up for the window.
const GraphicsPlatform &SdlGraphicsPlatform();

// Translates waiting SDL events into window messages.
void PumpSdlEvents(MessageQueue &queue);

// A message box; where none can be shown the text goes to the standard
// error.
void ShowSdlMessage(MessageStyle style, const char *caption, const char *text);

std::uint32_t SdlMilliseconds();

// The virtual-key code of an SDL key, or -1 for a key the controls never
// use.
int VirtualKeyFromSdl(std::int32_t keycode);
