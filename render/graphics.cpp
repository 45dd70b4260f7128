#include "render/graphics.h"

#include <cstring>

#include "sim/parameters.h"

namespace ext {
PFNGLPOINTPARAMETERFARBPROC glPointParameterfARB = nullptr;
PFNGLPOINTPARAMETERFVARBPROC glPointParameterfvARB = nullptr;
}  // namespace ext

GLuint gParticleTexture = kNoTexture;

namespace {

bool NoContext() { return false; }
void NoOp() {}
void *NoProc(const char *) { return nullptr; }

GraphicsPlatform platform = {NoContext, NoOp, NoOp, NoProc};
bool contextReady = false;

void LookUpPointParameters(GraphicsWarning warn) {
    const auto report = [warn](const char *text) {
        if (warn) warn(text);
    };
    const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    if (!ExtensionOffered(extensions, "GL_ARB_point_parameters")) {
        report("GL_ARB_point_parameters extension was not found");
        return;
    }
    ext::glPointParameterfARB =
        reinterpret_cast<PFNGLPOINTPARAMETERFARBPROC>(platform.lookupProc("glPointParameterfARB"));
    ext::glPointParameterfvARB = reinterpret_cast<PFNGLPOINTPARAMETERFVARBPROC>(
        platform.lookupProc("glPointParameterfvARB"));
    if (!ext::glPointParameterfARB || !ext::glPointParameterfvARB)
        report("One or more GL_ARB_point_parameters functions were not found");
}

}  // namespace

void SetGraphicsPlatform(const GraphicsPlatform &newPlatform) { platform = newPlatform; }

const GraphicsPlatform &CurrentGraphicsPlatform() { return platform; }

bool ExtensionOffered(const char *extensions, const char *name) {
    return extensions != nullptr && std::strstr(extensions, name) != nullptr;
}

bool InitGraphics(GraphicsWarning warn) {
    if (!platform.createContext()) return false;
    contextReady = true;

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);

    // The viewport stays the whole client area until the first resize, so
    // this 4/3 projection is drawn into a square window until then.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(1.3333334f), static_cast<double>(0.1f), 100.0);

    LookUpPointParameters(warn);
    return true;
}

void ResizeGraphics(int width, int height) {
    if (!contextReady) return;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height gives an infinite or undefined aspect; the next resize
    // restores a proper projection.
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 0.1, 100.0);
}

void ClampStartupPointSize() {
    GLfloat maxSize = 0.0f;
    glGetFloatv(GL_POINT_SIZE_MAX_ARB, &maxSize);
    if (gParams.pointSize < maxSize) maxSize = gParams.pointSize;
    glPointSize(maxSize);
}

namespace {
float pixelScale = 1.0f;
}  // namespace

void SetFrameSize(int width, int height) {
    if (!contextReady || (width == kDrawableSize && height == kDrawableSize)) return;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(1.3333334f) * width / height, static_cast<double>(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    pixelScale = static_cast<float>(height) / static_cast<float>(kDrawableSize);
}

float PixelScale() { return pixelScale; }

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
    if (contextReady) glDeleteTextures(1, &gParticleTexture);
    gParticleTexture = kNoTexture;
    platform.destroyContext();
    contextReady = false;
    pixelScale = 1.0f;
    ext::glPointParameterfARB = nullptr;
    ext::glPointParameterfvARB = nullptr;
}
