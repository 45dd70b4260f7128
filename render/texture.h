// The particle texture, made once at start-up from the sprite image.
#pragma once

// The sprite image every particle carries, read from the working directory.
constexpr const char *kSpriteFile = "./particle3.bmp";

// Loads kSpriteFile and uploads it as the particle texture, bound to
// GL_TEXTURE_2D. A missing or unreadable file has been reported by the
// loader; the texture name then stays unset and the sprites are drawn
// untextured.
void MakeParticleTexture();
