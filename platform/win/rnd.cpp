#include "platform/win/rnd.h"

#include <cstdint>
#include <random>

#include "platform/win/clock.h"

namespace win {

namespace {

std::mt19937& Generator() {
  static std::mt19937 generator;
  return generator;
}

std::function<float()>& Source() {
  static std::function<float()> source;
  return source;
}

}  // namespace

float Rnd() {
  if (Source()) return Source()();
  // The top 24 bits fill a float's mantissa exactly, so the result never rounds up to 1.
  constexpr float TwoToMinus24 = 1.0f / 16777216.0f;
  return static_cast<float>(Generator()() >> 8) * TwoToMinus24;
}

void Randomize() {
  if (Source()) return;
  Generator().seed(static_cast<uint32_t>(Now().count()));
}

void SetRndSource(std::function<float()> source) { Source() = std::move(source); }

}  // namespace win
