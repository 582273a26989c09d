#include "library/core/render/font_texture.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/texture_factory.h"
#include "library/core/vortanautil.h"
#include "platform/win/gdi_text.h"
#include "platform/win/numbers.h"

using namespace d3d;

namespace {

// The texture's side by the font's size in points.
constexpr int32_t kSmallFontPoints = 20;
constexpr int32_t kMediumFontPoints = 40;
constexpr int32_t kSmallSide = 256;  // texels
constexpr int32_t kMediumSide = 512;
constexpr int32_t kLargeSide = 1024;
constexpr int32_t kPointsPerInch = 72;
constexpr int32_t kLastPlainCharacter = 126;
constexpr int32_t kLastExtendedCharacter = 253;
constexpr int32_t kLastCharacter3D = 127;
// Pixels between glyphs in a row (italics lean into the next cell) and between rows.
constexpr int32_t kItalicSpacing = 3;
constexpr int32_t kSpacing = 1;
constexpr int32_t kRowSpacing = 2;
constexpr int32_t kWorldPixelsPerUnit = 10;
constexpr int32_t kBatchVertices = 300;  // 100 triangles per draw
constexpr UINT kBufferBytes = kBatchVertices * 28;
constexpr float kScreenDepth = 0.9999f;  // z and rhw of the 2D glyphs
constexpr float kTexelCentreShift = -0.5f;
constexpr DWORD kAlphaReference = 1;
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kWorldFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr uint16_t kWhiteTexel = 0x0FFF;  // A4R4G4B4 white without its alpha
constexpr int kAlphaShift = 12;
constexpr int kCoverageShift = 4;  // the high nibble of the coverage byte becomes the alpha

struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
static_assert(sizeof(ScreenVertex) * kBatchVertices == kBufferBytes);
struct WorldVertex {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};

// Where each character's cell goes in a square of side texels; false when the rows run past its
// bottom.
bool Lay(win::HDC dc, int32_t side, int32_t lastCharacter, int32_t spacing, GlyphCell* cells) {
  int32_t x = 0;
  int32_t y = 0;
  const auto texels = static_cast<float>(side);
  for (int32_t character = kFirstGlyph; character <= lastCharacter; ++character) {
    const char byte = static_cast<char>(character);
    win::SIZE size{};
    win::GetTextExtentPoint32A(dc, &byte, 1, &size);
    if (x + size.cx + spacing > side) {
      x = 0;
      y += size.cy + kRowSpacing;
    }
    if (y + size.cy > side) return false;
    cells[character - kFirstGlyph] = {
        static_cast<float>(x) / texels, static_cast<float>(y) / texels,
        static_cast<float>(x + size.cx) / texels, static_cast<float>(y + size.cy) / texels};
    x += size.cx + spacing;
  }
  return true;
}

// The part of cell drawn in 2D: the texels of alpha > 0 and one texel around them, inside the
// cell; empty for a blank glyph. Beyond it even a filtered pixel samples only transparent texels.
GlyphCell InkOf(const GlyphCell& cell, int32_t side, const uint16_t* alpha) {
  const auto texel = [side](float coordinate) {
    return win::RoundHalfEven(coordinate * static_cast<float>(side));
  };
  const int32_t x0 = texel(cell.u1), y0 = texel(cell.v1), x1 = texel(cell.u2), y1 = texel(cell.v2);
  int32_t left = x1, top = y1, right = x0, bottom = y0;
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x)
      if (alpha[static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x)] != 0) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
  if (right <= left) return {};
  const auto texels = static_cast<float>(side);
  return {static_cast<float>(std::max(x0, left - 1)) / texels,
          static_cast<float>(std::max(y0, top - 1)) / texels,
          static_cast<float>(std::min(x1, right + 1)) / texels,
          static_cast<float>(std::min(y1, bottom + 1)) / texels};
}

