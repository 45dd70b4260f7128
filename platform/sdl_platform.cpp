// The SDL layer: the window, its GL context, events, boxes and the clock.
#include "platform/sdl_platform.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "io/keys.h"
#include "platform/x11_desktop.h"
#include "platform/x11_frame_put.h"
#include "platform/x11_visibility.h"

namespace {

// SIGHUP (the terminal gone) ends the program as a close does; SDL itself
// turns SIGTERM and SIGINT into a quit event.
volatile std::sig_atomic_t hangUp = 0;
void OnHangUp(int) { hangUp = 1; }

void CatchHangUp() {
    struct sigaction current {};
    sigaction(SIGHUP, nullptr, &current);
    if (current.sa_handler == SIG_IGN) return;  // nohup: it stays ignored
    struct sigaction action {};
    action.sa_handler = OnHangUp;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
}

// The X display and window under an SDL window; false off X11.
bool X11WindowOf(SDL_Window *window, void *&display, unsigned long &id) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    display = info.info.x11.display;
    id = info.info.x11.window;
    return true;
}

// The one window and what the layer knows of it.
struct Platform {
    SDL_Window *window = nullptr;
    SDL_GLContext context = nullptr;
    std::string lastError;
    bool inHiddenWindow = false;
    bool textInput = false;
    bool fullscreen = false;
    bool windowGone = false;  // the desktop window is gone: the run ends
    bool onScreen = false;  // the program's window, not a tool's surface
    bool desktop = false;   // a desktop mode's window
    SDL_Rect windowed = {0, 0, kDrawableSize, kDrawableSize};  // where it was before filling the screen
    // The off-screen surface's size; the window's is kDrawableSize a side.
    int surfaceWidth = kDrawableSize, surfaceHeight = kDrawableSize;
    X11Visibility visibility;  // whether anyone can see the window
    X11FramePut framePut;      // CPU frames put straight into the window
} platform;

// From now on the window's map state (and, for a window that others may
// cover, its visibility) is followed through the X events SDL reads,
// which it hands on as SDL_SYSWMEVENT.
void WatchVisibility(bool coverable) {
    void *x11Display = nullptr;
    unsigned long x11Window = 0;
    if (!X11WindowOf(platform.window, x11Display, x11Window)) return;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    X11WatchVisibility(platform.visibility, x11Display, x11Window, coverable);
}

bool Failed(const char *what) {
    platform.lastError = std::string(what) + ": " + SDL_GetError();
    return false;
}

bool CreateContext() {
    if (platform.context) return true;  // made with the off-screen surface
    platform.context = SDL_GL_CreateContext(platform.window);
    if (!platform.context) return Failed("cannot create the GL context");
    if (SDL_GL_MakeCurrent(platform.window, platform.context) != 0) {
        Failed("cannot make the GL context current");
        SDL_GL_DeleteContext(platform.context);
        platform.context = nullptr;
        return false;
    }
    // On screen, frames wait for the display's refresh rather than spin
    // thousands a second: adaptive where offered (a late frame is shown at
    // once), else every refresh. Where neither is offered nothing changes.
    if (platform.onScreen && SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
    return true;
}

void DestroyContext() {
    if (!platform.context) return;
    SDL_GL_MakeCurrent(platform.window, nullptr);
    SDL_GL_DeleteContext(platform.context);
    platform.context = nullptr;
}

void SwapBuffers() { SDL_GL_SwapWindow(platform.window); }

void *LookupProc(const char *name) { return SDL_GL_GetProcAddress(name); }

const GraphicsPlatform sdlGraphics = {CreateContext, DestroyContext, SwapBuffers, LookupProc};

WindowMessage KeyMessage(MessageKind kind, const SDL_KeyboardEvent &key) {
    // Alt combinations and F10 are system keys: left to the default
    // handling, they set no flag.
    if ((key.keysym.mod & KMOD_ALT) != 0 || key.keysym.sym == SDLK_F10) return {MessageKind::Other, 0};
    const int code = VirtualKeyFromSdl(key.keysym.sym);
    if (code < 0) return {MessageKind::Other, 0};
    return {kind, static_cast<std::uint32_t>(code)};
}

// False for SDL's own bookkeeping events, which are no window messages.
bool Translate(const SDL_Event &event, WindowMessage &message) {
    switch (event.type) {
    case SDL_QUIT:  // also what SIGTERM and SIGINT become
        message = {MessageKind::Quit, 0};
        return true;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            message = {MessageKind::Size, PackLowHigh(event.window.data1, event.window.data2)};
        else if (event.window.event == SDL_WINDOWEVENT_CLOSE)
            message = {MessageKind::Close, 0};
        else
            message = {MessageKind::Other, 0};
        return true;
    case SDL_KEYDOWN:
        message = KeyMessage(event.key.repeat ? MessageKind::KeyRepeat : MessageKind::KeyDown, event.key);
        return true;
    case SDL_KEYUP:
        message = KeyMessage(MessageKind::KeyUp, event.key);
        return true;
    case SDL_MOUSEMOTION:
        message = {MessageKind::MouseMove, PackLowHigh(event.motion.x, event.motion.y)};
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT) {
            message = {MessageKind::Other, 0};
        } else {
            const bool down = event.type == SDL_MOUSEBUTTONDOWN;
            message = {down ? MessageKind::LeftButtonDown : MessageKind::LeftButtonUp,
                       PackLowHigh(event.button.x, event.button.y)};
        }
        return true;
    case SDL_MOUSEWHEEL: {
        const bool flipped = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED;
        const std::int32_t notches = flipped ? -event.wheel.y : event.wheel.y;
        message = {MessageKind::Wheel, static_cast<std::uint32_t>(notches)};
        return true;
    }
    default:
        return false;
    }
}

