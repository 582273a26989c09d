#include "platform/win/app_path.h"

#include <gtest/gtest.h>

#include "tests/platform/win/temp_folder.h"

namespace {

// The program folder is one program-wide setting that nothing of the program sets back.
class ProgramFolder : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = win::AppPath(); }
  void TearDown() override { win::SetAppPath(saved_); }

 private:
  std::string saved_;
};

using AppPath = ProgramFolder;
using ResolvePath = ProgramFolder;

TEST_F(AppPath, IsTheExecutablesFolderUntilSet) {
  EXPECT_EQ(win::AppPath(), std::filesystem::canonical("/proc/self/exe").parent_path().string());
  win::SetAppPath("/tmp/program/");
  EXPECT_EQ(win::AppPath(), "/tmp/program");
}

TEST_F(ResolvePath, MatchesComponentsWithoutRegardToCase) {
  TempFolder folder;
  folder.WriteFile("Missions/Apollo 11/Textures/temp0.ht", "h");
  win::SetAppPath(folder.Path().string());
  EXPECT_EQ(win::ResolvePath(win::AppPath() + "\\missions\\APOLLO 11\\textures\\Temp0.HT"),
            folder.Path() / "Missions/Apollo 11/Textures/temp0.ht");
  EXPECT_EQ(win::ResolvePath(win::AppPath() + "\\\\Missions\\.\\Apollo 11\\"),
            folder.Path() / "Missions/Apollo 11");
}

TEST_F(ResolvePath, KeepsMissingComponentsAsWritten) {
  TempFolder folder;
  folder.WriteFile("Replay/old.rpy", "r");
  EXPECT_EQ(win::ResolvePath(folder.Path().string() + "\\REPLAY\\New.rpy"),
            folder.Path() / "Replay/New.rpy");
  EXPECT_EQ(win::ResolvePath(folder.Path().string() + "\\Nowhere\\replay\\x"),
            folder.Path() / "Nowhere/replay/x");
}

TEST_F(ResolvePath, PrefersTheExactSpellingThenTheFirstInByteOrder) {
  TempFolder folder;
  folder.WriteFile("data/a", "");
  folder.WriteFile("Data/b", "");
  folder.WriteFile("DATA/c", "");
  EXPECT_EQ(win::ResolvePath(folder.Path().string() + "\\data"), folder.Path() / "data");
  EXPECT_EQ(win::ResolvePath(folder.Path().string() + "\\dAtA"), folder.Path() / "DATA");
}

}  // namespace
