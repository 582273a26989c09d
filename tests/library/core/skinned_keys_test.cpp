// The stepped key search of skinned tracks against a plain scan from the first key.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "library/core/actors/skinned_keys.h"

namespace {

struct Key {
  int32_t time;
};

KeyPair PlainScan(const std::vector<Key>& keys, int32_t v) {
  size_t lower = 0;
  for (size_t k = 0; k < keys.size(); ++k) {
    if (keys[k].time > v) return k == 0 ? KeyPair{0, 0} : KeyPair{lower, k};
    lower = k;
  }
  return {0, 0};
}

TEST(SkinnedKeys, TheSteppedSearchEqualsAPlainScan) {
  std::mt19937 random(7);
  for (const size_t count : {0u, 1u, 2u, 15u, 16u, 17u, 255u, 256u, 257u, 1000u, 5000u}) {
    std::vector<Key> keys;
    int32_t time = 0;
    for (size_t k = 0; k < count; ++k) {
      time += static_cast<int32_t>(random() % 3);  // repeated times too
      keys.push_back({time});
    }
    for (int trial = 0; trial < 300; ++trial) {
      const auto v = static_cast<int32_t>(random() % static_cast<uint32_t>(time + 5)) - 2;
      const KeyPair found = SkinnedMesh_FindKeys(keys, v), scanned = PlainScan(keys, v);
      ASSERT_EQ(found.lower, scanned.lower) << count << " keys at " << v;
      ASSERT_EQ(found.upper, scanned.upper) << count << " keys at " << v;
    }
  }
}

}  // namespace
