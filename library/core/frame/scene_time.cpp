#include "library/core/frame/scene_time.h"

#include "library/core/vortanautil.h"

float ElapsedTime = 0.0f;

int32_t Scene_SetTimeElapsed(float milliseconds) {
  ElapsedTime = milliseconds;
  return 1;
}
