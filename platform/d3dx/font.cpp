#include "platform/d3dx/font.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/d3d/com_object.h"
#include "platform/d3dx/com_ptr.h"

namespace d3dx {
namespace {

using namespace d3d;

constexpr int kFirstCharacter = 32;
constexpr int kCharacterCount = 256 - kFirstCharacter;
constexpr UINT kFirstAtlasSide = 256;  // texels; doubled until every glyph fits
// Pixels of each cell left and right of the character's advance, for ink that overhangs it.
constexpr int32_t kMinimumOverhang = 2;
constexpr int32_t kOverhangPerCellHeight = 8;
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr float kTexelCentreShift = -0.5f;  // pixels
constexpr int32_t kWholeString = -1;

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};

struct Cell {
  int32_t x = 0;  // texels of the cell's left edge, overhang included
  int32_t y = 0;
  int32_t advance = 0;  // pixels
  // The texels of the cell with any coverage, from the cell's corner; empty for a blank glyph.
  // Only they are drawn: the rest of the cell is fully transparent.
  int32_t inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
};

// The states Begin changes and End puts back.
constexpr D3DRENDERSTATETYPE kSavedRenderStates[] = {
    D3DRS_LIGHTING,        D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,       D3DRS_DESTBLEND,
    D3DRS_ALPHATESTENABLE, D3DRS_ZENABLE,          D3DRS_ZWRITEENABLE,   D3DRS_ZFUNC,
    D3DRS_CULLMODE,        D3DRS_FOGENABLE,        D3DRS_SPECULARENABLE, D3DRS_FILLMODE};
struct StageState {
  DWORD stage;
  D3DTEXTURESTAGESTATETYPE type;
  DWORD value;  // what Begin sets
};
constexpr StageState kStageStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_MINFILTER, D3DTEXF_POINT}, {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},
    {0, D3DTSS_MIPFILTER, D3DTEXF_NONE},  {0, D3DTSS_TEXCOORDINDEX, 0},
    {0, D3DTSS_TEXTURETRANSFORMFLAGS, 0}, {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE}};

class Font final : public ID3DXFont {
 public:
  explicit Font(IDirect3DDevice8* device) : device_(device) { device_->AddRef(); }

