// The GL context of the one window: creation and lasting state, the
// projection and its resize handling, the point-size clamp, the extension
// entry points the drawing needs, the particle texture's name, and
// shutdown. Everything it keeps lives in one private state of its own.
#pragma once

#include "render/gl.h"
#include "sim/parameters.h"
#include "values/live_view.h"

// The window's drawable at start: square, this many pixels a side. The
// screenshot and the capture's frames have this size.
constexpr int kDrawableSize = 800;

// What the drawing needs from the window system. The application fills it
// in; nothing here knows which window system that is.
struct GraphicsPlatform {
    // Makes a double-buffered RGBA context with a 16-bit depth buffer for
    // the window and makes it current; false when that fails.
    bool (*createContext)();
    // Makes no context current, deletes the context, releases the window's
    // drawable. Safe when nothing was created.
    void (*destroyContext)();
    void (*swapBuffers)();
    void *(*lookupProc)(const char *name);
};

void SetGraphicsPlatform(const GraphicsPlatform &platform);
const GraphicsPlatform &CurrentGraphicsPlatform();

// Entry points of the point-parameter extension, looked up at run time,
// clear of any prototypes in the GL headers; null when not offered.
struct PointParameterEntryPoints {
    PFNGLPOINTPARAMETERFARBPROC pointParameterf = nullptr;
    PFNGLPOINTPARAMETERFVARBPROC pointParameterfv = nullptr;
};
const PointParameterEntryPoints &PointParameters();
// Replaces them; tests draw without them.
void SetPointParameters(const PointParameterEntryPoints &entryPoints);

// The particle texture name: all ones until the sprite image is uploaded.
constexpr GLuint kNoTexture = 0xFFFFFFFFu;
GLuint ParticleTexture();
void SetParticleTexture(GLuint name);

// The texture CPU frames are shown through (render/present.h), made at
// its first use: its name and size.
struct PresentTexture {
    GLuint name = 0;
    int width = 0, height = 0;
};
PresentTexture &FramePresentTexture();

// How the set-up reports a missing extension: the caller decides who sees
// the text (the program shows it in an "ERROR" box).
using GraphicsWarning = void (*)(const char *text);

// Creates the context, sets the clear colour, enables texturing, sets the
// start-up 4/3 projection and looks up the extension entry points, handing
// `warn` one text for each that is missing (nothing when null). Returns
// false only when no context could be made.
bool InitGraphics(GraphicsWarning warn);

// Viewport and projection for a new client size, made from its shape.
// Ignored until the context exists.
void ResizeGraphics(int width, int height);

// The start-up point size: pointSize, or the implementation's largest
// point size when that is smaller.
void ClampStartupPointSize(const SimulationParameters &params);

// Draws the next frames as the live window drew with `live`, into a frame
// of `width` x `height`, for the capture: the viewport that size and the
// perspective values/live_view.h's PerspectiveFor gives, every size in
// pixels the drawing uses (the sprite, its cap, the fade threshold) scaled
// by its pixel scale. A frame smaller than the drawable lies along its top
// edge, drawn as into a drawable of its own size.
void SetFrameView(const LiveView &live, int width, int height);
// The live window as it starts: kDrawableSize a side, the start-up
// projection.
constexpr LiveView kStartupView = {kDrawableSize, kDrawableSize, false};
// The scale SetFrameView set: 1 until then.
float PixelScale();

// Whether the GL draws in software (Mesa's llvmpipe, softpipe or swrast),
// where the sprite rasterizer draws the same bytes far faster.
bool SoftwareRenderer();

// The implementation's largest point size, and its largest viewport.
float LargestPointSize();
void LargestViewport(int &width, int &height);

// Deletes the particle texture and the context.
void ShutdownGraphics();

// Plain substring search of an extension string; a null string offers
// nothing.
bool ExtensionOffered(const char *extensions, const char *name);