// Draws the characters into a side x side DIB section and copies it into level 0 of texture;
// inks gets each cell's InkOf.
HRESULT Rasterise(win::HDC dc, int32_t side, int32_t lastCharacter, const GlyphCell* cells,
                  IDirect3DTexture8* texture, GlyphCell* inks) {
  win::BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(win::BITMAPINFOHEADER);
  info.bmiHeader.biWidth = side;
  info.bmiHeader.biHeight = -side;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = win::BI_RGB;
  void* bits = nullptr;
  win::HBITMAP bitmap = win::CreateDIBSection(dc, &info, win::DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return E_FAIL;
  win::SelectObject(dc, bitmap);
  win::DeleteObject(bitmap);  // the device context keeps it while it is selected
  win::SetMapMode(dc, win::MM_TEXT);
  win::SetTextColor(dc, win::RGB(255, 255, 255));
  win::SetBkColor(dc, win::RGB(0, 0, 0));
  win::SetTextAlign(dc, win::TA_LEFT | win::TA_TOP);
  const auto texels = static_cast<float>(side);
  for (int32_t character = kFirstGlyph; character <= lastCharacter; ++character) {
    const GlyphCell& cell = cells[character - kFirstGlyph];
    const char byte = static_cast<char>(character);
    win::ExtTextOutA(dc, win::RoundHalfEven(cell.u1 * texels), win::RoundHalfEven(cell.v1 * texels),
                     win::ETO_OPAQUE, nullptr, &byte, 1, nullptr);
  }
  D3DLOCKED_RECT locked{};
  if (const HRESULT result = texture->LockRect(0, &locked, nullptr, 0); FAILED(result))
    return result;
  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::vector<uint16_t> alphas(static_cast<size_t>(side) * static_cast<size_t>(side));
  for (int32_t y = 0; y < side; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<BYTE*>(locked.pBits) +
                                            static_cast<size_t>(y) * locked.Pitch);
    for (int32_t x = 0; x < side; ++x) {
      const size_t at = static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x);
      const auto alpha = static_cast<uint16_t>((pixels[at] & 0xFF) >> kCoverageShift);
      alphas[at] = alpha;
      row[x] = alpha == 0 ? 0 : static_cast<uint16_t>(alpha << kAlphaShift | kWhiteTexel);
    }
  }
  for (int32_t character = kFirstGlyph; character <= lastCharacter; ++character)
    inks[character - kFirstGlyph] = InkOf(cells[character - kFirstGlyph], side, alphas.data());
  return texture->UnlockRect(0);
}

// The vertices of one string, written into the vertex buffer and drawn in batches of 100
// triangles.
template <class Vertex>
class GlyphBatch {
 public:
  GlyphBatch(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer)
      : device_(device), buffer_(buffer) {}

  bool Open() { return Lock(); }
  void Add(const Vertex (&quad)[6]) {
    std::copy(std::begin(quad), std::end(quad), vertices_ + count_);
    count_ += 6;
    if (count_ == kBatchVertices) {
      Draw();
      Lock();
    }
  }
  void Close() { Draw(); }

 private:
  bool Lock() {
    BYTE* data = nullptr;
    if (FAILED(buffer_->Lock(0, 0, &data, D3DLOCK_DISCARD))) return false;
    vertices_ = reinterpret_cast<Vertex*>(data);
    return true;
  }
  void Draw() {
    if (vertices_ == nullptr) return;
    buffer_->Unlock();
    vertices_ = nullptr;
    if (count_ > 0) device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(count_ / 3));
    count_ = 0;
  }

  IDirect3DDevice8* device_;
  IDirect3DVertexBuffer8* buffer_;
  Vertex* vertices_ = nullptr;
  int32_t count_ = 0;
};

void SetGlyphStates(IDirect3DDevice8* device) {
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRS_SPECULARENABLE, 0);
  device->SetRenderState(D3DRS_FOGENABLE, 0);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
  device->SetRenderState(D3DRS_ALPHAREF, kAlphaReference);
}

void SetLinearFiltering(IDirect3DDevice8* device) {
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
}

}  // namespace

void FontTexture::Init(const char* faceName, int32_t points, int32_t fontFlags) {
  CopyToField(face, sizeof face, faceName != nullptr ? faceName : "");
  size = points;
  flags = fontFlags;
  device = nullptr;
  vertexBuffer = nullptr;
  textureWidth = 0;
  textureHeight = 0;
  scale = 1.0f;
  std::fill(std::begin(glyphs), std::end(glyphs), GlyphCell{});
  std::fill(std::begin(inks), std::end(inks), GlyphCell{});
  textureIdentifier = 0;
}

void FontTexture::Unload() {
  OnLost();
  ReleaseDevice();
}

