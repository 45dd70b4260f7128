// The particle texture uploaded from the sprite image.
#include "render/texture.h"

#include "image/dib_loader.h"
#include "render/gl.h"
#include "render/graphics.h"

void UploadParticleTexture(const ImageRecord &image) {
    GLuint name = kNoTexture;
    glGenTextures(1, &name);
    SetParticleTexture(name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Packed rows have no filler: read them byte-aligned, whatever the width.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels);
}
