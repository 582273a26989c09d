// Fonts: texture fonts (library/core/render/font_texture.h) and plain fonts over a D3DX font, in
// one table. Record 0 is reserved, so that 0 always means "no font". While a 2D batch is open the
// text exports queue their text into it. The exports are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "library/core/render/font_texture.h"
#include "library/core/render/screen2d.h"
#include "platform/d3dx/font.h"

inline constexpr int32_t kFontNameCharacters = 256;  // terminator included

struct FontRecord {
  int32_t inUse;
  int32_t identifier;
  FontTexture* glyphTexture;  // texture fonts; owned
  win::HFONT windowsFont;     // plain fonts; owned
  d3dx::ID3DXFont* d3dxFont;  // plain fonts; owned
  int32_t plain;
  char name[kFontNameCharacters];
  char face[kFontNameCharacters];
  int32_t size;    // points
  int32_t italic;  // plain fonts
  int32_t spare;   // plain fonts: kept, never read
};

extern FontRecord* TextureFontTable;
extern int32_t TextureFontCount;

// Draws one text item that the 2D queue kept, in the states the queue has set.
void Font_RenderTextItem(const Screen2DTextItem& item);
