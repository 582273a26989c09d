#include "platform/d3dx/font.h"

#include <cstring>
#include <vector>

#include "platform/d3dx/com_ptr.h"
#include "tests/platform/d3dx/headless_fixture.h"

namespace {

using namespace d3d;
using namespace d3dx;

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};

win::HFONT DejaVu(int32_t emHeight) {
  return win::CreateFontA(-emHeight, 0, 0, 0, win::FW_NORMAL, 0, 0, 0, win::DEFAULT_CHARSET,
                          win::OUT_DEFAULT_PRECIS, win::CLIP_DEFAULT_PRECIS,
                          win::ANTIALIASED_QUALITY, win::VARIABLE_PITCH, "DejaVu Sans");
}

class D3dxFont : public d3dx_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    font_ = DejaVu(16);
    ASSERT_EQ(D3DXCreateFont(device, font_, &object_), D3D_OK);
    device->BeginScene();
    d3d::Headless(device)->ClearDraws();
  }
  void TearDown() override {
    device->EndScene();
    EXPECT_EQ(object_->Release(), 0u);
    win::DeleteObject(font_);
    DeviceTest::TearDown();
  }

  std::vector<Vertex> DrawnVertices(size_t draw = 0) const {
    const DrawRecord& record = d3d::Headless(device)->Draws().at(draw);
    std::vector<Vertex> vertices(record.vertices.size() / sizeof(Vertex));
    std::memcpy(vertices.data(), record.vertices.data(), vertices.size() * sizeof(Vertex));
    return vertices;
  }

  win::HFONT font_ = nullptr;
  ID3DXFont* object_ = nullptr;
};

TEST_F(D3dxFont, HoldsOneReferenceOnTheDevice) {
  const ULONG withFont = device->AddRef() - 1;
  device->Release();
  IDirect3DDevice8* owner = nullptr;
  ASSERT_EQ(object_->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device);
  owner->Release();
  ID3DXFont* second = nullptr;
  ASSERT_EQ(D3DXCreateFont(device, font_, &second), D3D_OK);
  // One reference of the font's own, one of its glyph texture, as every device object holds.
  EXPECT_EQ(device->AddRef() - 1, withFont + 2);
  device->Release();
  EXPECT_EQ(second->Release(), 0u);
  EXPECT_EQ(D3DXCreateFont(device, nullptr, &second), D3DERR_INVALIDCALL);
  EXPECT_EQ(second, nullptr);
}

