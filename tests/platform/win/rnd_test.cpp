#include "platform/win/rnd.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<float> Draw(int count) {
  std::vector<float> numbers;
  for (int i = 0; i < count; ++i) numbers.push_back(win::Rnd());
  return numbers;
}

// An injected source stays until a test takes it out again.
class Rnd : public ::testing::Test {
 protected:
  void TearDown() override { win::SetRndSource({}); }
};

TEST_F(Rnd, StaysInTheUnitIntervalAndVaries) {
  auto numbers = Draw(10000);
  float low = 1.0f, high = 0.0f;
  for (float x : numbers) {
    ASSERT_GE(x, 0.0f);
    ASSERT_LT(x, 1.0f);
    low = std::min(low, x);
    high = std::max(high, x);
  }
  EXPECT_LT(low, 0.01f);
  EXPECT_GT(high, 0.99f);
}

TEST_F(Rnd, InjectedSourceReplacesTheGeneratorAndSurvivesRandomize) {
  float next = 0.0f;
  win::SetRndSource([&next] { return next += 0.25f; });
  win::Randomize();
  EXPECT_EQ(Draw(3), (std::vector<float>{0.25f, 0.5f, 0.75f}));
  win::SetRndSource({});
  EXPECT_NE(win::Rnd(), 0.0f);
}

}  // namespace
