// A font that draws with the device itself: its glyphs are rasterised once by the text layer
// (platform/win/gdi_text.h) into a managed texture, and each string is drawn as pre-transformed
// textured quads, one per character, texel on pixel. So the headless device records what a string
// draws, and the OpenGL device shows it.
#pragma once

#include "platform/d3d/interfaces.h"
#include "platform/win/gdi_text.h"

namespace d3dx {

inline constexpr d3d::DWORD DT_NOCLIP = 0x100;

class ID3DXFont : public d3d::IUnknown {
 public:
  virtual d3d::HRESULT GetDevice(d3d::IDirect3DDevice8** device) = 0;
  // Sets the states drawing text needs, keeping the device's own to put back at End.
  virtual d3d::HRESULT Begin() = 0;
  // Draws count bytes of text (-1: up to the terminator) from the rectangle's top-left corner,
  // unclipped; '\n' starts a line, other bytes below 32 are skipped, colour's alpha is honoured.
  // Outside Begin and End it brackets itself. Returns the height drawn in pixels, 0 on failure.
  virtual int32_t DrawTextA(const char* text, int32_t count, d3d::RECT* rect, d3d::DWORD format,
                            d3d::D3DCOLOR color) = 0;
  // Puts back the states Begin found.
  virtual d3d::HRESULT End() = 0;
  // The glyph texture is managed, so a device reset keeps it: these end an open Begin.
  virtual d3d::HRESULT OnLostDevice() = 0;
  virtual d3d::HRESULT OnResetDevice() = 0;

 protected:
  ~ID3DXFont() = default;
};

inline constexpr d3d::IID IID_ID3DXFont = {
    0xE6F0971E, 0x6D69, 0x4762, {0xB9, 0x1D, 0x51, 0x03, 0x26, 0x51, 0x5C, 0x93}};

// A font of the same description as font (the caller keeps font); its characters 32 to 255 are
// laid out in a texture no wider than the device takes.
d3d::HRESULT D3DXCreateFont(d3d::IDirect3DDevice8* device, win::HFONT font, ID3DXFont** object);

}  // namespace d3dx
