// What every test of the exported interface starts from: a temporary folder, the library's log in
// it, and a headless device created through the library for a 640 x 480 window. Every test ends
// with the library as it was loaded, so that the tests of one process do not see each other.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3d/headless.h"
#include "platform/d3dx/image_file.h"
#include "platform/d3dx/math.h"
#include "platform/win/byte_writer.h"
#include "platform/win/window.h"

// Whether two vectors agree component by component within tolerance.
inline ::testing::AssertionResult Near(const d3d::D3DVECTOR& actual, const d3d::D3DVECTOR& expected,
                                       float tolerance = 1e-5f) {
  if (std::fabs(actual.x - expected.x) > tolerance ||
      std::fabs(actual.y - expected.y) > tolerance ||
      std::fabs(actual.z - expected.z) > tolerance) {
    return ::testing::AssertionFailure()
           << "(" << actual.x << ", " << actual.y << ", " << actual.z << "), expected ("
           << expected.x << ", " << expected.y << ", " << expected.z << ")";
  }
  return ::testing::AssertionSuccess();
}

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vortanautil-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    logPath_ = (folder_ / "log.txt").string();
    ASSERT_EQ(StartLog(logPath_.c_str()), 1);
  }

  void TearDown() override {
    // The end of the calling order once more, for a test that stopped before it: no table, device
    // or open log is left for the next test.
    ReleaseAll();
    ShutDownDevice();
    // The test's own references, for a test that did not shut down with ShutDownAndRelease.
    if (device_ != nullptr) device_->Release();
    device_ = nullptr;
    if (direct3d_ != nullptr) direct3d_->Release();
    direct3d_ = nullptr;
    // The switches and settings the library keeps for its whole life go back to their values at
    // load, which no export of the life cycle restores.
    DebugManager_Enable(1, 0);
    Internal_SetFPUPreserve(0);
    Engine_SetCallback(nullptr);
    Engine_SetShaderMode(0);
    SetShaderIndex(0);
    System_SetVariables(0, nullptr, 0);
    LightFactory_EnableSpecularLighting(0);
    TextureFactory_SetAutoTransColor(0, 0);
    ForgetCamera();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::filesystem::path Folder() const { return folder_; }

  // The camera as loaded: no view matrix, and a frustum too large to cull anything a test draws
  // (the library starts with no planes at all, which no export can set again).
  static void ForgetCamera() {
    constexpr float kReach = 1e9f;  // an orthographic box from -reach to reach each way
    d3d::D3DMATRIX identity{}, everything{};
    for (int i = 0; i < 4; ++i) identity.m[i][i] = 1;
    everything.m[0][0] = everything.m[1][1] = 1 / kReach;
    everything.m[2][2] = 1 / (2 * kReach);
    everything.m[3][2] = 0.5f;
    everything.m[3][3] = 1;
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &identity, &everything);
    const float none[16] = {};
    Viewport_SetCamera(none, nullptr);
  }

  // The messages of the log (the fixture's unless another is named), without their time stamps.
  std::vector<std::string> LogMessages() const { return LogMessages(logPath_); }
  static std::vector<std::string> LogMessages(const std::filesystem::path& path) {
    std::vector<std::string> messages;
    std::ifstream log(path);
    for (std::string line; std::getline(log, line);) {
      const size_t bar = line.find(" | ");
      messages.push_back(bar == std::string::npos ? line : line.substr(bar + 3));
    }
    return messages;
  }

  bool Logged(std::string_view message) const {
    for (const std::string& logged : LogMessages()) {
      if (logged == message) return true;
    }
    return false;
  }

  // Presentation parameters of a windowed device drawing into window.
  static d3d::D3DPRESENT_PARAMETERS WindowedParams(win::Window* window,
                                                   d3d::D3DFORMAT depth = d3d::D3DFMT_D16) {
    d3d::D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = static_cast<d3d::UINT>(window->clientWidth);
    params.BackBufferHeight = static_cast<d3d::UINT>(window->clientHeight);
    params.BackBufferFormat = d3d::D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.SwapEffect = d3d::D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = window;
    params.Windowed = 1;
    params.EnableAutoDepthStencil = 1;
    params.AutoDepthStencilFormat = depth;
    return params;
  }

  // Creates the library's device; the test owns device_ (the caller's reference) and direct3d_.
  int32_t CreateDevice(d3d::D3DFORMAT depth = d3d::D3DFMT_D16,
                       const d3d::HeadlessConfig& config = d3d::HeadlessConfig{}) {
    direct3d_ = d3d::CreateHeadlessDirect3D(config);
    d3d::D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_, depth);
    return VortanaSystem_CreateDevice(0, d3d::D3DDEVTYPE_HAL, &mainWindow_,
                                      d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_,
                                      &direct3d_);
  }

  // A device of the test's own, handed to the library with SetDevice as a caller that owns its
  // device hands it over; the library then holds no reference of its own.
  void AdoptDevice() {
    direct3d_ = d3d::CreateHeadlessDirect3D();
    d3d::D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
    ASSERT_EQ(direct3d_->CreateDevice(0, d3d::D3DDEVTYPE_HAL, &mainWindow_,
                                      d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_),
              d3d::D3D_OK);
    d3d::IUnknown* asUnknown = device_;
    ASSERT_EQ(SetDevice(&asUnknown), 0);
  }

  d3d::HeadlessControl* Control() const { return d3d::Headless(device_); }

  // A BMP file of the image, or of width x height filled with colour; returns its path.
  std::string WriteBmp(const std::string& name, const d3dx::ArgbImage& image) const {
    const std::filesystem::path path = Folder() / name;
    win::WriteFileBytes(path, d3dx::EncodeBmp(image, false));
    return path.string();
  }
  std::string WriteBmp(const std::string& name, uint32_t width, uint32_t height,
                       uint32_t colour) const {
    return WriteBmp(name, d3dx::ArgbImage(width, height, colour));
  }

  // The pixels of a surface, or of level 0 of a texture, as ARGB.
  static d3dx::ArgbImage Pixels(d3d::IDirect3DSurface8* surface) {
    d3d::D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    d3d::D3DLOCKED_RECT locked{};
    surface->LockRect(&locked, nullptr, d3d::D3DLOCK_READONLY);
    auto image =
        d3dx::ReadPixels({desc.Format, desc.Width, desc.Height, static_cast<size_t>(locked.Pitch),
                          static_cast<uint8_t*>(locked.pBits)},
                         nullptr);
    surface->UnlockRect();
    return *image;
  }
  static d3dx::ArgbImage Pixels(d3d::IDirect3DTexture8* texture) {
    d3d::IDirect3DSurface8* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    d3dx::ArgbImage image = Pixels(level);
    level->Release();
    return image;
  }

  // The end of the calling order: ReleaseAll, ShutDownDevice, then the caller lets go of its own
  // reference. True when nothing of the device was left alive, the caller's reference was the one
  // ShutDownDevice found left, and the caller's release was the last.
  bool ShutDownAndRelease() {
    ReleaseAll();
    const int32_t leftByLibrary = ShutDownDevice();
    const bool nothingLeft = Control()->LiveObjectCount() == 0;
    const d3d::ULONG left = device_->Release();
    device_ = nullptr;
    direct3d_->Release();
    direct3d_ = nullptr;
    return nothingLeft && leftByLibrary == 1 && left == 0;
  }

  win::Window mainWindow_{640, 480};
  d3d::IDirect3D8* direct3d_ = nullptr;
  d3d::IDirect3DDevice8* device_ = nullptr;

 private:
  std::filesystem::path folder_;
  std::string logPath_;
};