TEST_F(D3dxFont, DrawsEachCharacterAsAQuadOfItsInk) {
  RECT rect = {20, 30, 0, 0};
  const int32_t height = object_->DrawTextA("H H\nH", -1, &rect, DT_NOCLIP, 0x80FF0000);
  EXPECT_EQ(height, 2 * 19);  // two lines of DejaVu Sans' 19-pixel cell at a 16-pixel em
  ASSERT_EQ(d3d::Headless(device)->Draws().size(), 1u);
  const DrawRecord& draw = d3d::Headless(device)->Draws()[0];
  EXPECT_EQ(draw.primitive, D3DPT_TRIANGLELIST);
  EXPECT_EQ(draw.fvf, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  EXPECT_EQ(draw.state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
  EXPECT_EQ(draw.state.stageStates[0][D3DTSS_ALPHAOP], D3DTOP_MODULATE);
  // The space has no ink, so no quad.
  const std::vector<Vertex> vertices = DrawnVertices();
  ASSERT_EQ(vertices.size(), 18u);
  for (const Vertex& vertex : vertices) EXPECT_EQ(vertex.color, 0x80FF0000u);

  // The text layer's own rendering of the line "H H" from the same pen: the quads cover exactly
  // its ink, and their texels are its coverage as alpha.
  constexpr int32_t kWidth = 80, kHeight = 19;
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  win::BITMAPINFO info{};
  info.bmiHeader = {
      sizeof(win::BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, win::BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win::HBITMAP bitmap = win::CreateDIBSection(dc, &info, win::DIB_RGB_COLORS, &bits, nullptr, 0);
  win::SelectObject(dc, bitmap);
  win::SelectObject(dc, font_);
  win::SetTextColor(dc, win::RGB(255, 255, 255));
  win::SetBkColor(dc, win::RGB(0, 0, 0));
  win::ExtTextOutA(dc, 0, 0, 0, nullptr, "H", 1, nullptr);
  win::SIZE advance{};
  win::GetTextExtentPoint32A(dc, "H ", 2, &advance);
  win::ExtTextOutA(dc, advance.cx, 0, 0, nullptr, "H", 1, nullptr);
  const auto coverage = [&](int32_t x, int32_t y) {
    return static_cast<const uint32_t*>(bits)[y * kWidth + x] & 0xFF;
  };
  ComPtr<IDirect3DTexture8> texture;
  ASSERT_EQ(draw.textures[0]->QueryInterface(IID_IDirect3DTexture8,
                                             reinterpret_cast<void**>(texture.Out())),
            D3D_OK);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  int32_t drawnInk = 0;
  for (size_t quad = 0; quad < 2; ++quad) {
    const Vertex& topLeft = vertices[quad * 6];
    const Vertex& bottomRight = vertices[quad * 6 + 4];
    const auto left = static_cast<int32_t>(topLeft.x + 0.5f) - 20;
    const auto top = static_cast<int32_t>(topLeft.y + 0.5f) - 30;
    const auto right = static_cast<int32_t>(bottomRight.x + 0.5f) - 20;
    const auto bottom = static_cast<int32_t>(bottomRight.y + 0.5f) - 30;
    ASSERT_LT(left, right);
    ASSERT_LT(top, bottom);
    const auto texelLeft = static_cast<int32_t>(topLeft.u * static_cast<float>(desc.Width) + 0.5f);
    const auto texelTop = static_cast<int32_t>(topLeft.v * static_cast<float>(desc.Height) + 0.5f);
    for (int32_t y = top; y < bottom; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                          (texelTop + y - top) * locked.Pitch);
      for (int32_t x = left; x < right; ++x) {
        ASSERT_EQ(row[texelLeft + x - left], coverage(x, y) << 24 | 0xFFFFFF) << x << ", " << y;
        if (coverage(x, y) != 0) ++drawnInk;
      }
    }
  }
  texture->UnlockRect(0);
  int32_t ink = 0;
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) ink += coverage(x, y) != 0 ? 1 : 0;
  EXPECT_GT(ink, 40);
  EXPECT_EQ(drawnInk, ink);
  // The H of the second line is the first one a line lower.
  EXPECT_EQ(vertices[12].x, vertices[0].x);
  EXPECT_EQ(vertices[12].y, vertices[0].y + 19);
  win::DeleteObject(bitmap);
  win::DeleteDC(dc);
}

TEST_F(D3dxFont, EndPutsBackTheStatesBeginFound) {
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device->SetRenderState(D3DRS_LIGHTING, 1);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
  device->SetVertexShader(D3DFVF_XYZ);
  RECT rect = {0, 0, 0, 0};
  ASSERT_EQ(object_->Begin(), D3D_OK);
  EXPECT_GT(object_->DrawTextA("ab", 1, &rect, DT_NOCLIP, 0xFFFFFFFF), 0);
  EXPECT_GT(object_->DrawTextA("cd", 2, &rect, DT_NOCLIP, 0xFFFFFFFF), 0);
  ASSERT_EQ(object_->End(), D3D_OK);
  ASSERT_EQ(d3d::Headless(device)->Draws().size(), 2u);
  EXPECT_EQ(d3d::Headless(device)->Draws()[0].primitiveCount, 2u);  // "a" alone
  EXPECT_EQ(d3d::Headless(device)->Draws()[0].state.renderStates[D3DRS_ZFUNC], D3DCMP_ALWAYS);
  DWORD value = 0;
  device->GetRenderState(D3DRS_ZFUNC, &value);
  EXPECT_EQ(value, D3DCMP_GREATER);
  device->GetRenderState(D3DRS_CULLMODE, &value);
  EXPECT_EQ(value, D3DCULL_CW);
  device->GetRenderState(D3DRS_LIGHTING, &value);
  EXPECT_EQ(value, 1u);
  device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, D3DTOP_ADD);
  device->GetVertexShader(&value);
  EXPECT_EQ(value, D3DFVF_XYZ);
  IDirect3DBaseTexture8* bound = nullptr;
  device->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);
  EXPECT_EQ(object_->OnLostDevice(), D3D_OK);
  EXPECT_EQ(object_->OnResetDevice(), D3D_OK);
  EXPECT_EQ(object_->DrawTextA(nullptr, -1, &rect, DT_NOCLIP, 0), 0);
}

}  // namespace
