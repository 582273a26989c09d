// The texture generator's random numbers: 0 to 32767, as the generator's ranges were made for,
// from a seed tests can set.
#pragma once

#include <cstdint>

inline constexpr int32_t kTexGenRandomMax = 32767;

// Restarts the sequence (seed 1 at load).
void TexGenSeed(uint32_t seed);
// The next number, 0 to kTexGenRandomMax.
int32_t TexGenRandom();
// Forgets every terrain's layers.
void TexGenFreeLayers();
// Forgets the layers of terrain id (0 or more), which a record made afresh must not inherit.
void TexGenForgetLayers(int32_t id);
