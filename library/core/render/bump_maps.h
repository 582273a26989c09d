// Bump textures and normal maps for DOT3 bump mapping, the default environment-bump texture of
// terrain water, and normalisation cube maps. The exports are declared in
// library/core/vortanautil.h.
#pragma once

#include <cstdint>

// The texture identifier of the default environment-bump texture (1 after device creation).
extern int32_t DefaultBumpTexture;
