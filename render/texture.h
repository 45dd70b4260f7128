// The particle texture, made once at start-up from the sprite image.
#pragma once

struct ImageRecord;

// Uploads `image` as the particle texture (ParticleTexture()), bound to
// GL_TEXTURE_2D, linearly filtered, no mipmaps.
void UploadParticleTexture(const ImageRecord &image);
