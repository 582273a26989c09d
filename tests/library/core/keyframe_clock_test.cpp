// The keyframe clock: the frame-time clamp, the wrap of every range (degenerate ones and times far
// outside ending at once), and the frame pairs a draw blends.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "library/core/actors/keyframe_clock.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

TEST(KeyFrameClock, ElapsedTimeIsClamped) {
  EXPECT_EQ(ClampElapsedTime(5000.0f), 1000.0f);
  EXPECT_EQ(ClampElapsedTime(16.5f), 16.5f);
  EXPECT_EQ(ClampElapsedTime(-3.0f), 0.0f);
  EXPECT_EQ(ClampElapsedTime(kNaN), 0.0f);
}

TEST(KeyFrameClock, StepWrapsAsRepeatedSubtractionWould) {
  struct Case {
    float t, elapsed, speed;
    int32_t first, last;
    float expected;
  };
  const Case cases[] = {
      {7.5f, 100.0f, 10.0f, 0, 8, 0.5f},    // 8.5 - 8 + 0
      {3.0f, 100.0f, 10.0f, 2, 6, 4.0f},    // inside the range
      {5.5f, 1000.0f, 10.0f, 2, 6, 3.5f},   // 15.5: three spans past
      {6.0f, 0.0f, 10.0f, 2, 6, 6.0f},      // the last frame itself stays
      {2.0f, 1000.0f, 8.0f, 2, 6, 6.0f},    // lands exactly two spans on: the loop stops at last
      {1.0f, 0.0f, 10.0f, 2, 6, 5.0f},      // before the range: one span added
      {4.0f, 1000.0f, -5.0f, 2, 6, 3.0f},   // running backwards
      {4.0f, 100.0f, 10.0f, 3, 3, 3.0f},    // one-frame range holds
      {4.0f, 100.0f, 10.0f, 5, 2, 5.0f},    // end before start holds at the start
      {1e30f, 100.0f, 10.0f, 0, 8, -1.0f},  // far beyond: ends, inside the range
      {kNaN, 100.0f, 10.0f, 2, 6, 2.0f},   {kInfinity, 0.0f, 1.0f, 2, 6, 2.0f},
  };
  for (const Case& c : cases) {
    const float t = StepKeyFrame(c.t, c.elapsed, c.speed, c.first, c.last);
    SCOPED_TRACE(testing::Message() << "t " << c.t << " range " << c.first << ".." << c.last);
    if (c.expected < 0.0f) {
      EXPECT_GE(t, static_cast<float>(c.first));
      EXPECT_LE(t, static_cast<float>(c.last));
    } else {
      EXPECT_FLOAT_EQ(t, c.expected);
    }
  }
}

TEST(KeyFrameClock, BlendPairsWrapToTheFirstFrameAndStayInsideTheModel) {
  struct Case {
    float t;
    int32_t first, last, frames;
    KeyFramePair expected;
  };
  const Case cases[] = {
      {2.25f, 0, 5, 6, {2, 3, 0.25f}},
      {5.0f, 3, 5, 6, {5, 3, 0.0f}},  // the last frame blends toward the first
      {4.5f, 3, 5, 6, {4, 5, 0.5f}},
      {40.0f, 0, 5, 6, {5, 0, 0.0f}},  // a stored time past the model is clamped
      {-7.0f, 0, 5, 6, {0, 1, 0.0f}},
      {1.5f, 0, 99, 3, {1, 2, 0.5f}},  // an animation reaching past the model
      {kNaN, 2, 4, 6, {2, 3, 0.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "t " << c.t);
    const KeyFramePair pair = BlendFrames(c.t, c.first, c.last, c.frames);
    EXPECT_EQ(pair.current, c.expected.current);
    EXPECT_EQ(pair.next, c.expected.next);
    EXPECT_FLOAT_EQ(pair.weight, c.expected.weight);
  }
}

}  // namespace
