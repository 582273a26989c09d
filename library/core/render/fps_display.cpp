#include "library/core/render/fps_display.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string_view>

#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/texture.h"

using namespace d3d;

namespace {

constexpr UINT kImageWidth = 256;  // texels
constexpr UINT kImageHeight = 16;
constexpr D3DCOLOR kInk = 0xFFFFFFFF;
constexpr D3DCOLOR kPaper = 0xFF000000;  // keyed out when the image is loaded
constexpr int32_t kCellCount = 13;       // the digits, then F, P and S
constexpr int32_t kCellTop = 1;          // texels
constexpr int32_t kCellBottom = 15;
// Each glyph is drawn in a 4 x 7 grid of 2 x 2 texel squares, one texel in from its cell's left.
constexpr int32_t kGridColumns = 4;
constexpr int32_t kGridRows = 7;
constexpr int32_t kGridSquare = 2;  // texels
constexpr int32_t kGlyphMargin = 1;

constexpr std::array<std::pair<int32_t, int32_t>, kCellCount> kCellColumns = {{{2, 12},
                                                                               {12, 22},
                                                                               {23, 33},
                                                                               {34, 45},
                                                                               {46, 57},
                                                                               {57, 67},
                                                                               {68, 79},
                                                                               {79, 89},
                                                                               {89, 100},
                                                                               {100, 111},
                                                                               {112, 122},
                                                                               {125, 136},
                                                                               {138, 148}}};

// The glyphs, top row first: '#' is ink.
constexpr std::array<std::array<std::string_view, kGridRows>, kCellCount> kGlyphs = {{
    {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."},  // 0
    {".#..", "##..", ".#..", ".#..", ".#..", ".#..", "###."},  // 1
    {".##.", "#..#", "...#", "..#.", ".#..", "#...", "####"},  // 2
    {"###.", "...#", "...#", ".##.", "...#", "...#", "###."},  // 3
    {"#..#", "#..#", "#..#", "####", "...#", "...#", "...#"},  // 4
    {"####", "#...", "###.", "...#", "...#", "#..#", ".##."},  // 5
    {".##.", "#...", "#...", "###.", "#..#", "#..#", ".##."},  // 6
    {"####", "...#", "..#.", "..#.", ".#..", ".#..", ".#.."},  // 7
    {".##.", "#..#", "#..#", ".##.", "#..#", "#..#", ".##."},  // 8
    {".##.", "#..#", "#..#", ".###", "...#", "...#", ".##."},  // 9
    {"####", "#...", "#...", "###.", "#...", "#...", "#..."},  // F
    {"###.", "#..#", "#..#", "###.", "#...", "#...", "#..."},  // P
    {".###", "#...", "#...", ".##.", "...#", "...#", "###."},  // S
}};

// The text's letters that select the cells of F, P and S.
constexpr char kLetterF = 'A';
constexpr int32_t kFirstLetterCell = 10;
constexpr const char* kFormat = "%d ABC";

constexpr int32_t kBufferVertices = 200;
constexpr int32_t kQuadVertices = 6;
constexpr float kPenStart = 5.0f;  // pixels from the left
constexpr float kSpaceAdvance = 10.0f;
constexpr float kTop = 5.0f;
constexpr float kBottom = 19.0f;
constexpr float kDepth = 0.0001f;
constexpr float kRhw = 0.001f;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};

struct FpsCell {
  float u1, v1, u2, v2;
  float width;  // pixels
};

struct FpsDisplayState {
  IDirect3DTexture8* texture = nullptr;
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  std::array<FpsCell, kCellCount> cells{};
  int32_t glyphCount = 0;
  // Empty while the buffer holds no vertices of a value.
  std::optional<int32_t> lastValue;
};

FpsDisplayState FpsDisplay;

std::array<D3DCOLOR, kImageWidth * kImageHeight> GlyphImage() {
  std::array<D3DCOLOR, kImageWidth * kImageHeight> image;
  image.fill(kPaper);
  for (int32_t cell = 0; cell < kCellCount; ++cell) {
    const int32_t left = kCellColumns[static_cast<size_t>(cell)].first + kGlyphMargin;
    for (int32_t row = 0; row < kGridRows * kGridSquare; ++row) {
      for (int32_t column = 0; column < kGridColumns * kGridSquare; ++column) {
        if (kGlyphs[static_cast<size_t>(cell)][static_cast<size_t>(row / kGridSquare)]
                   [static_cast<size_t>(column / kGridSquare)] != '#') {
          continue;
        }
        image[static_cast<size_t>((kCellTop + row) * static_cast<int32_t>(kImageWidth) + left +
                                  column)] = kInk;
      }
    }
  }
  return image;
}

void FillCells() {
  for (size_t cell = 0; cell < kCellColumns.size(); ++cell) {
    const auto [left, right] = kCellColumns[cell];
    FpsDisplay.cells[cell] = {
        static_cast<float>(left) / kImageWidth, static_cast<float>(kCellTop) / kImageHeight,
        static_cast<float>(right) / kImageWidth, static_cast<float>(kCellBottom) / kImageHeight,
        static_cast<float>(right - left)};
  }
}

HRESULT CreateVertexBuffer() {
  const HRESULT result = CurrentDevice->CreateVertexBuffer(
      kBufferVertices * sizeof(Vertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvf,
      D3DPOOL_DEFAULT, &FpsDisplay.vertexBuffer);
  FpsDisplay.lastValue.reset();
  FpsDisplay.glyphCount = 0;
  if (FAILED(result)) FpsDisplay.vertexBuffer = nullptr;
  return result;
}

// The cell a character of the text selects, or -1 (a minus sign has none).
int32_t CellOf(char character) {
  if (character >= '0' && character <= '9') return character - '0';
  if (character >= kLetterF && character < kLetterF + kCellCount - kFirstLetterCell)
    return kFirstLetterCell + (character - kLetterF);
  return -1;
}

bool Rebuild(int32_t value) {
  char text[32];
  std::snprintf(text, sizeof text, kFormat, value);
  BYTE* data = nullptr;
  if (FAILED(FpsDisplay.vertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) return false;
  auto* vertices = reinterpret_cast<Vertex*>(data);
  int32_t glyphs = 0;
  float pen = kPenStart;
  for (const char* at = text; *at != '\0'; ++at) {
    if (*at <= ' ') {
      pen += kSpaceAdvance;
      continue;
    }
    const int32_t cell = CellOf(*at);
    if (cell < 0) continue;
    const FpsCell& c = FpsDisplay.cells[static_cast<size_t>(cell)];
    const float right = pen + c.width;
    const auto vertex = [](float x, float y, float u, float v) {
      return Vertex{x, y, kDepth, kRhw, kRed, u, v};
    };
    Vertex* quad = vertices + glyphs * kQuadVertices;
    quad[0] = vertex(pen, kTop, c.u1, c.v1);
    quad[1] = vertex(right, kTop, c.u2, c.v1);
    quad[2] = vertex(pen, kBottom, c.u1, c.v2);
    quad[3] = vertex(right, kTop, c.u2, c.v1);
    quad[4] = vertex(pen, kBottom, c.u1, c.v2);
    quad[5] = vertex(right, kBottom, c.u2, c.v2);
    ++glyphs;
    pen = right;
  }
  FpsDisplay.vertexBuffer->Unlock();
  FpsDisplay.glyphCount = glyphs;
  FpsDisplay.lastValue = value;
  return true;
}

void LogCreationFailure(D3DFORMAT format, HRESULT result) {
  if (format == D3DFMT_A8R8G8B8) {
    AddLog("TEXTURE FACTORY : Couldn't create the FPS font for an unknown reason. DirectX error %d",
           result);
  } else {
    AddLog(
        "TEXTURE FACTORY (16bits): Couldn't create the FPS font for an unknown reason. DirectX "
        "error %d",
        result);
  }
}

// Fills level 0 of the texture with the glyph image, black keyed out.
bool LoadGlyphImage(D3DFORMAT format) {
  IDirect3DSurface8* image = nullptr;
  HRESULT result =
      CurrentDevice->CreateImageSurface(kImageWidth, kImageHeight, D3DFMT_A8R8G8B8, &image);
  if (FAILED(result)) {
    AddLog("TEXTURE FACTORY : Couldn't create the FPS font for an unknown reason. DirectX error %d",
           result);
    return false;
  }
  const auto pixels = GlyphImage();
  const RECT whole = {0, 0, static_cast<LONG>(kImageWidth), static_cast<LONG>(kImageHeight)};
  result = d3dx::D3DXLoadSurfaceFromMemory(image, nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8,
                                           kImageWidth * sizeof(D3DCOLOR), nullptr, &whole,
                                           d3dx::D3DX_FILTER_POINT, kPaper);
  IDirect3DSurface8* level0 = nullptr;
  if (SUCCEEDED(result)) result = FpsDisplay.texture->GetSurfaceLevel(0, &level0);
  if (SUCCEEDED(result)) {
    result = format == D3DFMT_A8R8G8B8
                 ? CurrentDevice->CopyRects(image, nullptr, 0, level0, nullptr)
                 : d3dx::D3DXLoadSurfaceFromSurface(level0, nullptr, nullptr, image, nullptr,
                                                    nullptr, d3dx::D3DX_DEFAULT, kPaper);
  }
  SafeRelease(level0);
  SafeRelease(image);
  return SUCCEEDED(result);
}

}  // namespace

bool TextureFactory_CreateFpsDisplay() {
  TextureFactory_ReleaseFpsDisplay();
  if (CurrentDevice == nullptr) return false;
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  UINT width = kImageWidth;
  UINT height = kImageHeight;
  if (FAILED(d3dx::D3DXCheckTextureRequirements(CurrentDevice, &width, &height, nullptr, 0, &format,
                                                D3DPOOL_MANAGED)) ||
      format != D3DFMT_A8R8G8B8) {
    format = D3DFMT_A4R4G4B4;
  }
  const HRESULT result = CurrentDevice->CreateTexture(kImageWidth, kImageHeight, 1, 0, format,
                                                      D3DPOOL_MANAGED, &FpsDisplay.texture);
  if (FAILED(result)) {
    FpsDisplay.texture = nullptr;
    LogCreationFailure(format, result);
    return false;
  }
  if (!LoadGlyphImage(format)) {
    TextureFactory_ReleaseFpsDisplay();
    return false;
  }
  FillCells();
  if (const HRESULT buffer = CreateVertexBuffer(); FAILED(buffer)) {
    AddLog(
        "TEXTURE FACTORY : Couldn't create the vertex buffer for the fps display. DirectX error : "
        "%d",
        buffer);
    TextureFactory_ReleaseFpsDisplay();
    return false;
  }
  return true;
}

void TextureFactory_ReleaseFpsDisplay() {
  SafeRelease(FpsDisplay.texture);
  SafeRelease(FpsDisplay.vertexBuffer);
  FpsDisplay.lastValue.reset();
  FpsDisplay.glyphCount = 0;
}

void TextureFactory_OnLostFpsDisplay() {
  SafeRelease(FpsDisplay.vertexBuffer);
  FpsDisplay.lastValue.reset();
}

bool TextureFactory_OnResetFpsDisplay() {
  if (FpsDisplay.texture == nullptr || CurrentDevice == nullptr) return true;
  SafeRelease(FpsDisplay.vertexBuffer);
  if (SUCCEEDED(CreateVertexBuffer())) return true;
  AddLog("TEXTURE FACTORY : Couldn't recreate the vertex buffer for fps display.");
  return false;
}

int32_t TextureFactory_WriteFrameRate(int32_t framesPerSecond) {
  if (CurrentDevice == nullptr) return 0;
  // An adopted device gets its display on first use.
  if (FpsDisplay.texture == nullptr && !TextureFactory_CreateFpsDisplay()) return 0;
  if (FpsDisplay.vertexBuffer == nullptr) return 0;
  if (FpsDisplay.lastValue != framesPerSecond && !Rebuild(framesPerSecond)) return 0;
  const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {{D3DRS_LIGHTING, 0},
                                                         {D3DRS_FILLMODE, D3DFILL_SOLID},
                                                         {D3DRS_ALPHABLENDENABLE, 1},
                                                         {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                                                         {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                                                         {D3DRS_ALPHATESTENABLE, 0},
                                                         {D3DRS_ZFUNC, D3DCMP_ALWAYS},
                                                         {D3DRS_ZWRITEENABLE, 0},
                                                         {D3DRS_CULLMODE, D3DCULL_NONE},
                                                         {D3DRS_FOGENABLE, 0},
                                                         {D3DRS_SPECULARENABLE, 0}};
  for (const auto& [state, value] : states) CurrentDevice->SetRenderState(state, value);
  CurrentDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  CurrentDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  CurrentDevice->SetTexture(0, FpsDisplay.texture);
  CurrentDevice->SetVertexShader(kFvf);
  CurrentDevice->SetIndices(nullptr, 0);
  CurrentDevice->SetStreamSource(0, FpsDisplay.vertexBuffer, sizeof(Vertex));
  if (FpsDisplay.glyphCount > 0) {
    CurrentDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0,
                                 static_cast<UINT>(2 * FpsDisplay.glyphCount));
  }
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  return 1;
}