bool DisplayLess(const char *driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool StartVideo() { return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0; }

// A fixed-function context: double-buffered RGBA, at least 16 colour bits,
// a 16-bit depth buffer.
void AskForContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
}

bool MakeWindow(Uint32 shown) {
    AskForContext();
    platform.window = SDL_CreateWindow("Nimbrel", 0, 0, platform.surfaceWidth, platform.surfaceHeight,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | shown);
    return platform.window != nullptr || Failed("cannot create the window");
}

void CloseVideo() {
    X11ReleaseFramePut(platform.framePut);
    platform.visibility = X11Visibility{};
    DestroyContext();
    platform.fullscreen = false;
    if (platform.window) SDL_DestroyWindow(platform.window);
    platform.window = nullptr;
    SDL_Quit();
}

// The off-screen driver draws into an EGL pbuffer of its own, whatever
// DISPLAY and SDL_VIDEODRIVER say, so that the pixels are defined and the
// same with or without a display. The context is made here, to know.
bool OpenOffScreenSurface() {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    if (StartVideo() && MakeWindow(SDL_WINDOW_HIDDEN) && CreateContext()) return true;
    if (!platform.window) Failed("cannot start the window system");
    CloseVideo();
    return false;
}

// Where EGL gives no context at all: a hidden window on the display.
bool OpenHiddenWindow() {
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    if (StartVideo() && MakeWindow(SDL_WINDOW_HIDDEN) && CreateContext()) return true;
    if (!platform.window) Failed("cannot start the window system");
    CloseVideo();
    return false;
}

}  // namespace

bool OpenMainWindow(WindowMode mode, bool startFullscreen, int width, int height) {
    platform.onScreen = mode == WindowMode::OnScreen;
    platform.surfaceWidth = platform.onScreen ? kDrawableSize : width;
    platform.surfaceHeight = platform.onScreen ? kDrawableSize : height;
    if (mode == WindowMode::OffScreen) {
        // Tools handle their own signals.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        platform.inHiddenWindow = false;
        if (OpenOffScreenSurface()) return true;
        const std::string offScreenError = platform.lastError;
        platform.inHiddenWindow = OpenHiddenWindow();
        if (!platform.inHiddenWindow) platform.lastError = offScreenError;
        return platform.inHiddenWindow;
    }
    // A press that brings the window the keyboard's focus acts as well: a
    // drag begun on an unfocused window turns the view, where SDL would
    // drop a press that comes within moments of the focus.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (!StartVideo()) return Failed("cannot start the window system");
    // Without a display SDL falls back to drawing nowhere; a window nobody
    // can see or close is no use.
    if (DisplayLess(SDL_GetCurrentVideoDriver())) {
        platform.lastError = "cannot start the window system: no display (set DISPLAY)";
        SDL_Quit();
        return false;
    }
    if (!MakeWindow(SDL_WINDOW_SHOWN)) {
        SDL_Quit();
        return false;
    }
    CatchHangUp();
    WatchVisibility(false);
    if (startFullscreen) SetFullscreen(true);
    return true;
}

