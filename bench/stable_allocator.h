// The software rasteriser allocates and frees large blocks on every draw; with the C library's
// default thresholds those go back to the system and fault in again, which costs up to ten times
// what the drawing does and hides the drawing's own cost. This keeps them with the process.
#pragma once

#include <malloc.h>

namespace bench {

inline void StableAllocator() {
  constexpr int kKeptBytes = 1 << 30;     // memory freed below this stays with the process
  constexpr int kMappedBytes = 32 << 20;  // the largest threshold for a block of its own
  mallopt(M_TRIM_THRESHOLD, kKeptBytes);
  mallopt(M_MMAP_THRESHOLD, kMappedBytes);
}

}  // namespace bench
