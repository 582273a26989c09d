// A generated box room drawn from inside on the OpenGL device (Mesa's software rasteriser, no
// display): its WAD textures lit by its lightmaps as the single-pass stages compute them. The
// picture goes to pictures/ in the build folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/headless.h"
#include "platform/d3dx/math.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/archive_writers.h"
#include "tests/library/core/bsp_writer.h"
#include "tests/library/core/gl_library_device.h"

#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

constexpr UINT kSize = 128;
constexpr int kTolerance = 3;

int Channel(D3DCOLOR colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

// What the stages give a texel under a lightmap texel: (texel + 0x20) x 2 x light, per channel.
D3DCOLOR Lit(archive_test::RgbColour texel, bsp_test::Rgb light) {
  const auto channel = [](int t, int l) {
    return static_cast<D3DCOLOR>(std::min(255, (std::min(255, t + 0x20) * 2 * l + 127) / 255));
  };
  return channel(texel.red, light.red) << 16 | channel(texel.green, light.green) << 8 |
         channel(texel.blue, light.blue);
}

::testing::AssertionResult Near(D3DCOLOR actual, D3DCOLOR expected) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > kTolerance) {
      return ::testing::AssertionFailure() << std::hex << actual << " expected " << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(BspOnOpenGl, TheBoxRoomShowsItsWadTexturesTimesItsLightmaps) {
  IDirect3DDevice8* device = nullptr;
  IDirect3D8* direct3d = nullptr;
  ASSERT_EQ(tests::CreateOffscreenLibraryDevice(kSize, kSize, &device, &direct3d), D3D_OK)
      << "no OpenGL device: " << GlDeviceError();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("bsp-gl-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);

  // One colour a texture: the walls and the floor and ceiling.
  const archive_test::RgbColour wall{150, 90, 30}, floor{40, 120, 200};
  const bsp_test::Rgb light{128, 96, 200};
  const auto solid = [](const std::string& name, int32_t side, archive_test::RgbColour colour) {
    return archive_test::WadTexture{
        name, side, side, std::vector<uint8_t>(static_cast<size_t>(side * side), 0), {colour}};
  };
  win::WriteFileBytes(
      folder / "room.wad",
      archive_test::WriteWad({{solid("Wall", 32, wall), solid("Floor", 16, floor)}}));
  ASSERT_EQ(WAD_Load((folder / "room.wad").string().c_str()), 1);
  win::WriteFileBytes(folder / "room.bsp", bsp_test::Write(bsp_test::BoxRoom(light)));
  const int32_t level = BSPSystem_Create();
  ASSERT_EQ(BSPSystem_Load(level, (folder / "room.bsp").string().c_str(), 0, 0, "", 0), 1);

  // From the room's middle (file (64, 64, 40)) towards the +x wall, a little downwards: the wall
  // fills the top of the picture and the floor its bottom.
  const D3DXVECTOR3 eye{{-64, 40, -64}}, at{{-128, 20, -64}}, up{{0, 1, 0}};
  D3DXMATRIX view, projection;
  d3dx::D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  d3dx::D3DXMatrixPerspectiveFovLH(&projection, 1.2f, 1.0f, 1.0f, 1000.0f);
  d3dx::D3DXPLANE planes[6];
  ComputeClipPlanes(planes, &view, &projection);
  Viewport_SetCamera(&view.m[0][0], nullptr);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  device->SetTransform(D3DTS_VIEW, &view);

  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  EXPECT_EQ(BSPSystem_RenderAll(), 1);
  device->EndScene();
  const std::vector<D3DCOLOR> pixels = tests::ReadBackBufferPixels(device, kSize, kSize);
  ASSERT_EQ(pixels.size(), size_t{kSize} * kSize);

  std::filesystem::create_directories(MAROVIN_PICTURES);
  std::vector<unsigned char> rgb(pixels.size() * 3);
  for (size_t i = 0; i < pixels.size(); ++i) {
    rgb[3 * i] = static_cast<unsigned char>(pixels[i] >> 16);
    rgb[3 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
    rgb[3 * i + 2] = static_cast<unsigned char>(pixels[i]);
  }
  const std::string picture = std::string(MAROVIN_PICTURES) + "/BspBoxRoom.png";
  EXPECT_NE(stbi_write_png(picture.c_str(), kSize, kSize, 3, rgb.data(), kSize * 3), 0);

  const auto at_ = [&pixels](UINT x, UINT y) { return pixels[size_t{y} * kSize + x]; };
  EXPECT_TRUE(Near(at_(64, 20), Lit(wall, light)));
  EXPECT_TRUE(Near(at_(64, 120), Lit(floor, light)));

  ReleaseAll();
  EXPECT_EQ(ShutDownDevice(), 1);
  EXPECT_EQ(Headless(device)->LiveObjectCount(), 0u);
  EXPECT_EQ(device->Release(), 0u);
  direct3d->Release();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

}  // namespace
