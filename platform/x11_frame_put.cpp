// A CPU frame put into an X window as an image, through shared memory
// where the server offers it.
#include "platform/x11_frame_put.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/x11_desktop.h"

namespace {

// The pixels we write: 0x00RRGGBB in a 32-bit word, least significant
// byte first. A GL window's visual may be DirectColor (the software GL
// under Xvfb picks one): its colormap turns our pixel values into colours
// just as it turns the GL's, so the window shows the same either way.
bool TakesOurPixels(Display *display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || !attributes.visual) return false;
    const Visual &visual = *attributes.visual;
    if ((attributes.depth != 24 && attributes.depth != 32) || (visual.c_class != TrueColor && visual.c_class != DirectColor) ||
        visual.red_mask != 0xFF0000ul || visual.green_mask != 0xFF00ul || visual.blue_mask != 0xFFul)
        return false;
    int count = 0;
    XPixmapFormatValues *formats = XListPixmapFormats(display, &count);
    bool thirtyTwo = false;
    for (int i = 0; formats && i < count; ++i)
        if (formats[i].depth == attributes.depth) thirtyTwo = formats[i].bits_per_pixel == 32;
    if (formats) XFree(formats);
    return thirtyTwo;
}

// One row of RGBA bytes as 0x??RRGGBB words: red and blue trade places,
// the fourth byte (alpha) left where the server ignores it; four pixels at
// once where the CPU has SSE2 (every x86-64 does).
void ToServerPixels(const std::uint8_t *from, char *to, int width) {
    int x = 0;
#if defined(__SSE2__)
    const __m128i greenAlpha = _mm_set1_epi32(static_cast<int>(0xFF00FF00u)), low = _mm_set1_epi32(0xFF);
    for (; x + 4 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + 4 * x));
        const __m128i swapped = _mm_or_si128(_mm_and_si128(pixels, greenAlpha),
                                             _mm_or_si128(_mm_and_si128(_mm_srli_epi32(pixels, 16), low),
                                                          _mm_slli_epi32(_mm_and_si128(pixels, low), 16)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + 4 * x), swapped);
    }
#endif
    for (; x < width; ++x) {
        std::uint32_t pixel;
        std::memcpy(&pixel, from + 4 * x, 4);  // red in the low byte
        pixel = (pixel & 0xFF00FF00u) | (pixel >> 16 & 0xFFu) | (pixel & 0xFFu) << 16;
        std::memcpy(to + 4 * x, &pixel, 4);
    }
}

void FreeImage(X11FramePut &put) {
    Display *display = static_cast<Display *>(put.display);
    auto *image = static_cast<XImage *>(put.image);
    auto *info = static_cast<XShmSegmentInfo *>(put.shmInfo);
    if (info) {
        XShmDetach(display, info);
        XSync(display, False);
        shmdt(info->shmaddr);
        delete info;
    }
    if (image) {
        image->data = nullptr;  // the memory is ours, not Xlib's
        XDestroyImage(image);
    }
    put.image = nullptr;
    put.shmInfo = nullptr;
    put.pixels.clear();
}

// An image in shared memory, or nullptr where the server will not attach
// it. The image keeps a pointer to its segment's record, which therefore
// lives as long as it does, in `put`.
XImage *SharedImage(X11FramePut &put, Display *display, const XWindowAttributes &attributes, int width, int height) {
    auto *info = new XShmSegmentInfo{};
    XImage *image = XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap,
                                    nullptr, info, static_cast<unsigned>(width), static_cast<unsigned>(height));
    const auto giveUp = [&](bool attachedMemory) {
        if (attachedMemory) shmdt(info->shmaddr);
        if (image) {
            image->data = nullptr;
            XDestroyImage(image);
        }
        delete info;
        return nullptr;
    };
    if (!image) return giveUp(false);
    const std::size_t bytes = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height);
    info->shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (info->shmid < 0) return giveUp(false);
    info->shmaddr = image->data = static_cast<char *>(shmat(info->shmid, nullptr, 0));
    // Removed once both sides let go: nothing is left behind by a crash.
    shmctl(info->shmid, IPC_RMID, nullptr);
    if (info->shmaddr == reinterpret_cast<char *>(-1)) return giveUp(false);
    info->readOnly = True;
    // MIT-SHM refused (a display on another machine) answers with an error.
    if (!X11RequestSucceeds(display, [&] { return XShmAttach(display, info) != 0; })) return giveUp(true);
    put.shmInfo = info;
    return image;
}

bool MakeImage(X11FramePut &put, Display *display, Window window, int width, int height) {
    FreeImage(put);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return false;
    XImage *image = put.shared ? SharedImage(put, display, attributes, width, height) : nullptr;
    if (!image) {
        put.shared = false;
        image = XCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, 0, nullptr,
                             static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
        if (!image) return false;
        image->byte_order = LSBFirst;  // as we write them; Xlib turns them for the server
        put.pixels.resize(static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height));
        image->data = reinterpret_cast<char *>(put.pixels.data());
    }
    if (image->bits_per_pixel != 32 || (put.shared && image->byte_order != LSBFirst)) {
        put.image = image;
        FreeImage(put);
        return false;
    }
    put.image = image;
    return true;
}

}  // namespace

bool X11PutFrame(X11FramePut &put, void *opaque, unsigned long id, const std::uint8_t *rgba, int width, int height) {
    Display *display = static_cast<Display *>(opaque);
    const Window window = static_cast<Window>(id);
    if (width <= 0 || height <= 0) return false;
    if (!put.checked || put.display != opaque || put.window != id) {
        X11ReleaseFramePut(put);
        put.checked = true;
        put.display = opaque;
        put.window = id;
        put.usable = TakesOurPixels(display, window);
        put.shared = put.usable && XShmQueryExtension(display) && ImageByteOrder(display) == LSBFirst;
        if (put.usable) put.gc = XCreateGC(display, window, 0, nullptr);
        put.usable = put.usable && put.gc;
    }
    if (!put.usable) return false;
    auto *image = static_cast<XImage *>(put.image);
    if (!image || image->width != width || image->height != height) {
        if (!MakeImage(put, display, window, width, height)) {
            put.usable = false;
            return false;
        }
        image = static_cast<XImage *>(put.image);
    }
    for (int y = 0; y < height; ++y)
        ToServerPixels(rgba + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4,
                       image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line, width);
    GC gc = static_cast<GC>(put.gc);
    const auto w = static_cast<unsigned>(width), h = static_cast<unsigned>(height);
    if (put.shared)
        XShmPutImage(display, window, gc, image, 0, 0, 0, 0, w, h, False);
    else
        XPutImage(display, window, gc, image, 0, 0, 0, 0, w, h);
    // The image is written again next frame: the server must be done.
    XSync(display, False);
    return true;
}

void X11ReleaseFramePut(X11FramePut &put) {
    if (put.display) {
        FreeImage(put);
        if (put.gc) XFreeGC(static_cast<Display *>(put.display), static_cast<GC>(put.gc));
    }
    put = X11FramePut{};
}
