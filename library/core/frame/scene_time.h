// The frame time the caller hands the scene, read by everything that animates.
#pragma once

// Milliseconds of the last frame, as set by Scene_SetTimeElapsed.
extern float ElapsedTime;
