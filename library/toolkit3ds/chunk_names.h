// The names of the 3DS chunk kinds, for dumps.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t kChunkNameCount3ds = 589;
inline constexpr const char* kUnknownChunkName3ds = "UNKNOWN_CHUNK";

// The constant name of a chunk tag, or kUnknownChunkName3ds; never to be freed.
const char* ChunkTagToName3ds(int32_t tag);
// The tag of the table's row (from 0, in ascending tag order), or -1 past the last.
int32_t GetChunkNameTag3ds(size_t row);
