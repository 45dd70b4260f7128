// One frame of smoke: camera, simulation step, sprites in batches.
#include "render/frame.h"

#include <chrono>

#include "render/gl.h"
#include "render/graphics.h"
#include "sim/particle_alpha.h"
#include "sim/particles.h"

namespace {

// Constant, linear and quadratic distance attenuation of the sprite size.
const GLfloat quadratic[3] = {1.0f, 0.0f, 0.01f};

void SetPointParameters(float size) {
    // Sizes in pixels follow the frame's size (SetFrameView); at the
    // start-up size the scale is 1 and every value is exactly as set.
    const float scale = PixelScale();
    const float pointSize = size * scale;
    // Without the extension's entry points the sprites keep the plain
    // point size and are still drawn.
    const PointParameterEntryPoints &points = PointParameters();
    if (points.pointParameterfv) points.pointParameterfv(GL_POINT_DISTANCE_ATTENUATION_ARB, quadratic);
    glPointSize(pointSize);
    if (points.pointParameterf) {
        points.pointParameterf(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 60.0f * scale);
        points.pointParameterf(GL_POINT_SIZE_MIN_ARB, 1.0f);
        points.pointParameterf(GL_POINT_SIZE_MAX_ARB, pointSize);
    }
}

}  // namespace

void DrawParticles(const SimulationParameters &params, const ParticlePool &pool, int batches) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // overlapping sprites only brighten
    SetPointParameters(params.pointSize);
    glTexEnvf(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, 1.0f);

    const int poolBatches = kPoolSize / kBatchSize;
    if (batches > poolBatches) batches = poolBatches;
    for (int b = 0; b < batches; ++b) {
        const int start = b * kBatchSize;
        glEnable(GL_POINT_SPRITE_ARB);
        glBegin(GL_POINTS);
        for (int j = start; j < start + kBatchSize; ++j) {
            const Particle &p = pool[j];
            glColor4f(p.color[0], p.color[1], p.color[2], ParticleAlpha(p.age, params));
            glVertex3f(p.position.x, p.position.y, p.position.z);
        }
        glEnd();
        glDisable(GL_POINT_SPRITE_ARB);
    }
}

namespace {

void ClearAndPlaceCamera(const SimulationParameters &params) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, params.cameraDistance);
    // The mouse angles enter negated, the key-driven spin does not.
    glRotatef(-params.pitchAngle, 1.0f, 0.0f, 0.0f);
    glRotatef(-params.yawAngle, 0.0f, 1.0f, 0.0f);
    glRotatef(params.spinAngle, 0.0f, 1.0f, 0.0f);
}

void DrawSprites(const SimulationParameters &params, const ParticlePool &pool) {
    glBindTexture(GL_TEXTURE_2D, ParticleTexture());
    DrawParticles(params, pool, params.batchCount);
}

}  // namespace

void DrawSmoke(const SimulationParameters &params, const ParticlePool &pool) {
    ClearAndPlaceCamera(params);
    DrawSprites(params, pool);
}

void DrawFrame(const SimulationParameters &params, ParticlePool &pool, SmokeState &smoke, std::uint32_t now,
               double *simulationMs) {
    ClearAndPlaceCamera(params);
    if (simulationMs) {
        const auto start = std::chrono::steady_clock::now();
        UpdateParticles(pool, smoke, params, now);
        *simulationMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    } else {
        UpdateParticles(pool, smoke, params, now);
    }
    DrawSprites(params, pool);
}

