// A generated box room drawn from inside on the OpenGL device (Mesa's software rasteriser): its WAD
// textures lit by its lightmaps as the single-pass stages compute them, offscreen with no display
// and presented into an X11 window (under xvfb-run in CI). The pictures go to pictures/ in the
// build folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/headless.h"
#include "platform/d3dx/math.h"
#include "platform/win/byte_writer.h"
#include "platform/win/window.h"
#include "tests/library/core/archive_writers.h"
#include "tests/library/core/bsp_writer.h"
#include "tests/library/core/gl_library_device.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
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

// One colour a texture: the walls, and the floor and ceiling; one lightmap colour for all.
constexpr archive_test::RgbColour kWall{150, 90, 30}, kFloor{40, 120, 200};
constexpr bsp_test::Rgb kLight{128, 96, 200};

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

void SavePicture(const std::vector<D3DCOLOR>& pixels, const std::string& name) {
  std::filesystem::create_directories(MAROVIN_PICTURES);
  std::vector<unsigned char> rgb(pixels.size() * 3);
  for (size_t i = 0; i < pixels.size(); ++i) {
    rgb[3 * i] = static_cast<unsigned char>(pixels[i] >> 16);
    rgb[3 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
    rgb[3 * i + 2] = static_cast<unsigned char>(pixels[i]);
  }
  const std::string path = std::string(MAROVIN_PICTURES) + "/" + name + ".png";
  EXPECT_NE(stbi_write_png(path.c_str(), kSize, kSize, 3, rgb.data(), kSize * 3), 0) << path;
}

class BspOnOpenGl : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("bsp-gl-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    if (device_ != nullptr) {
      ReleaseAll();
      EXPECT_EQ(ShutDownDevice(), 1);
      EXPECT_EQ(Headless(device_)->LiveObjectCount(), 0u);
      EXPECT_EQ(device_->Release(), 0u);
    }
    if (direct3d_ != nullptr) direct3d_->Release();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // The room with its archive, and a camera in its middle (file (64, 64, 40)) towards the +x wall,
  // a little downwards: the wall fills the top of the picture and the floor its bottom.
  void LoadRoom() {
    const auto solid = [](const std::string& name, int32_t side, archive_test::RgbColour colour) {
      return archive_test::WadTexture{
          name, side, side, std::vector<uint8_t>(static_cast<size_t>(side * side), 0), {colour}};
    };
    win::WriteFileBytes(
        folder_ / "room.wad",
        archive_test::WriteWad({{solid("Wall", 32, kWall), solid("Floor", 16, kFloor)}}));
    ASSERT_EQ(WAD_Load((folder_ / "room.wad").string().c_str()), 1);
    win::WriteFileBytes(folder_ / "room.bsp", bsp_test::Write(bsp_test::BoxRoom(kLight)));
    ASSERT_EQ(
        BSPSystem_Load(BSPSystem_Create(), (folder_ / "room.bsp").string().c_str(), 0, 0, "", 0),
        1);
    const D3DXVECTOR3 eye{{-64, 40, -64}}, at{{-128, 20, -64}}, up{{0, 1, 0}};
    D3DXMATRIX view, projection;
    d3dx::D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection, 1.2f, 1.0f, 1.0f, 1000.0f);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view, &projection);
    Viewport_SetCamera(&view.m[0][0], nullptr);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetTransform(D3DTS_VIEW, &view);
  }

  void Draw() const {
    device_->BeginScene();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    EXPECT_EQ(BSPSystem_RenderAll(), 1);
    device_->EndScene();
  }

  static void ExpectLitRoom(const std::vector<D3DCOLOR>& pixels, UINT width) {
    const auto at = [&](UINT x, UINT y) { return pixels[size_t{y} * width + x]; };
    EXPECT_TRUE(Near(at(64, 20), Lit(kWall, kLight)));
    EXPECT_TRUE(Near(at(64, 120), Lit(kFloor, kLight)));
  }

  std::filesystem::path folder_;
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

TEST_F(BspOnOpenGl, TheBoxRoomShowsItsWadTexturesTimesItsLightmaps) {
  ASSERT_EQ(tests::CreateOffscreenLibraryDevice(kSize, kSize, &device_, &direct3d_), D3D_OK)
      << "no OpenGL device: " << GlDeviceError();
  LoadRoom();
  Draw();
  const std::vector<D3DCOLOR> pixels = tests::ReadBackBufferPixels(device_, kSize, kSize);
  ASSERT_EQ(pixels.size(), size_t{kSize} * kSize);
  SavePicture(pixels, "BspBoxRoom");
  ExpectLitRoom(pixels, kSize);
}

TEST_F(BspOnOpenGl, InAnX11WindowTheBoxRoomLooksTheSame) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under xvfb-run";
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  const ::Window native = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kSize,
                                              kSize, 0, 0, WhitePixel(display, 0));
  XMapWindow(display, native);
  XSync(display, False);
  win::Window window{static_cast<int32_t>(kSize), static_cast<int32_t>(kSize)};
  window.nativeWindow = native;

  direct3d_ = CreateGlDirect3D();
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = params.BackBufferHeight = kSize;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_COPY;
  params.hDeviceWindow = &window;
  params.Windowed = 1;
  params.EnableAutoDepthStencil = 1;
  params.AutoDepthStencilFormat = D3DFMT_D24S8;
  ASSERT_EQ(
      VortanaSystem_CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &params, &device_, &direct3d_),
      D3D_OK)
      << GlDeviceError();
  LoadRoom();
  Draw();
  // The picture reaches the window through the device's own connection to the server: frames are
  // presented, as a caller presents them, until the window no longer shows its white background.
  std::vector<D3DCOLOR> shown(size_t{kSize} * kSize, 0xFFFFFF);
  constexpr int kPresents = 50;
  for (int present = 0; present < kPresents && shown[shown.size() / 2] == 0xFFFFFF; ++present) {
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    XSync(display, False);
    usleep(10000);
    XImage* image = XGetImage(display, native, 0, 0, kSize, kSize, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    for (UINT y = 0; y < kSize; ++y) {
      for (UINT x = 0; x < kSize; ++x) {
        shown[size_t{y} * kSize + x] = static_cast<D3DCOLOR>(
            XGetPixel(image, static_cast<int>(x), static_cast<int>(y)) & 0xFFFFFF);
      }
    }
    XDestroyImage(image);
  }
  SavePicture(shown, "BspBoxRoomX11");
  ExpectLitRoom(shown, kSize);

  ReleaseAll();
  EXPECT_EQ(ShutDownDevice(), 1);
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  XDestroyWindow(display, native);
  XCloseDisplay(display);
}

}  // namespace
