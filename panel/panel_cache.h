// The panel kept as a texture: copied from the frame once drawn, then
// drawn as one quad, which costs the main thread far less than a thousand
// glyphs every frame.
#pragma once

#include "render/gl.h"

class PanelCache {
public:
    // Copies the w x h pixels at (x, top), counted from the drawable's
    // top-left corner, into the texture, made large enough first. False,
    // and nothing copied, when they do not fit a drawable of that size.
    bool Copy(int x, int top, int w, int h, int drawableWidth, int drawableHeight);
    // Draws the copy at the same place, every piece of state it changes
    // put back: enables, texture binding and environment, matrices and
    // matrix mode, the current texture coordinate.
    void Draw(int drawableWidth, int drawableHeight) const;
    // Releases the texture; before the GL context goes.
    void Release();

private:
    GLuint texture_ = 0;
    int size_ = 0;  // square, a power of two
    int x_ = 0, top_ = 0, w_ = 0, h_ = 0;
};