bool OpenDesktopWindow(DesktopMode mode, unsigned long id, bool &missing) {
    missing = false;
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display || !X11DisplayThere()) {
        platform.lastError = "cannot draw on the desktop: no X display (set DISPLAY; a Wayland session needs X too)";
        return false;
    }
    std::string problem;
    if (mode == DesktopMode::Root) id = X11ScreenSaverWindow(problem);
    if (mode != DesktopMode::Wallpaper && (id == 0 || !X11WindowExists(id, problem))) {
        platform.lastError = "cannot draw on the desktop: " + problem;
        missing = true;
        return false;
    }
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    if (!StartVideo()) return Failed("cannot start the window system");
    platform.onScreen = true;
    platform.desktop = true;
    if (mode == DesktopMode::Wallpaper) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(0, &bounds) != 0) return Failed("cannot find the screen's size");
        platform.window = SDL_CreateWindow("Nimbrel", bounds.x, bounds.y, bounds.w, bounds.h,
                                           SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
        if (!platform.window) return Failed("cannot create the window");
        void *x11Display = nullptr;
        unsigned long x11Window = 0;
        if (X11WindowOf(platform.window, x11Display, x11Window)) X11MakeDesktopWindow(x11Display, x11Window);
        SDL_ShowWindow(platform.window);
    } else {
        // Another program's window, drawn into with a GL context of ours.
        SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
        platform.window = SDL_CreateWindowFrom(reinterpret_cast<void *>(static_cast<std::uintptr_t>(id)));
        if (!platform.window) return Failed("cannot draw into the window");
    }
    // A screensaver's window goes when the user comes back, often before
    // its SIGTERM is taken.
    void *x11Display = nullptr;
    unsigned long x11Window = 0;
    if (X11WindowOf(platform.window, x11Display, x11Window)) X11WatchWindow(x11Window);
    CatchHangUp();
    // Only the wallpaper is hidden by the windows over it: a screensaver's
    // window is on top, and one handed over is its owner's to cover.
    WatchVisibility(mode == DesktopMode::Wallpaper);
    return true;
}

bool DesktopWindowSize(int &width, int &height) {
    void *x11Display = nullptr;
    unsigned long x11Window = 0;
    if (!X11WindowOf(platform.window, x11Display, x11Window)) return false;
    if (X11WindowSize(x11Display, x11Window, width, height)) return true;
    platform.windowGone = true;  // nothing left to draw in: the run ends
    return false;
}

bool IsFullscreen() { return platform.window && platform.fullscreen; }

// A borderless window over the whole display, placed and sized here: a
// window manager takes it for a full screen, and without one (Xvfb, a bare
// X server) it is one all the same, where SDL's own full-screen mode
// leaves the window at its size.
void SetFullscreen(bool on) {
    if (!platform.window || on == platform.fullscreen) return;
    if (on) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(platform.window), &bounds) != 0) return;
        SDL_GetWindowPosition(platform.window, &platform.windowed.x, &platform.windowed.y);
        SDL_GetWindowSize(platform.window, &platform.windowed.w, &platform.windowed.h);
        SDL_SetWindowBordered(platform.window, SDL_FALSE);
        SDL_SetWindowPosition(platform.window, bounds.x, bounds.y);
        SDL_SetWindowSize(platform.window, bounds.w, bounds.h);
    } else {
        SDL_SetWindowBordered(platform.window, SDL_TRUE);
        SDL_SetWindowSize(platform.window, platform.windowed.w, platform.windowed.h);
        SDL_SetWindowPosition(platform.window, platform.windowed.x, platform.windowed.y);
    }
    platform.fullscreen = on;
}

void DrawableSize(int &width, int &height) {
    width = height = 0;
    if (platform.window) SDL_GL_GetDrawableSize(platform.window, &width, &height);
}

bool InHiddenWindow() { return platform.inHiddenWindow; }

void CloseMainWindow() { CloseVideo(); }

const std::string &PlatformError() { return platform.lastError; }

const GraphicsPlatform &SdlGraphicsPlatform() { return sdlGraphics; }

