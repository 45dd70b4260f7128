// A test's stand-in for another program's window: makes a plain 320 x 240
// window, prints its id in hex and keeps it until killed.
#include <X11/Xlib.h>

#include <cstdio>
#include <unistd.h>

int main() {
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11_test_window: no X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 320, 240, 0,
                                              BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "test window");
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;) pause();
}
