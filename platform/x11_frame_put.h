// Showing a frame drawn on the CPU straight in an X window, as the X
// server's own image: through shared memory where the server offers it
// (MIT-SHM, a local display), else over the connection. Far cheaper than a
// software GL drawing the frame as a textured quad and then copying that.
// Only for a window whose visual has 8-bit red, green and blue in 32-bit
// pixels, as every X server today gives; the caller shows the frame
// through the GL elsewhere. No SDL here.
#pragma once

#include <cstdint>
#include <vector>

struct X11FramePut {
    void *display = nullptr;
    unsigned long window = 0;
    bool checked = false;  // whether the visual was looked at
    bool usable = false;   // the visual takes our pixels
    bool shared = false;   // MIT-SHM works for this connection
    void *gc = nullptr;
    void *image = nullptr;  // an XImage, the frame's size
    int shmId = -1;
    void *shmInfo = nullptr;  // an XShmSegmentInfo
    std::vector<std::uint8_t> pixels;  // without shared memory
};

// Puts `rgba` (`width` x `height`, 4 bytes a pixel, rows top-down) at the
// top left of `window` on `display`, and waits until the server took it.
// False, with nothing drawn, where the window's visual is not one this
// takes or the image cannot be made.
bool X11PutFrame(X11FramePut &put, void *display, unsigned long window, const std::uint8_t *rgba, int width,
                 int height);

// Frees the image, its shared memory and the graphics context; before the
// connection closes.
void X11ReleaseFramePut(X11FramePut &put);
