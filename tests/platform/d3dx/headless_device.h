// A headless device for the D3DX tests, with the capabilities a test asks for.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/d3d/headless.h"

namespace d3dx_test {

class HeadlessDevice : public ::testing::Test {
 protected:
  void SetUp() override { Create(d3d::HeadlessConfig{}); }

  void TearDown() override { Destroy(); }

  void Create(const d3d::HeadlessConfig& config) {
    Destroy();
    direct3d = d3d::CreateHeadlessDirect3D(config);
    d3d::D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 16;
    params.BackBufferHeight = 16;
    params.SwapEffect = d3d::D3DSWAPEFFECT_COPY;
    params.hDeviceWindow = reinterpret_cast<d3d::HWND>(uintptr_t{1});
    params.Windowed = 1;
    ASSERT_EQ(d3d::D3D_OK,
              direct3d->CreateDevice(d3d::D3DADAPTER_DEFAULT, d3d::D3DDEVTYPE_HAL, params.hDeviceWindow,
                                     d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device));
  }

  // Objects the test made and did not release.
  size_t LiveObjects() { return d3d::Headless(device)->LiveObjectCount(); }

  // A path in a fresh temporary folder of this test.
  std::string TempPath(const std::string& name) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    auto folder = std::filesystem::temp_directory_path() /
                  (std::string("d3dx_") + test->test_suite_name() + "_" + test->name());
    std::filesystem::create_directories(folder);
    return (folder / name).string();
  }

  d3d::IDirect3D8* direct3d = nullptr;
  d3d::IDirect3DDevice8* device = nullptr;

 private:
  void Destroy() {
    if (device != nullptr) {
      EXPECT_EQ(0u, LiveObjects()) << "a test left device objects alive";
      EXPECT_EQ(0u, device->Release());
      device = nullptr;
    }
    if (direct3d != nullptr) {
      EXPECT_EQ(0u, direct3d->Release());
      direct3d = nullptr;
    }
  }
};

}  // namespace d3dx_test
