// A test's stand-in for another program's window: makes a plain window,
// 320 x 240 or as large as its argument says (WIDTHxHEIGHT), at the
// screen's top left, prints its id in hex and keeps it until killed.
#include <X11/Xlib.h>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv) {
    unsigned width = 320, height = 240;
    if (argc > 1 && (std::sscanf(argv[1], "%ux%u", &width, &height) != 2 || width == 0 || height == 0)) {
        std::fprintf(stderr, "usage: x11_test_window [WIDTHxHEIGHT]\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11_test_window: no X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                                              BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, "test window");
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;) pause();
}
