// The glyph texture of a texture font: the characters are rasterised once by the text layer into
// an A4R4G4B4 texture of the texture table (white, the coverage as alpha), laid out in rows, and
// each string is then drawn as one textured quad per character (in 2D, per inked character over
// its ink) from a dynamic vertex buffer, in screen pixels or in world units (ten pixels to the
// unit).
#pragma once

#include <cstdint>

#include "platform/d3d/interfaces.h"

// Bits of a texture font's flags.
inline constexpr int32_t kFontBold = 1;
inline constexpr int32_t kFontItalic = 2;
inline constexpr int32_t kFontExtended = 4;  // characters 128 to 253 as well as 32 to 126
inline constexpr int32_t kFontUnderline = 8;

// Bits of the drawing flags.
inline constexpr int32_t kDrawCentred = 1;    // 3D: the text's middle on the origin
inline constexpr int32_t kDrawBothSides = 2;  // 3D: no culling
inline constexpr int32_t kDrawFiltered = 4;   // linear filtering of the glyphs

inline constexpr int32_t kFirstGlyph = 32;
inline constexpr int32_t kGlyphCount = 224;     // characters 32 to 255
inline constexpr int32_t kFaceCharacters = 80;  // terminator included

// Where a character's glyph lies in the texture, in texture coordinates.
struct GlyphCell {
  float u1, v1, u2, v2;
};

struct TextExtent {
  float width;   // whole pixels
  float height;  // whole pixels
};

class FontTexture {
 public:
  // Copies the description and clears the device objects.
  void Init(const char* face, int32_t size, int32_t flags);
  // OnLost, then ReleaseDevice.
  void Unload();
  // Rasterises the glyphs into a new texture-table texture; E_FAIL without a device or when the
  // glyphs do not fit the largest texture the device takes, else the creation's result.
  d3d::HRESULT Create(d3d::IDirect3DDevice8* device);
  // The vertex buffer lives in the device's default pool: it goes before a device reset.
  d3d::HRESULT OnReset();
  void OnLost();
  void ReleaseDevice();
  // The text's size in pixels as Render draws it: its widest line and its lines' height.
  d3d::HRESULT GetExtent(const char* text, TextExtent* extent) const;
  // Draws from (x, y) in pixels; keepStates leaves every render state as the caller set it.
  d3d::HRESULT Render(float x, float y, d3d::D3DCOLOR color, const char* text, int32_t flags,
                      bool keepStates);
  // Draws in the world transform's plane z = 0, ten pixels to the unit.
  d3d::HRESULT Render3D(const char* text, d3d::D3DCOLOR color, int32_t flags);

  char face[kFaceCharacters];
  int32_t size;  // points
  int32_t flags;
  d3d::IDirect3DDevice8* device;
  d3d::IDirect3DVertexBuffer8* vertexBuffer;
  int32_t textureWidth;   // texels
  int32_t textureHeight;  // texels
  // Below 1 when the device's largest texture is smaller than the font's side: the glyphs are
  // rasterised smaller by this factor and drawn larger by it.
  float scale;
  GlyphCell glyphs[kGlyphCount];
  // What of each cell a 2D string draws: its ink with a texel around it, inside the cell (the
  // rest is fully transparent); u2 <= u1 for a blank glyph, which is not drawn.
  GlyphCell inks[kGlyphCount];
  int32_t textureIdentifier;

 private:
  // The glyph texture of the texture table, or null.
  d3d::IDirect3DTexture8* GlyphTexture() const;
  // A glyph's drawn width and height in pixels.
  float Width(const GlyphCell& cell) const;
  float Height(const GlyphCell& cell) const;
  // The height of a line in pixels: the space's cell.
  float LineHeight() const;
};
