// The fixture of the D3DX tests that need a device: a headless one with the capabilities a test
// asks for, which must have no objects left when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/d3d/headless.h"
#include "tests/platform/d3dx/headless_device.h"

namespace d3dx_test {

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { Create(d3d::HeadlessConfig{}); }

  void TearDown() override { Destroy(); }

  void Create(const d3d::HeadlessConfig& config) {
    Destroy();
    device = CreateHeadlessDevice(config);
    ASSERT_NE(nullptr, device);
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

  d3d::IDirect3DDevice8* device = nullptr;

 private:
  void Destroy() {
    if (device != nullptr) {
      EXPECT_EQ(0u, LiveObjects()) << "a test left device objects alive";
      EXPECT_EQ(0u, device->Release());
      device = nullptr;
    }
  }
};

}  // namespace d3dx_test
