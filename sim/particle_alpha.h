// The alpha a particle is drawn with, from its age and the fade settings.
#pragma once

#include "sim/particles.h"

// Fade-in rises from 0.1 to 1 over a life and wins over fade-out, which
// falls from 1 to 0; with neither, constantAlpha is used unchanged. With a
// lifetime of 0 every particle respawns each frame, so it is drawn as
// newborn (0.1 fading in, 1 fading out) instead of dividing by zero.
inline float ParticleAlpha(float age, const SimulationParameters &params) {
    if (!params.fadeIn && !params.fadeOut) return params.constantAlpha;
    const double maxAge = params.maxAge;
    const double vAge = maxAge > 0.0 ? static_cast<double>(age) : 0.0;
    const double divisor = maxAge > 0.0 ? maxAge : 1.0;
    if (params.fadeIn)
        return static_cast<float>(vAge * static_cast<double>(0.9f) / divisor +
                                  static_cast<double>(0.1f));
    return static_cast<float>(1.0 - vAge / divisor);
}