  HRESULT QueryInterface(const IID& iid, void** object) override {
    return AnswerQuery<ID3DXFont>(iid, object, this, {&IID_IUnknown, &IID_ID3DXFont});
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT GetDevice(IDirect3DDevice8** device) override { return HandOut(device_, device); }

  HRESULT Begin() override {
    if (begun_) return D3D_OK;
    for (size_t i = 0; i < std::size(kSavedRenderStates); ++i) {
      device_->GetRenderState(kSavedRenderStates[i], &savedRenderStates_[i]);
    }
    for (size_t i = 0; i < std::size(kStageStates); ++i) {
      device_->GetTextureStageState(kStageStates[i].stage, kStageStates[i].type,
                                    &savedStageStates_[i]);
    }
    device_->GetTexture(0, savedTexture_.Out());
    device_->GetVertexShader(&savedShader_);
    device_->GetPixelShader(&savedPixelShader_);
    const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {{D3DRS_LIGHTING, 0},
                                                           {D3DRS_ALPHABLENDENABLE, 1},
                                                           {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                                                           {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                                                           {D3DRS_ALPHATESTENABLE, 0},
                                                           {D3DRS_ZENABLE, 0},
                                                           {D3DRS_ZWRITEENABLE, 0},
                                                           {D3DRS_ZFUNC, D3DCMP_ALWAYS},
                                                           {D3DRS_CULLMODE, D3DCULL_NONE},
                                                           {D3DRS_FOGENABLE, 0},
                                                           {D3DRS_SPECULARENABLE, 0},
                                                           {D3DRS_FILLMODE, D3DFILL_SOLID}};
    for (const auto& [state, value] : states) device_->SetRenderState(state, value);
    for (const StageState& stage : kStageStates) {
      device_->SetTextureStageState(stage.stage, stage.type, stage.value);
    }
    device_->SetTexture(0, texture_.Get());
    device_->SetVertexShader(kFvf);
    device_->SetPixelShader(0);
    begun_ = true;
    return D3D_OK;
  }

  int32_t DrawTextA(const char* text, int32_t count, RECT* rect, DWORD, D3DCOLOR color) override {
    if (text == nullptr || rect == nullptr) return 0;
    const size_t length =
        count == kWholeString ? std::strlen(text) : static_cast<size_t>(count < 0 ? 0 : count);
    const bool bracketed = begun_;
    if (!bracketed) Begin();
    std::vector<Vertex> vertices;
    int32_t penX = rect->left;
    int32_t top = rect->top;
    int32_t lines = 1;
    for (size_t i = 0; i < length; ++i) {
      const auto character = static_cast<uint8_t>(text[i]);
      if (character == '\n') {
        penX = rect->left;
        top += cellHeight_;
        ++lines;
        continue;
      }
      if (character < kFirstCharacter) continue;
      const Cell& cell = cells_[character - kFirstCharacter];
      if (cell.inkRight > cell.inkLeft)
        AppendQuad(&vertices, cell, penX - overhang_, top, color);
      penX += cell.advance;
    }
    HRESULT result = D3D_OK;
    if (!vertices.empty()) {
      result = device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices.size() / 3),
                                        vertices.data(), sizeof(Vertex));
    }
    if (!bracketed) End();
    return SUCCEEDED(result) ? lines * cellHeight_ : 0;
  }

  HRESULT End() override {
    if (!begun_) return D3D_OK;
    for (size_t i = 0; i < std::size(kSavedRenderStates); ++i) {
      device_->SetRenderState(kSavedRenderStates[i], savedRenderStates_[i]);
    }
    for (size_t i = 0; i < std::size(kStageStates); ++i) {
      device_->SetTextureStageState(kStageStates[i].stage, kStageStates[i].type,
                                    savedStageStates_[i]);
    }
    device_->SetTexture(0, savedTexture_.Get());
    savedTexture_.Reset();
    device_->SetVertexShader(savedShader_);
    device_->SetPixelShader(savedPixelShader_);
    begun_ = false;
    return D3D_OK;
  }

  HRESULT OnLostDevice() override { return End(); }
  HRESULT OnResetDevice() override { return D3D_OK; }

  // Lays the characters out and rasterises them into the texture.
  HRESULT Build(win::HFONT description) {
    win::LOGFONTA logFont{};
    if (win::GetObjectA(description, sizeof logFont, &logFont) == 0) return D3DERR_INVALIDCALL;
    win::HFONT font = win::CreateFontIndirectA(&logFont);
    if (font == nullptr) return E_FAIL;
    win::HDC dc = win::CreateCompatibleDC(nullptr);
    win::SelectObject(dc, font);
    win::DeleteObject(font);  // the device context keeps it while it is selected
    const HRESULT result = Lay(dc);
    if (SUCCEEDED(result)) Rasterise(dc);
    win::DeleteDC(dc);
    return result;
  }

 private:
  ~Font() {
    End();
    device_->Release();
  }

  // Cells in rows, each as wide as the character's advance plus the overhang on both sides.
  HRESULT Lay(win::HDC dc) {
    win::SIZE size{};
    if (!win::GetTextExtentPoint32A(dc, " ", 1, &size)) return E_FAIL;
    cellHeight_ = size.cy;
    overhang_ = kMinimumOverhang + cellHeight_ / kOverhangPerCellHeight;
    D3DCAPS8 caps{};
    device_->GetDeviceCaps(&caps);
    for (UINT side = kFirstAtlasSide; side <= caps.MaxTextureWidth; side *= 2) {
      int32_t x = 0;
      int32_t y = 0;
      for (int i = 0; i < kCharacterCount; ++i) {
        const char character = static_cast<char>(kFirstCharacter + i);
        win::GetTextExtentPoint32A(dc, &character, 1, &size);
        const int32_t width = size.cx + 2 * overhang_;
        if (x + width > static_cast<int32_t>(side)) {
          x = 0;
          y += cellHeight_;
        }
        cells_[static_cast<size_t>(i)] = {x, y, size.cx};
        x += width;
      }
      if (y + cellHeight_ <= static_cast<int32_t>(side)) {
        side_ = side;
        return device_->CreateTexture(side, side, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                      texture_.Out());
      }
    }
    return D3DERR_INVALIDCALL;
  }

  // White texels whose alpha is the glyph's coverage.
  void Rasterise(win::HDC dc) {
    win::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(win::BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<int32_t>(side_);
    info.bmiHeader.biHeight = -static_cast<int32_t>(side_);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = win::BI_RGB;
    void* bits = nullptr;
    win::HBITMAP bitmap = win::CreateDIBSection(dc, &info, win::DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return;
    win::SelectObject(dc, bitmap);
    win::DeleteObject(bitmap);
    win::SetTextColor(dc, win::RGB(255, 255, 255));
    win::SetBkColor(dc, win::RGB(0, 0, 0));
    for (int i = 0; i < kCharacterCount; ++i) {
      const char character = static_cast<char>(kFirstCharacter + i);
      const Cell& cell = cells_[static_cast<size_t>(i)];
      win::ExtTextOutA(dc, cell.x + overhang_, cell.y, 0, nullptr, &character, 1, nullptr);
    }
    D3DLOCKED_RECT locked{};
    if (FAILED(texture_->LockRect(0, &locked, nullptr, 0))) return;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    constexpr uint32_t kWhite = 0x00FFFFFF;
    constexpr int kAlphaShift = 24;
    for (UINT y = 0; y < side_; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) +
                                              static_cast<size_t>(y) * locked.Pitch);
      for (UINT x = 0; x < side_; ++x) {
        const uint32_t coverage = pixels[static_cast<size_t>(y) * side_ + x] & 0xFF;
        row[x] = coverage << kAlphaShift | kWhite;
      }
    }
    texture_->UnlockRect(0);
    for (Cell& cell : cells_) FindInk(cell, pixels);
  }

  // The cell's ink box, from the coverage of the atlas (side_ x side_ pixels).
  void FindInk(Cell& cell, const uint32_t* pixels) const {
    const int32_t width = cell.advance + 2 * overhang_;
    int32_t left = width, top = cellHeight_, right = 0, bottom = 0;
    for (int32_t y = 0; y < cellHeight_; ++y)
      for (int32_t x = 0; x < width; ++x)
        if ((pixels[static_cast<size_t>(cell.y + y) * side_ + static_cast<size_t>(cell.x + x)] &
             0xFF) != 0) {
          left = std::min(left, x);
          right = std::max(right, x + 1);
          top = std::min(top, y);
          bottom = std::max(bottom, y + 1);
        }
    if (right > left) {
      cell.inkLeft = left;
      cell.inkTop = top;
      cell.inkRight = right;
      cell.inkBottom = bottom;
    }
  }

  // The quad of the cell's ink, the cell's left edge at left.
  void AppendQuad(std::vector<Vertex>* vertices, const Cell& cell, int32_t left, int32_t top,
                  D3DCOLOR color) const {
    const float side = static_cast<float>(side_);
    const float width = static_cast<float>(cell.inkRight - cell.inkLeft);
    const float height = static_cast<float>(cell.inkBottom - cell.inkTop);
    const float x0 = static_cast<float>(left + cell.inkLeft) + kTexelCentreShift;
    const float y0 = static_cast<float>(top + cell.inkTop) + kTexelCentreShift;
    const float u0 = static_cast<float>(cell.x + cell.inkLeft) / side;
    const float v0 = static_cast<float>(cell.y + cell.inkTop) / side;
    const float u1 = u0 + width / side;
    const float v1 = v0 + height / side;
    const Vertex topLeft = {x0, y0, 0.0f, 1.0f, color, u0, v0};
    const Vertex topRight = {x0 + width, y0, 0.0f, 1.0f, color, u1, v0};
    const Vertex bottomLeft = {x0, y0 + height, 0.0f, 1.0f, color, u0, v1};
    const Vertex bottomRight = {x0 + width, y0 + height, 0.0f, 1.0f, color, u1, v1};
    vertices->insert(vertices->end(),
                     {topLeft, topRight, bottomLeft, topRight, bottomRight, bottomLeft});
  }

  IDirect3DDevice8* device_;
  ULONG references_ = 1;
  ComPtr<IDirect3DTexture8> texture_;
  UINT side_ = 0;
  int32_t cellHeight_ = 0;
  int32_t overhang_ = 0;
  std::array<Cell, kCharacterCount> cells_{};
  bool begun_ = false;
  std::array<DWORD, std::size(kSavedRenderStates)> savedRenderStates_{};
  std::array<DWORD, std::size(kStageStates)> savedStageStates_{};
  ComPtr<IDirect3DBaseTexture8> savedTexture_;
  DWORD savedShader_ = 0;
  DWORD savedPixelShader_ = 0;
};

}  // namespace

HRESULT D3DXCreateFont(IDirect3DDevice8* device, win::HFONT font, ID3DXFont** object) {
  if (object != nullptr) *object = nullptr;
  if (device == nullptr || font == nullptr || object == nullptr) return D3DERR_INVALIDCALL;
  Font* created = nullptr;
  if (HRESULT result = Allocating([&] { created = new Font(device); }); FAILED(result))
    return result;
  const HRESULT result = created->Build(font);
  if (FAILED(result)) {
    created->Release();
    return result;
  }
  *object = created;
  return D3D_OK;
}

}  // namespace d3dx
