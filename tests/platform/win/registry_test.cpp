#include "platform/win/registry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using win::RegistryRoot;

constexpr std::string_view kGraphicsKey = "SOFTWARE\\Microsoft\\DirectX";

// A test that presents another machine puts the table's one value back afterwards.
class Registry : public ::testing::Test {
 protected:
  void TearDown() override {
    win::SetRegistryStringForTesting(RegistryRoot::LocalMachine, kGraphicsKey, "Version",
                                     win::GraphicsRuntimeVersion);
  }
};

TEST_F(Registry, AnswersTheGraphicsRuntimeVersionWithoutRegardToCase) {
  EXPECT_EQ(win::ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\DirectX",
                                    "Version"),
            "4.08.01.0810");
  EXPECT_EQ(win::ReadRegistryString(RegistryRoot::LocalMachine, "software\\microsoft\\directx",
                                    "VERSION"),
            "4.08.01.0810");
  EXPECT_GE(std::stoi(std::string(win::GraphicsRuntimeVersion.substr(2, 2))), 8)
      << "the launcher reads the third and fourth characters as the level it needs, 8 or more";
}

TEST_F(Registry, UnknownKeysAndValuesGiveTheEmptyText) {
  EXPECT_EQ(
      win::ReadRegistryString(RegistryRoot::CurrentUser, "SOFTWARE\\Microsoft\\DirectX", "Version"),
      "");
  EXPECT_EQ(win::ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\DirectX",
                                    "InstalledVersion"),
            "");
  EXPECT_EQ(win::ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft", "Version"),
            "");
}

TEST_F(Registry, TestsCanPresentAnotherMachine) {
  win::SetRegistryStringForTesting(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\DirectX",
                                   "Version", "4.07.00.0700");
  EXPECT_EQ(win::ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\DirectX",
                                    "Version"),
            "4.07.00.0700");
  win::RemoveRegistryValueForTesting(RegistryRoot::LocalMachine, "Software\\Microsoft\\DirectX",
                                     "version");
  EXPECT_EQ(win::ReadRegistryString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\DirectX",
                                    "Version"),
            "");
}

}  // namespace
