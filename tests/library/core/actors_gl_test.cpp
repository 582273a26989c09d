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
#include "tests/library/core/gl_library_device.h"
#include "tests/library/core/md2_bytes.h"
#include "tests/library/core/mdl_bytes.h"
#include "tests/library/core/skinned_scenes.h"

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

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = folder_ / name;
    win::WriteFileBytes(path, bytes);
    return path.string();
  }

  int32_t Place(const std::string& path, float x, float scale) {
    const int32_t e = Scene_CreateEntity(path.c_str(), "actor", 0);
    EXPECT_GE(e, 0) << path;
    Entity_SetRotationAxis(e, 1);
    Entity_SetScale(e, scale, scale, scale);
    Entity_SetPosition(e, x, 0, 0);
    Entity_SetSpeed(e, 0);
    Entity_ForceMatrixUpdate(e);
    return e;
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
  // Keyframe: frame f puts the quad at x f .. 4 + f, y 1 .. 5, z 3; placed at x -16, scale 1.5.
  md2test::Md2Contents quad;
  quad.packed = {{0, 0, 2}, {4, 0, 2}, {4, 8, 2}, {0, 8, 2}};
  const int32_t md2 = Place(Write("walker.md2", md2test::Md2File(quad)), -16, 1.5f);
  // Studio: the root quad at (1 .. 2, 2 .. 3, 3), the child's 5 above along z, turning about it.
  const int32_t mdl = Place(Write("arm.mdl", mdltest::ModelFile(mdltest::TwoBones())), -2, 3);
  // Skinned: the leg from y 0 to 2, its knee rising to 3 half way through the set.
  const std::string leg = xtest::Leg();
  const int32_t skinned = Place(Write("leg.x", {leg.begin(), leg.end()}), 11, 3);

  struct Pose {
    float md2Frame, mdlFrame, legTicks;
    D3DXVECTOR3 md2Low, md2High, legLow, legHigh;
  };
  const Pose poses[] = {
      {0.0f, 0.0f, 0.0f, {{-16, 1.5f, 4.5f}}, {{-10, 7.5f, 4.5f}}, {{8, 0, 0}}, {{14, 6, 0}}},
      {0.5f,
       1.5f,
       50.0f,
       {{-15.25f, 1.5f, 4.5f}},
       {{-9.25f, 7.5f, 4.5f}},
       {{8, 0, 0}},
       {{14, 9, 0}}}};
  std::vector<D3DCOLOR> pictures[2];
  for (int p = 0; p < 2; ++p) {
    SCOPED_TRACE(p);
    const Pose& pose = poses[p];
    Entity_SetKeyFrame(md2, pose.md2Frame);
    Entity_SetKeyFrame(mdl, pose.mdlFrame);
    VortanaUtils_MDLUpdate(mdl, 0);
    MDLSystem_ComputeBoundingVolumes(mdl);
    Entity_SetKeyFrame(skinned, pose.legTicks);
    pictures[p] = Render(std::to_string(p));
    ASSERT_EQ(pictures[p].size(), size_t{kSize} * kSize);

    D3DVECTOR low{}, high{};
    ASSERT_EQ(Entity_GetBoundingBox(mdl, &low, &high), 1);
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
