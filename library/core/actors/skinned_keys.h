// The key search of the skinned models' tracks: coarse steps of 256 keys, then of 16, then key by
// key, so that long tracks are searched without walking every key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr size_t kCoarseKeyStep = 256;
inline constexpr size_t kFineKeyStep = 16;

// The key pair about time v in a key array sorted by time: the last key not after v and the first
// after it; both the first key when no key lies after v or the first already does.
struct KeyPair {
  size_t lower;
  size_t upper;
};

// From start, in steps of step keys: where to go on from, one step before the first step whose
// key lies after v (not before start), or the last step reached when none does.
template <class Key>
size_t SkipKeys(const std::vector<Key>& keys, int32_t v, size_t start, size_t step) {
  size_t at = start;
  while (at + step < keys.size() && keys[at + step].time <= v) at += step;
  return at;
}

template <class Key>
KeyPair SkinnedMesh_FindKeys(const std::vector<Key>& keys, int32_t v) {
  if (keys.empty() || keys.front().time > v) return {0, 0};
  size_t at = 0;
  if (keys.size() >= kCoarseKeyStep) at = SkipKeys(keys, v, at, kCoarseKeyStep);
  at = SkipKeys(keys, v, at, kFineKeyStep);
  while (at + 1 < keys.size() && keys[at + 1].time <= v) ++at;
  if (at + 1 >= keys.size()) return {0, 0};
  return {at, at + 1};
}
