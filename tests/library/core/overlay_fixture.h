// What the tests of the overlay families start from: a headless device made by the library, a
// scene begun on viewport 0, and two textures of the texture table.
#pragma once

#include <cstring>
#include <map>

#include "platform/d3dx/texture.h"
#include "tests/library/core/library_fixture.h"

namespace overlay_test {

using namespace d3d;

struct Vertex {  // the queue's pre-transformed vertex
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

inline std::vector<Vertex> VerticesOf(const DrawRecord& draw) {
  std::vector<Vertex> vertices(draw.vertices.size() / sizeof(Vertex));
  std::memcpy(vertices.data(), draw.vertices.data(), vertices.size() * sizeof(Vertex));
  return vertices;
}

class OverlayTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
    first_ = NewTexture();
    second_ = NewTexture();
    Control()->ClearDraws();
    ASSERT_EQ(Viewport_Clear(0, 0), 1);
  }

  void TearDown() override {
    EXPECT_EQ(Viewport_Present(0, -1), 0);
    EXPECT_TRUE(ShutDownAndRelease());
    LibraryTest::TearDown();
  }

  // A texture-table texture loaded from a 4 x 4 image file.
  int32_t NewTexture() {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    const std::string file = (Folder() / (std::to_string(textures_.size()) + ".bmp")).string();
    EXPECT_EQ(d3dx::D3DXSaveTextureToFileA(file.c_str(), d3dx::D3DXIFF_BMP, texture, nullptr),
              D3D_OK);
    texture->Release();
    const int32_t identifier =
        TextureFactory_LoadTextureFromFile(file.c_str(), nullptr, -1, -1, 0, 0, 0);
    IDirect3DTexture8* loaded = nullptr;
    TextureFactory_GetDXTexture(identifier, &loaded);
    textures_[identifier] = loaded;
    return identifier;
  }

  const std::vector<DrawRecord>& Draws() const { return Control()->Draws(); }

  static void Quad(float left, int32_t texture) {
    Screen2D_DrawTexture(left, 10, left + 4, 14, 0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004,
                         0.0f, 0.0f, 1.0f, 1.0f, texture);
  }

  int32_t first_ = 0;
  int32_t second_ = 0;
  std::map<int32_t, IDirect3DBaseTexture8*> textures_;
};

}  // namespace overlay_test

using namespace overlay_test;
