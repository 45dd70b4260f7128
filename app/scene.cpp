#include "app/scene.h"

#include "app/user_message.h"
#include "image/dib_loader.h"
#include "render/graphics.h"
#include "render/texture.h"
#include "sim/particles.h"

void MakeParticleTexture() {
    const DibLoad load = LoadDibImage(kSpriteFile);
    if (!load.image) {
        ShowUserMessage(MessageStyle::Plain, "Error", load.error.c_str());
        return;
    }
    UploadParticleTexture(*load.image);
    FreeImageRecord(load.image);
}

void InitScene() {
    MakeParticleTexture();
    ClampStartupPointSize();
    FillParticlePool();
}
