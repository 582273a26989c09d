// Pixel test of the animated entities on the OpenGL device, surfaceless (Mesa's software
// rasteriser in CI): a keyframe, a studio and a skinned entity side by side at two animation
// times. Each time's picture goes as a PNG into the build folder, to be looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/headless.h"
#include "platform/d3dx/math.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/actors_scene.h"
#include "tests/library/core/gl_library_device.h"

// The writer's implementation lives in the pixel tests of the render surfaces.
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

constexpr UINT kSize = 192;
constexpr D3DCOLOR kBackground = 0xff203080;
constexpr int kMargin = 3;  // pixels: edges the rasteriser rounds outward

struct ScreenRect {
  int left, top, right, bottom;
};

class ActorsOnOpenGl : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vortana-gl-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    ASSERT_EQ(tests::CreateOffscreenLibraryDevice(kSize, kSize, &device_, &direct3d_), D3D_OK)
        << "no OpenGL device: " << GlDeviceError();
    const D3DXVECTOR3 eye{{0, 4, -40}}, target{{0, 4, 0}}, up{{0, 1, 0}};
    d3dx::D3DXMatrixLookAtLH(&view_, &eye, &target, &up);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection_, 0.8f, 1.0f, 1.0f, 1000.0f);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view_, &projection_);
    device_->SetTransform(D3DTS_VIEW, &view_);
    device_->SetTransform(D3DTS_PROJECTION, &projection_);
    ASSERT_EQ(InitMD2(), 1);
  }

  void TearDown() override {
    if (device_ != nullptr) {
      ReleaseAll();
      EXPECT_EQ(ShutDownDevice(), 1);
      EXPECT_EQ(device_->Release(), 0u);
    }
    direct3d_->Release();
    Scene_SetTimeElapsed(0);
    std::filesystem::remove_all(folder_);
  }

  // The screen rectangle of a world box.
  ScreenRect Project(const D3DXVECTOR3& low, const D3DXVECTOR3& high) const {
    ScreenRect rect{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    const D3DXMATRIX clip = view_ * projection_;
    for (int corner = 0; corner < 8; ++corner) {
      const D3DXVECTOR3 p{{(corner & 1) != 0 ? high.x : low.x, (corner & 2) != 0 ? high.y : low.y,
                           (corner & 4) != 0 ? high.z : low.z}};
      d3dx::D3DXVECTOR4 h;
      d3dx::D3DXVec3Transform(&h, &p, &clip);
      const int x = static_cast<int>(std::floor((h.x / h.w + 1) / 2 * kSize));
      const int y = static_cast<int>(std::floor((1 - h.y / h.w) / 2 * kSize));
      rect = {std::min(rect.left, x), std::min(rect.top, y), std::max(rect.right, x),
              std::max(rect.bottom, y)};
    }
    return rect;
  }

  std::vector<D3DCOLOR> Render(const std::string& picture) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    device_->BeginScene();
    EXPECT_EQ(Scene_RenderAllEntities(&view_, &projection_), 1);
    device_->EndScene();
    std::vector<D3DCOLOR> pixels = tests::ReadBackBufferPixels(device_, kSize, kSize);
    std::filesystem::create_directories(MAROVIN_PICTURES);
    std::vector<unsigned char> rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
      rgb[3 * i] = static_cast<unsigned char>(pixels[i] >> 16);
      rgb[3 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
      rgb[3 * i + 2] = static_cast<unsigned char>(pixels[i]);
    }
    const std::string path = std::string(MAROVIN_PICTURES) + "/Actors" + picture + ".png";
    EXPECT_NE(stbi_write_png(path.c_str(), kSize, kSize, 3, rgb.data(), kSize * 3), 0) << path;
    return pixels;
  }

  // Drawn pixels of the vertical band from x = left to right: how many, and whether all lie
  // inside the rectangle.
  static void ExpectDrawnWithin(const std::vector<D3DCOLOR>& pixels, int left, int right,
                                const ScreenRect& box) {
    int drawn = 0, outside = 0;
    for (int y = 0; y < static_cast<int>(kSize); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, static_cast<int>(kSize)); ++x) {
        if ((pixels[static_cast<size_t>(y) * kSize + static_cast<size_t>(x)] & 0xffffff) ==
            (kBackground & 0xffffff))
          continue;
        ++drawn;
        if (x < box.left - kMargin || x > box.right + kMargin || y < box.top - kMargin ||
            y > box.bottom + kMargin)
          ++outside;
      }
    }
    EXPECT_GT(drawn, 30);
    EXPECT_EQ(outside, 0) << "box " << box.left << ", " << box.top << " .. " << box.right << ", "
                          << box.bottom;
  }

  std::filesystem::path folder_;
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  D3DXMATRIX view_, projection_;
};

TEST_F(ActorsOnOpenGl, EachActorDrawsInsideItsPosedBoxAndMovesWithTime) {
  actorstest::ActorsScene scene;
  scene.Build(folder_);
  ASSERT_GE(scene.md2, 0);
  ASSERT_GE(scene.mdl, 0);
  ASSERT_GE(scene.skinned, 0);
  // Where the poses put the quad and the leg, in the world.
  struct Boxes {
    D3DXVECTOR3 md2Low, md2High, legLow, legHigh;
  };
  const Boxes boxes[] = {
      {{{-16, 1.5f, 4.5f}}, {{-10, 7.5f, 4.5f}}, {{8, 0, 0}}, {{14, 6, 0}}},
      {{{-15.25f, 1.5f, 4.5f}}, {{-9.25f, 7.5f, 4.5f}}, {{8, 0, 0}}, {{14, 9, 0}}}};
  std::vector<D3DCOLOR> pictures[2];
  for (int p = 0; p < 2; ++p) {
    SCOPED_TRACE(p);
    const Boxes& pose = boxes[p];
    scene.Show(actorstest::kPoses[p]);
    pictures[p] = Render(std::to_string(p));
    ASSERT_EQ(pictures[p].size(), size_t{kSize} * kSize);

    D3DVECTOR low{}, high{};
    ASSERT_EQ(Entity_GetBoundingBox(scene.mdl, &low, &high), 1);
    const D3DXVECTOR3 studioLow{{-2 + 3 * low.x, 3 * low.y, 3 * low.z}};
    const D3DXVECTOR3 studioHigh{{-2 + 3 * high.x, 3 * high.y, 3 * high.z}};
    const ScreenRect md2Box = Project(pose.md2Low, pose.md2High);
    const ScreenRect mdlBox = Project(studioLow, studioHigh);
    const ScreenRect legBox = Project(pose.legLow, pose.legHigh);
    ExpectDrawnWithin(pictures[p], 0, (md2Box.right + mdlBox.left) / 2, md2Box);
    ExpectDrawnWithin(pictures[p], (md2Box.right + mdlBox.left) / 2,
                      (mdlBox.right + legBox.left) / 2, mdlBox);
    ExpectDrawnWithin(pictures[p], (mdlBox.right + legBox.left) / 2, kSize, legBox);
  }
  EXPECT_NE(pictures[0], pictures[1]);
}

}  // namespace
