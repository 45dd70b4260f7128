#include "app/scene.h"

#include "render/graphics.h"
#include "sim/particles.h"

namespace {

// The sprite texture step; until the image loader exists the sprites are
// drawn untextured, as after a failed load.
void MakeParticleTexture() {}

}  // namespace

void InitScene() {
    MakeParticleTexture();
    ClampStartupPointSize();
    FillParticlePool();
}
