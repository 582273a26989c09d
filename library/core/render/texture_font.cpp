#include "library/core/render/texture_font.h"

#include "library/core/frame/buffers.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"
#include "platform/win/ascii_case.h"

using namespace d3d;

FontRecord* TextureFontTable = nullptr;
int32_t TextureFontCount = 0;

namespace {

constexpr int32_t kPointsPerInch = 72;
// TextureFont_Render3D draws centred and filtered.
constexpr int32_t k3DFlags = kDrawCentred | kDrawFiltered;
constexpr int32_t kTranslationRow = 3;

// The record of a font in use, or null.
FontRecord* InUse(int32_t identifier) {
  if (identifier < 1 || identifier >= TextureFontCount) return nullptr;
  FontRecord* record = &TextureFontTable[identifier];
  return record->inUse != 0 ? record : nullptr;
}

FontRecord* TextureFontInUse(int32_t identifier) {
  FontRecord* record = InUse(identifier);
  return record != nullptr && record->plain == 0 && record->glyphTexture != nullptr ? record
                                                                                    : nullptr;
}

FontRecord* PlainFontInUse(int32_t identifier) {
  FontRecord* record = InUse(identifier);
  return record != nullptr && record->plain != 0 && record->d3dxFont != nullptr ? record : nullptr;
}

// The first free record from 1, else a new one; 0 when memory runs out. The record comes zeroed and
// marked in use.
int32_t Allocate(const char* name, const char* face) {
  if (TextureFontCount == 0 && !GrowTable(&TextureFontTable, &TextureFontCount, 1)) return 0;
  int32_t identifier = 1;
  while (identifier < TextureFontCount && TextureFontTable[identifier].inUse != 0) ++identifier;
  if (identifier == TextureFontCount && !GrowTable(&TextureFontTable, &TextureFontCount, 1))
    return 0;
  FontRecord& record = TextureFontTable[identifier];
  record = {};
  record.inUse = 1;
  record.identifier = identifier;
  CopyToField(record.name, sizeof record.name, name != nullptr ? name : "");
  CopyToField(record.face, sizeof record.face, face != nullptr ? face : "");
  return identifier;
}

void DrawPlain(const FontRecord& record, float x, float y, const char* text, D3DCOLOR color) {
  RECT rect = {static_cast<LONG>(x), static_cast<LONG>(y), 0, 0};
  record.d3dxFont->Begin();
  record.d3dxFont->DrawTextA(text, -1, &rect, d3dx::DT_NOCLIP, color);
  record.d3dxFont->End();
}

void Destroy(FontRecord& record) {
  if (record.d3dxFont != nullptr) record.d3dxFont->OnLostDevice();
  SafeRelease(record.d3dxFont);
  if (record.windowsFont != nullptr) win::DeleteObject(record.windowsFont);
  record.windowsFont = nullptr;
  if (record.glyphTexture != nullptr) record.glyphTexture->Unload();
  delete record.glyphTexture;
  record.glyphTexture = nullptr;
  record.inUse = 0;
}

// The 3D drawing of a texture font in the world transform of matrix.
int32_t Render3D(int32_t identifier, const D3DMATRIX& matrix, const char* text, uint32_t color) {
  FontRecord* record = TextureFontInUse(identifier);
  if (record == nullptr || CurrentDevice == nullptr) return 0;
  CurrentDevice->SetTransform(D3DTS_WORLD, &matrix);
  record->glyphTexture->Render3D(text, color, k3DFlags);
  return 1;
}

}  // namespace

void Font_RenderTextItem(const Screen2DTextItem& item) {
  constexpr int32_t kKeepStates = 1;
  Font_Render(item.font, item.x, item.y, item.text, item.color, kKeepStates);
}

int32_t TextureFont_Create(const char* name, const char* face, int32_t size, int32_t flags) {
  const int32_t identifier = Allocate(name, face);
  if (identifier == 0) return 0;
  FontRecord& record = TextureFontTable[identifier];
  record.size = size;
  record.glyphTexture = new FontTexture;
  record.glyphTexture->Init(face, size, flags);
  FontTexture& glyphs = *record.glyphTexture;
  HRESULT result = glyphs.Create(CurrentDevice);
  if (SUCCEEDED(result)) {
    result = glyphs.OnReset();
    if (FAILED(result)) TextureFactory_DeleteTexture(glyphs.textureIdentifier);
  }
  if (FAILED(result)) {
    Destroy(record);
    return 0;
  }
  return identifier;
}

int32_t NormalFont_Create(const char* name, const char* face, int32_t size, int32_t bold,
                          int32_t italic, int32_t spare) {
  const int32_t identifier = Allocate(name, face);
  if (identifier == 0) return 0;
  FontRecord& record = TextureFontTable[identifier];
  record.italic = italic;
  record.size = size;
  record.spare = spare;
  record.plain = 1;
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  const int32_t height = win::MulDiv(size, win::GetDeviceCaps(dc, win::LOGPIXELSY), kPointsPerInch);
  win::DeleteDC(dc);
  record.windowsFont = win::CreateFontA(-height, 0, 0, 0, bold != 0 ? win::FW_BOLD : win::FW_NORMAL,
                                        italic != 0 ? 1 : 0, 0, 0, win::DEFAULT_CHARSET,
                                        win::OUT_DEFAULT_PRECIS, win::CLIP_DEFAULT_PRECIS,
                                        win::ANTIALIASED_QUALITY, win::VARIABLE_PITCH, record.face);
  if (record.windowsFont == nullptr) {
    AddLog("FONT MANAGER : couldn't create the font (with Window api)");
    Destroy(record);
    return 0;
  }
  if (const HRESULT result =
          d3dx::D3DXCreateFont(CurrentDevice, record.windowsFont, &record.d3dxFont);
      FAILED(result)) {
    AddLog("FONT MANAGER : couldn't create the D3DX font. DirectX error %d", result);
    Destroy(record);
    return 0;
  }
  return identifier;
}