HRESULT FontTexture::Create(IDirect3DDevice8* target) {
  if (target == nullptr) {
    AddLog(
        "TEXTURE FONT MANAGER : The engine isn't initialized. couldn't create the texture font. "
        "Check your initialization process");
    return E_FAIL;
  }
  device = target;
  D3DCAPS8 caps{};
  device->GetDeviceCaps(&caps);
  const auto largest = static_cast<int32_t>(caps.MaxTextureWidth);
  int32_t side = size <= kSmallFontPoints    ? kSmallSide
                 : size <= kMediumFontPoints ? kMediumSide
                                             : kLargeSide;
  if (largest < side) {
    scale = static_cast<float>(largest) / static_cast<float>(side);
    side = largest;
  }
  const int32_t height = win::MulDiv(
      size, static_cast<int32_t>(static_cast<float>(win::kScreenDpi) * scale), kPointsPerInch);
  win::HFONT font =
      win::CreateFontA(-height, 0, 0, 0, (flags & kFontBold) != 0 ? win::FW_BOLD : win::FW_NORMAL,
                       (flags & kFontItalic) != 0 ? 1 : 0, (flags & kFontUnderline) != 0 ? 1 : 0, 0,
                       win::DEFAULT_CHARSET, win::OUT_DEFAULT_PRECIS, win::CLIP_DEFAULT_PRECIS,
                       win::ANTIALIASED_QUALITY, win::VARIABLE_PITCH, face);
  if (font == nullptr) return E_FAIL;
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::SelectObject(dc, font);
  win::DeleteObject(font);  // the device context keeps it while it is selected
  const int32_t last = (flags & kFontExtended) != 0 ? kLastExtendedCharacter : kLastPlainCharacter;
  const int32_t spacing = (flags & kFontItalic) != 0 ? kItalicSpacing : kSpacing;
  // Rows that run past the bottom take a larger texture, as far as the device allows.
  while (!Lay(dc, side, last, spacing, glyphs)) {
    if (side * 2 > largest) {
      AddLog(
          "TEXTURE FONT MANAGER : The glyphs of the font %s (size %d) need a texture larger than "
          "the device's %dx%d",
          face, size, largest, largest);
      win::DeleteDC(dc);
      return E_FAIL;
    }
    side *= 2;
  }
  const int32_t identifier = TextureFactory_GetNewTextureId();
  IDirect3DTexture8* texture = nullptr;
  HRESULT result = identifier == 0
                       ? E_OUTOFMEMORY
                       : device->CreateTexture(static_cast<UINT>(side), static_cast<UINT>(side), 1,
                                               0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture);
  if (SUCCEEDED(result)) result = Rasterise(dc, side, last, glyphs, texture, inks);
  win::DeleteDC(dc);
  if (FAILED(result)) {
    SafeRelease(texture);
    return result;
  }
  TextureRecord& record = TextureTable[identifier];
  record = {};
  record.inUse = 1;
  record.identifier = identifier;
  record.texture = texture;
  record.kind = kTextureOrdinary;
  record.format = D3DFMT_A4R4G4B4;
  record.width = record.height = side;
  std::snprintf(record.name, sizeof record.name, "TextureFont %d (%s)", identifier, face);
  CopyToField(record.file, sizeof record.file, "nofilename");
  textureIdentifier = identifier;
  textureWidth = textureHeight = side;
  return D3D_OK;
}

HRESULT FontTexture::OnReset() {
  if (device == nullptr) return E_FAIL;
  SafeRelease(vertexBuffer);
  return device->CreateVertexBuffer(kBufferBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                    D3DPOOL_DEFAULT, &vertexBuffer);
}

void FontTexture::OnLost() { SafeRelease(vertexBuffer); }

void FontTexture::ReleaseDevice() {
  SafeRelease(vertexBuffer);
  device = nullptr;
}

IDirect3DTexture8* FontTexture::GlyphTexture() const {
  const TextureRecord* record = TextureFactory_Record(textureIdentifier);
  return record != nullptr && textureIdentifier != 0 ? record->texture : nullptr;
}

float FontTexture::Width(const GlyphCell& cell) const {
  return (cell.u2 - cell.u1) * static_cast<float>(textureWidth) / scale;
}

float FontTexture::Height(const GlyphCell& cell) const {
  return (cell.v2 - cell.v1) * static_cast<float>(textureHeight) / scale;
}

float FontTexture::LineHeight() const { return Height(glyphs[0]); }

HRESULT FontTexture::GetExtent(const char* text, TextExtent* extent) const {
  if (text == nullptr || extent == nullptr) return E_FAIL;
  float widest = 0.0f;
  float line = 0.0f;
  int32_t lines = 1;
  for (const char* at = text; *at != '\0'; ++at) {
    const auto character = static_cast<uint8_t>(*at);
    if (character == '\n') {
      ++lines;
      line = 0.0f;
      continue;
    }
    if (character < kFirstGlyph) continue;
    line += Width(glyphs[character - kFirstGlyph]);
    widest = std::max(widest, line);
  }
  extent->width = static_cast<float>(win::RoundHalfEven(widest));
  extent->height = static_cast<float>(win::RoundHalfEven(LineHeight() * static_cast<float>(lines)));
  return D3D_OK;
}