void PumpSdlEvents(MessageQueue &queue) {
    SDL_Event event;
    // A quit (a close request, SIGTERM, SIGINT) is never left behind other
    // events, even when the queue is full.
    SDL_PumpEvents();
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_QUIT, SDL_QUIT) == 1) queue.PostEvent({MessageKind::Quit, 0});
    if (hangUp || platform.windowGone) queue.PostEvent({MessageKind::Quit, 0});
    while (queue.HasRoomForEvent() && SDL_PollEvent(&event)) {
        if (event.type == SDL_SYSWMEVENT) {
            if (event.syswm.msg && event.syswm.msg->subsystem == SDL_SYSWM_X11)
                X11VisibilityEvent(platform.visibility, &event.syswm.msg->msg.x11.event);
            // A desktop window destroyed, perhaps while nothing was drawn
            // into it: the run ends as at a drawing error about it. The
            // program's own window ends its run in order.
            if (platform.visibility.destroyed) {
                if (platform.desktop) X11EndForGoneWindow();
                platform.windowGone = true;
            }
            continue;
        }
        if (event.type == SDL_TEXTINPUT) {
            // One message a character: printable ASCII as itself, any other
            // character as U+FFFD, so that a field can refuse it and say so.
            for (const char *c = event.text.text; platform.textInput && *c; ++c) {
                const auto byte = static_cast<unsigned char>(*c);
                if (byte >= 0x20 && byte < 0x7F)
                    queue.PostEvent({MessageKind::Text, byte});
                else if (byte >= 0xC0)  // the first byte of a character beyond ASCII
                    queue.PostEvent({MessageKind::Text, kNotAsciiCharacter});
            }
            continue;
        }
        WindowMessage message;
        if (Translate(event, message)) queue.PostEvent(message);
    }
}

void WaitForSdlEvents(std::uint32_t timeoutMs) {
    if (timeoutMs > 0) SDL_WaitEventTimeout(nullptr, static_cast<int>(timeoutMs));
}

bool WindowSeen(std::uint32_t now) { return X11WindowSeen(platform.visibility, now); }

bool PutFrameInWindow(const std::uint8_t *rgba, int width, int height) {
    void *x11Display = nullptr;
    unsigned long x11Window = 0;
    return X11WindowOf(platform.window, x11Display, x11Window) &&
           X11PutFrame(platform.framePut, x11Display, x11Window, rgba, width, height);
}

int DisplayRefreshRate() {
    SDL_DisplayMode mode{};
    const int index = platform.window ? SDL_GetWindowDisplayIndex(platform.window) : 0;
    if (SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &mode) != 0 || mode.refresh_rate <= 0) return kAssumedRefreshRate;
    return mode.refresh_rate;
}

bool SwapWaitsForDisplay() { return platform.context && SDL_GL_GetSwapInterval() != 0; }

void SetTextInput(bool on) { platform.textInput = on; }

bool ShowSdlMessage(MessageStyle style, const char *caption, const char *text) {
    const bool warning = style == MessageStyle::Warning;
    const Uint32 flags = warning ? SDL_MESSAGEBOX_WARNING : 0;
    SDL_Window *owner = warning ? nullptr : SDL_GetKeyboardFocus();
    return SDL_ShowSimpleMessageBox(flags, caption, text, owner) == 0;
}

std::uint32_t SdlMilliseconds() { return SDL_GetTicks(); }

std::string ProgramFolder() {
    char *base = SDL_GetBasePath();
    if (!base) return "";
    std::string folder = base;
    SDL_free(base);
    return folder;
}

int VirtualKeyFromSdl(std::int32_t keycode) {
    if (keycode >= SDLK_a && keycode <= SDLK_z) return 'A' + (keycode - SDLK_a);
    if (keycode >= SDLK_0 && keycode <= SDLK_9) return '0' + (keycode - SDLK_0);
    if (keycode >= SDLK_F1 && keycode <= SDLK_F12) return kKeyF1 + (keycode - SDLK_F1);
    switch (keycode) {
    case SDLK_BACKSPACE: return kKeyBackspace;
    case SDLK_TAB: return kKeyTab;
    case SDLK_RETURN: return kKeyReturn;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return kKeyShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return kKeyControl;
    case SDLK_PAUSE: return kKeyPause;
    case SDLK_CAPSLOCK: return kKeyCapsLock;
    case SDLK_ESCAPE: return kKeyEscape;
    case SDLK_SPACE: return kKeySpace;
    case SDLK_PAGEUP: return kKeyPageUp;
    case SDLK_PAGEDOWN: return kKeyPageDown;
    case SDLK_END: return kKeyEnd;
    case SDLK_HOME: return kKeyHome;
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_UP: return kKeyUp;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_INSERT: return kKeyInsert;
    case SDLK_DELETE: return kKeyDelete;
    default: return -1;
    }
}
