// The panel kept as a texture and drawn as one quad.
#include "panel/panel_cache.h"

bool PanelCache::Copy(int x, int top, int w, int h, int drawableWidth, int drawableHeight) {
    if (w <= 0 || h <= 0 || x + w > drawableWidth || top + h > drawableHeight) return false;

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (!texture_) glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    if (size_ < w || size_ < h) {
        int size = 256;
        while (size < w || size < h) size *= 2;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        size_ = size;
    }
    // The window's rows count from the bottom.
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, drawableHeight - top - h, w, h);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    x_ = x;
    top_ = top;
    w_ = w;
    h_ = h;
    return true;
}

void PanelCache::Draw(int drawableWidth, int drawableHeight) const {
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, drawableWidth, drawableHeight, 0.0, -1.0, 1.0);  // pixels, top-left origin
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    const float x0 = static_cast<float>(x_), y0 = static_cast<float>(top_);
    const float x1 = x0 + static_cast<float>(w_), y1 = y0 + static_cast<float>(h_);
    const float s = static_cast<float>(w_) / static_cast<float>(size_);
    const float t = static_cast<float>(h_) / static_cast<float>(size_);
    glBegin(GL_QUADS);  // texture rows count from the bottom, as copied
    glTexCoord2f(0.0f, t);
    glVertex2f(x0, y0);
    glTexCoord2f(s, t);
    glVertex2f(x1, y0);
    glTexCoord2f(s, 0.0f);
    glVertex2f(x1, y1);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x0, y1);
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void PanelCache::Release() {
    if (texture_) glDeleteTextures(1, &texture_);
    *this = PanelCache{};
}
