// The GL context's set-up and lasting state, in one private record.
#include "render/graphics.h"

#include <cstring>
#include <initializer_list>


namespace {

bool NoContext() { return false; }
void NoOp() {}
void *NoProc(const char *) { return nullptr; }

// What the module keeps while the program runs.
struct Graphics {
    GraphicsPlatform platform = {NoContext, NoOp, NoOp, NoProc};
    bool contextReady = false;
    float pixelScale = 1.0f;  // SetFrameView's
    int surfaceHeight = 0;    // the drawable's, as the context began or the window was resized
    GLuint particleTexture = kNoTexture;
    PresentTexture present;
    PointParameterEntryPoints points;
} graphics;

void LookUpPointParameters(GraphicsWarning warn) {
    const auto report = [warn](const char *text) {
        if (warn) warn(text);
    };
    const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    if (!ExtensionOffered(extensions, "GL_ARB_point_parameters")) {
        report("GL_ARB_point_parameters extension was not found");
        return;
    }
    PointParameterEntryPoints &points = graphics.points;
    points.pointParameterf =
        reinterpret_cast<PFNGLPOINTPARAMETERFARBPROC>(graphics.platform.lookupProc("glPointParameterfARB"));
    points.pointParameterfv = reinterpret_cast<PFNGLPOINTPARAMETERFVARBPROC>(
        graphics.platform.lookupProc("glPointParameterfvARB"));
    if (!points.pointParameterf || !points.pointParameterfv)
        report("One or more GL_ARB_point_parameters functions were not found");
}

// The viewport and the projection for `live`, drawn into a frame of
// `width` x `height`; the matrix mode is left at the projection's, as a
// resize of the window leaves it.
void SetViewAndProjection(const LiveView &live, int width, int height) {
    // A frame smaller than the drawable lies along its top edge: the
    // rasterizer counts rows from the top, so a pixel's arithmetic is then
    // that of a drawable of the frame's own size.
    glViewport(0, height < graphics.surfaceHeight ? graphics.surfaceHeight - height : 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const Perspective perspective = PerspectiveFor(live, width, height);
    gluPerspective(kFieldOfView, perspective.aspect, perspective.zNear, kFarPlane);
    graphics.pixelScale = perspective.pixelScale;
}

}  // namespace

void SetGraphicsPlatform(const GraphicsPlatform &newPlatform) { graphics.platform = newPlatform; }

const GraphicsPlatform &CurrentGraphicsPlatform() { return graphics.platform; }

const PointParameterEntryPoints &PointParameters() { return graphics.points; }
void SetPointParameters(const PointParameterEntryPoints &entryPoints) { graphics.points = entryPoints; }

GLuint ParticleTexture() { return graphics.particleTexture; }
PresentTexture &FramePresentTexture() { return graphics.present; }
void SetParticleTexture(GLuint name) { graphics.particleTexture = name; }

bool ExtensionOffered(const char *extensions, const char *name) {
    return extensions != nullptr && std::strstr(extensions, name) != nullptr;
}

bool InitGraphics(GraphicsWarning warn) {
    if (!graphics.platform.createContext()) return false;
    graphics.contextReady = true;

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    GLint viewport[4] = {0, 0, 0, 0};  // the whole drawable, as a new context has it
    glGetIntegerv(GL_VIEWPORT, viewport);
    graphics.surfaceHeight = viewport[3];

    // The viewport stays the whole client area until the first resize, so
    // this 4/3 projection is drawn into a square window until then.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const Perspective perspective = PerspectiveFor(kStartupView, kDrawableSize, kDrawableSize);
    gluPerspective(kFieldOfView, perspective.aspect, perspective.zNear, kFarPlane);

    LookUpPointParameters(warn);
    return true;
}

void ResizeGraphics(int width, int height) {
    if (!graphics.contextReady) return;
    graphics.surfaceHeight = height;
    SetViewAndProjection({width, height, true}, width, height);
}

void ClampStartupPointSize(const SimulationParameters &params) {
    GLfloat maxSize = 0.0f;
    glGetFloatv(GL_POINT_SIZE_MAX_ARB, &maxSize);
    if (params.pointSize < maxSize) maxSize = params.pointSize;
    glPointSize(maxSize);
}

void SetFrameView(const LiveView &live, int width, int height) {
    if (!graphics.contextReady) return;
    SetViewAndProjection(live, width, height);
    glMatrixMode(GL_MODELVIEW);
}

float PixelScale() { return graphics.pixelScale; }

bool SoftwareRenderer() {
    const char *renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    if (!renderer) return false;
    for (const char *name : {"llvmpipe", "softpipe", "swrast"})
        if (std::strstr(renderer, name)) return true;
    return false;
}

float LargestPointSize() {
    GLfloat range[2] = {0.0f, 0.0f};
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
    GLfloat maxSize = 0.0f;
    glGetFloatv(GL_POINT_SIZE_MAX_ARB, &maxSize);
    return maxSize > range[1] ? maxSize : range[1];
}

void LargestViewport(int &width, int &height) {
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    width = dims[0];
    height = dims[1];
}

void ShutdownGraphics() {
    if (graphics.contextReady) glDeleteTextures(1, &graphics.particleTexture);
    if (graphics.contextReady && graphics.present.name != 0) glDeleteTextures(1, &graphics.present.name);
    graphics.platform.destroyContext();
    const GraphicsPlatform platform = graphics.platform;
    graphics = Graphics{};
    graphics.platform = platform;
}