HRESULT FontTexture::Render(float x, float y, D3DCOLOR color, const char* text, int32_t drawFlags,
                            bool keepStates) {
  if (device == nullptr || vertexBuffer == nullptr || text == nullptr) return E_FAIL;
  if (!keepStates) {
    SetGlyphStates(device);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->SetVertexShader(kScreenFvf);
  }
  device->SetTexture(0, GlyphTexture());
  device->SetStreamSource(0, vertexBuffer, sizeof(ScreenVertex));
  if ((drawFlags & kDrawFiltered) != 0) SetLinearFiltering(device);
  GlyphBatch<ScreenVertex> batch(device, vertexBuffer);
  if (!batch.Open()) return E_FAIL;
  float penX = x;
  float penY = y;
  for (const char* at = text; *at != '\0'; ++at) {
    const auto character = static_cast<uint8_t>(*at);
    if (character == '\n') {
      penX = x;
      penY += LineHeight();
      continue;
    }
    if (character < kFirstGlyph) continue;
    const GlyphCell& cell = glyphs[character - kFirstGlyph];
    // The cell's ink, where the cell would put it.
    const GlyphCell& ink = inks[character - kFirstGlyph];
    if (ink.u2 > ink.u1) {
      const float x0 = penX + kTexelCentreShift + Width({cell.u1, cell.v1, ink.u1, ink.v1});
      const float y0 = penY + kTexelCentreShift + Height({cell.u1, cell.v1, ink.u1, ink.v1});
      const float x1 = x0 + Width(ink);
      const float y1 = y0 + Height(ink);
      const auto vertex = [&](float vx, float vy, float u, float v) {
        return ScreenVertex{vx, vy, kScreenDepth, kScreenDepth, color, u, v};
      };
      batch.Add({vertex(x0, y1, ink.u1, ink.v2), vertex(x0, y0, ink.u1, ink.v1),
                 vertex(x1, y1, ink.u2, ink.v2), vertex(x1, y0, ink.u2, ink.v1),
                 vertex(x1, y1, ink.u2, ink.v2), vertex(x0, y0, ink.u1, ink.v1)});
    }
    penX += Width(cell);
  }
  batch.Close();
  if (keepStates) return D3D_OK;
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  Atmosphere_ApplyFog();
  LightFactory_ApplySpecularLighting();
  return D3D_OK;
}

HRESULT FontTexture::Render3D(const char* text, D3DCOLOR color, int32_t drawFlags) {
  if (device == nullptr || vertexBuffer == nullptr || text == nullptr) return E_FAIL;
  device->SetTexture(0, GlyphTexture());
  SetGlyphStates(device);
  device->SetVertexShader(kWorldFvf);
  device->SetPixelShader(0);
  device->SetStreamSource(0, vertexBuffer, sizeof(WorldVertex));
  if ((drawFlags & kDrawFiltered) != 0) SetLinearFiltering(device);
  if ((drawFlags & kDrawBothSides) != 0) device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  constexpr auto kUnit = static_cast<float>(kWorldPixelsPerUnit);
  float startX = 0.0f;
  float penY = 0.0f;
  if ((drawFlags & kDrawCentred) != 0) {
    TextExtent extent{};
    GetExtent(text, &extent);
    startX = -extent.width / (2.0f * kUnit);
    penY = -extent.height / (2.0f * kUnit);
  }
  float penX = startX;
  GlyphBatch<WorldVertex> batch(device, vertexBuffer);
  if (!batch.Open()) return E_FAIL;
  for (const char* at = text; *at != '\0'; ++at) {
    const auto character = static_cast<uint8_t>(*at);
    if (character == '\n') {
      penX = startX;
      penY -= LineHeight() / kUnit;
      continue;
    }
    if (character < kFirstGlyph || character > kLastCharacter3D) continue;
    const GlyphCell& cell = glyphs[character - kFirstGlyph];
    const float width = Width(cell) / kUnit;
    if (character != ' ' && cell.u2 > cell.u1) {
      const float x0 = penX;
      const float y0 = penY;
      const float x1 = x0 + width;
      const float y1 = y0 + Height(cell) / kUnit;
      const auto vertex = [&](float vx, float vy, float u, float v) {
        return WorldVertex{vx, vy, 0.0f, color, u, v};
      };
      batch.Add({vertex(x0, y0, cell.u1, cell.v2), vertex(x0, y1, cell.u1, cell.v1),
                 vertex(x1, y0, cell.u2, cell.v2), vertex(x1, y1, cell.u2, cell.v1),
                 vertex(x1, y0, cell.u2, cell.v2), vertex(x0, y1, cell.u1, cell.v1)});
    }
    penX += width;
  }
  batch.Close();
  LightFactory_ApplySpecularLighting();
  Atmosphere_ApplyFog();
  return D3D_OK;
}