int32_t TextureFont_GetFontFromName(const char* name) {
  if (name == nullptr) return 0;
  for (int32_t identifier = 1; identifier < TextureFontCount; ++identifier) {
    const FontRecord& record = TextureFontTable[identifier];
    if (record.inUse != 0 && win::EqualsIgnoringCase(record.name, name)) return identifier;
  }
  AddLog("FONT MANAGER : Couldn't find the font '%s' in the font factory.", name);
  return 0;
}

int32_t TextureFont_GetTexture(int32_t identifier) {
  const FontRecord* record = TextureFontInUse(identifier);
  return record != nullptr ? record->glyphTexture->textureIdentifier : 0;
}

int32_t TextureFont_GetExtent(int32_t identifier, const char* text, float* width, float* height) {
  const FontRecord* record = InUse(identifier);
  if (record == nullptr || width == nullptr || height == nullptr) return 0;
  TextExtent extent = {0.0f, 0.0f};
  if (record->plain == 0 && FAILED(record->glyphTexture->GetExtent(text, &extent))) return 0;
  *width = extent.width;
  *height = extent.height;
  return 1;
}

int32_t TextureFont_Render(int32_t identifier, float x, float y, const char* text, uint32_t color) {
  const FontRecord* record = InUse(identifier);
  if (record == nullptr) return 0;
  if (record->plain != 0) return 1;
  if (InScreen2D) return Screen2D_AddInnerText(identifier, x, y, text, color);
  if (CurrentDevice == nullptr) return 0;
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  record->glyphTexture->Render(x, y, color, text, 0, false);
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  return 1;
}

int32_t NormalFont_Render(int32_t identifier, float x, float y, const char* text, uint32_t color) {
  const FontRecord* record = PlainFontInUse(identifier);
  if (record == nullptr || text == nullptr) return 0;
  if (InScreen2D) return Screen2D_AddInnerText(identifier, x, y, text, color);
  DrawPlain(*record, x, y, text, color);
  return 1;
}

int32_t Font_Render(int32_t identifier, float x, float y, const char* text, uint32_t color,
                    int32_t keepStates) {
  if (const FontRecord* record = TextureFontInUse(identifier); record != nullptr) {
    record->glyphTexture->Render(x, y, color, text, 0, keepStates != 0);
    return 1;
  }
  const FontRecord* record = PlainFontInUse(identifier);
  if (record == nullptr || text == nullptr) return 0;
  DrawPlain(*record, x, y, text, color);
  return 1;
}

int32_t TextureFont_Render3D(int32_t identifier, const D3DMATRIX* matrix, const char* text,
                             uint32_t color) {
  if (matrix == nullptr) return 0;
  return Render3D(identifier, *matrix, text, color);
}

int32_t TextureFont_Render3DBillboard(int32_t identifier, const D3DMATRIX* matrix, const char* text,
                                      float x, float y, float z, uint32_t color) {
  if (matrix == nullptr) return 0;
  D3DMATRIX placed = *matrix;
  placed.m[kTranslationRow][0] = x;
  placed.m[kTranslationRow][1] = y;
  placed.m[kTranslationRow][2] = z;
  return Render3D(identifier, placed, text, color);
}

int32_t TextureFont_Render3DBillboard2(int32_t identifier, const D3DMATRIX* matrix,
                                       const char* text, float x, float y, float z, uint32_t color,
                                       float scaleX, float scaleY) {
  if (matrix == nullptr) return 0;
  // A scaling of the text's own axes first: rows of the matrix scale with them.
  D3DMATRIX placed = *matrix;
  const float factors[3] = {scaleX, scaleY, scaleY};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 4; ++column) placed.m[row][column] *= factors[row];
  }
  placed.m[kTranslationRow][0] = x;
  placed.m[kTranslationRow][1] = y;
  placed.m[kTranslationRow][2] = z;
  return Render3D(identifier, placed, text, color);
}

int32_t TextureFont_Unload() {
  for (int32_t identifier = 1; identifier < TextureFontCount; ++identifier) {
    FontRecord& record = TextureFontTable[identifier];
    if (record.inUse == 0) continue;
    Destroy(record);
    AddLog("FONT MANAGER: Destroying texture  #%d", identifier);
  }
  FreeTable(reinterpret_cast<void**>(&TextureFontTable), &TextureFontCount);
  return 1;
}

int32_t TextureFont_OnLostAll() {
  for (int32_t identifier = 1; identifier < TextureFontCount; ++identifier) {
    FontRecord& record = TextureFontTable[identifier];
    if (record.inUse == 0) continue;
    if (record.d3dxFont != nullptr) record.d3dxFont->OnLostDevice();
    if (record.glyphTexture != nullptr) record.glyphTexture->OnLost();
  }
  return 1;
}

int32_t TextureFont_OnResetAll() {
  for (int32_t identifier = 1; identifier < TextureFontCount; ++identifier) {
    FontRecord& record = TextureFontTable[identifier];
    if (record.inUse == 0) continue;
    if (record.d3dxFont != nullptr) record.d3dxFont->OnResetDevice();
    if (record.glyphTexture != nullptr && FAILED(record.glyphTexture->OnReset())) {
      AddLog("FONT MANAGER : Couldn't reset the texture font #%d", identifier);
    }
  }
  return 1;
}
