// Scene set-up: the sprite texture, the point-size clamp, the pool's fill.
#include "app/scene.h"

#include "io/data_files.h"
#include "io/user_message.h"
#include "image/dib_loader.h"
#include "platform/sdl_platform.h"
#include "render/graphics.h"
#include "render/texture.h"

void MakeParticleTexture(const std::string &programFolder) {
    const DibLoad load = LoadDibImage(FindDataFile(kSpriteName, programFolder).c_str());
    if (!load.image) {
        if (!load.reason.empty()) PrintDiagnostic(load.reason);
        ShowUserMessage(MessageStyle::Plain, "Error", load.error.c_str());
        return;
    }
    UploadParticleTexture(*load.image);
    FreeImageRecord(load.image);
}

void InitScene(const SimulationParameters &params, ParticlePool &pool, SmokeState &smoke) {
    MakeParticleTexture(ProgramFolder());
    ClampStartupPointSize(params);
    FillParticlePool(pool, smoke, params);
}
