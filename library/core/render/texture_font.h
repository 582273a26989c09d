// Fonts: texture fonts, whose glyphs are rasterised once into a texture of the texture table and
// drawn as textured quads in 2D or 3D, and plain fonts over a D3DX font. Both kinds live in one
// table; identifier 0 is reserved, so that 0 always means "no font". The exports are declared in
// library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "library/core/render/screen2d.h"

// Draws one text item that the 2D queue kept, in the states the queue has set.
void Font_RenderTextItem(const Screen2DTextItem& item);
