// Scene set-up, once the graphics are ready.
#pragma once

#include <string>

#include "sim/particles.h"

// The sprite image every particle carries: particle3.bmp from the working
// directory, else the installed copy (see data_files.h).
constexpr const char *kSpriteName = "particle3.bmp";

// Loads the sprite image and uploads it as the particle texture: the one
// in the working directory, else the installed copy beside
// `programFolder` ("" for none). A file that cannot be loaded gets its one
// "Error" box; the texture name then stays unset and the sprites are drawn
// untextured.
void MakeParticleTexture(const std::string &programFolder);

// The particle texture, then the start-up point-size clamp, then the fill
// of the particle pool, all from the values in `params`.
void InitScene(const SimulationParameters &params, ParticlePool &pool, SmokeState &smoke);
