// Scene set-up, once the graphics are ready.
#pragma once

// The particle texture, then the start-up point-size clamp, then the fill
// of the particle pool.
void InitScene();
