// The tunable values of the smoke and the view, with their start values.
//
// One process-wide block, gParams: the key actions and the mouse drag change
// it, and the emitter, the update and the drawing read it every time they
// run, so a change shows in the very next frame. Each is handed the block
// by reference.
#pragma once

#include <cstdint>

struct SimulationParameters {
    // Emission and motion.
    float driftSpeed = -5.0f;    // mean x speed added at spawn
    float spreadY = 0.5f;        // half-width of the spawn y velocity
    float spreadZ = 0.5f;        // half-width of the spawn z velocity
    float turbulence = 0.2f;     // spawn x half-width and per-frame jitter
    float maxAge = 3.0f;         // age beyond which a particle respawns
    float damping = 1.0f;        // per-second pull of the x velocity to zero
    std::int32_t particleCount = 4000;  // particles advanced and drawn
    std::int32_t batchCount = 4;        // always particleCount / 1000
    float emitterRadius = 0.3f;  // scale of the two emitter lobes
    float emitterX = 5.0f;       // x of every spawn position

    // Appearance and view.
    float constantAlpha = 0.5f;  // sprite alpha when no fade mode is on
    float pointSize = 30.0f;     // sprite size in pixels, attenuation cap
    bool fadeOut = false;        // alpha falls from 1 to 0 over a life
    bool fadeIn = false;         // alpha rises from 0.1 to 1; wins over fadeOut
    float cameraDistance = -10.0f;  // z translation of the scene
    float spinAngle = 0.0f;      // key-driven turn about y, degrees
    float yawAngle = 0.0f;       // mouse-driven turn about y, degrees
    float pitchAngle = 0.0f;     // mouse-driven turn about x, degrees
};

extern SimulationParameters gParams;

// Every field equal.
bool operator==(const SimulationParameters &a, const SimulationParameters &b);
inline bool operator!=(const SimulationParameters &a, const SimulationParameters &b) { return !(a == b); }

// Sets particleCount and keeps batchCount in step with it.
void SetParticleCount(SimulationParameters &params, std::int32_t count);
