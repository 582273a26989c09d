// The animation clock of keyframe entities: how the frame time advances, wraps and picks the two
// frames a draw blends. Time is in frames; the caller's frame time in milliseconds.
#pragma once

#include <cstdint>

inline constexpr float kMaxElapsedTime = 1000.0f;  // milliseconds: one long frame counts as this
inline constexpr float kSecondsPerMillisecond = 0.001f;

// The frame time as the update uses it: at most kMaxElapsedTime, and 0 for a negative or NaN time.
float ClampElapsedTime(float milliseconds);

// Advances t by elapsed x speed and wraps it into first .. last the way repeated subtraction of the
// range would, in one step however far t went. A range of one frame, or one whose last frame does
// not lie after its first, holds at its first frame; so does a t that is not a number.
float StepKeyFrame(float t, float elapsedMilliseconds, float framesPerSecond, int32_t first,
                   int32_t last);

// The frames a draw at time t blends, and the weight of the second: i = t truncated, then i + 1
// while i is before the animation's last frame, else back to its first. Both frames are clamped
// into the model's frames, so no stored time reaches outside them.
struct KeyFramePair {
  int32_t current;
  int32_t next;
  float weight;
};
KeyFramePair BlendFrames(float t, int32_t first, int32_t last, int32_t frameCount);
