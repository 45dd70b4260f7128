#include "app/scene.h"

#include "render/texture.h"
#include "render/graphics.h"
#include "sim/particles.h"

void InitScene() {
    MakeParticleTexture();
    ClampStartupPointSize();
    FillParticlePool();
}
