// Scene set-up, once the graphics are ready.
#pragma once

#include <string>

#include "app/app.h"
#include "raster/sprite_rasterizer.h"
#include "sim/particles.h"

// The sprite image every particle carries: particle3.bmp from the working
// directory, else the installed copy (see data_files.h).
constexpr const char *kSpriteName = "particle3.bmp";

// Loads the sprite image and uploads it as the particle texture: the one
// in the working directory, else the installed copy beside
// `programFolder` ("" for none). A file that cannot be loaded gets its one
// "Error" box; the texture name then stays unset and the sprites are drawn
// untextured. Returns the image as the sprite rasterizer samples it
// (empty when there is none).
SpriteTexture MakeParticleTexture(const std::string &programFolder);

// The particle texture, then the start-up point-size clamp, then the fill
// of the particle pool, all from the values in `params`; returns the
// texture for the rasterizer.
SpriteTexture InitScene(const SimulationParameters &params, ParticlePool &pool, SmokeState &smoke);

// What draws the smoke: the sprite rasterizer on `threads` threads (0: a
// thread for each core) with `texture` when `cpu`, else the GL. A sprite
// image the rasterizer cannot sample (a side that is not a power of two)
// leaves the drawing to the GL, with a diagnostic.
void ChooseRenderer(App &app, bool cpu, int threads, SpriteTexture texture);
// "cpu" or "gl": what draws the smoke, as recordings name it.
const char *RendererName(const App &app);
