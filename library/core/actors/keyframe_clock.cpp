#include "library/core/actors/keyframe_clock.h"

#include <algorithm>
#include <cmath>

float ClampElapsedTime(float milliseconds) {
  if (!(milliseconds >= 0.0f)) return 0.0f;
  return std::min(milliseconds, kMaxElapsedTime);
}

float StepKeyFrame(float t, float elapsedMilliseconds, float framesPerSecond, int32_t first,
                   int32_t last) {
  const float low = static_cast<float>(first);
  const float high = static_cast<float>(last);
  t += elapsedMilliseconds * framesPerSecond * kSecondsPerMillisecond;
  if (last <= first || !std::isfinite(t)) return low;
  const float span = high - low;
  if (t > high) {
    const float past = std::fmod(t - high, span);
    return past == 0.0f ? high : low + past;
  }
  if (t < low) {
    const float before = std::fmod(low - t, span);
    return before == 0.0f ? low : high - before;
  }
  return t;
}

KeyFramePair BlendFrames(float t, int32_t first, int32_t last, int32_t frameCount) {
  const int32_t lastFrame = std::max(frameCount - 1, 0);
  if (!std::isfinite(t)) t = static_cast<float>(first);
  const float clamped = std::clamp(t, 0.0f, static_cast<float>(lastFrame));
  KeyFramePair pair;
  pair.current = static_cast<int32_t>(clamped);
  pair.weight = clamped - static_cast<float>(pair.current);
  pair.next = pair.current < last ? pair.current + 1 : first;
  pair.next = std::clamp(pair.next, 0, lastFrame);
  return pair;
}
