// Scene set-up: the sprite texture, the point-size clamp, the pool's fill.
#include "app/scene.h"

#include "io/data_files.h"
#include "io/user_message.h"
#include "image/dib_loader.h"
#include "platform/sdl_platform.h"
#include "render/graphics.h"
#include "render/texture.h"

SpriteTexture MakeParticleTexture(const std::string &programFolder) {
    SpriteTexture texture;
    const DibLoad load = LoadDibImage(FindDataFile(kSpriteName, programFolder).c_str());
    if (!load.image) {
        if (!load.reason.empty()) PrintDiagnostic(load.reason);
        ShowUserMessage(MessageStyle::Plain, "Error", load.error.c_str());
        return texture;
    }
    UploadParticleTexture(*load.image);
    texture.width = load.image->width;
    texture.height = load.image->height;
    texture.rgb.assign(load.image->pixels, load.image->pixels + std::size_t{3} * static_cast<std::size_t>(texture.width) *
                                                                   static_cast<std::size_t>(texture.height));
    FreeImageRecord(load.image);
    return texture;
}

SpriteTexture InitScene(const SimulationParameters &params, ParticlePool &pool, SmokeState &smoke) {
    SpriteTexture texture = MakeParticleTexture(ProgramFolder());
    ClampStartupPointSize(params);
    FillParticlePool(pool, smoke, params);
    return texture;
}

void ChooseRenderer(App &app, bool cpu, int threads, SpriteTexture texture) {
    app.rasterizer.reset();
    if (!cpu) return;
    if (!texture.Empty() && !SpriteTexture::CanSample(texture.width, texture.height)) {
        PrintDiagnostic("the sprite image is " + std::to_string(texture.width) + " x " + std::to_string(texture.height) +
                        " pixels, which the CPU renderer does not sample (its sides must be powers of two): "
                        "the GL draws the smoke");
        return;
    }
    app.rasterizer = std::make_unique<SpriteRasterizer>(threads);
    app.rasterizer->SetTexture(std::move(texture));
}

const char *RendererName(const App &app) { return app.rasterizer ? "cpu" : "gl"; }
