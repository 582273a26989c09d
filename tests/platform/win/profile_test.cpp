#include "platform/win/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/platform/win/captured_log.h"
#include "tests/platform/win/temp_folder.h"

namespace {

class Profile : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const {
    return folder_.Path().string() + "\\" + name;
  }
  std::string Read(const char* section, const char* key, const char* defaultText = "default",
                   size_t bufferSize = 128) const {
    return win::GetPrivateProfileString(section, key, defaultText, bufferSize, PathOf("Test.ini"));
  }
  TempFolder folder_;
};

TEST_F(Profile, ReadsByTheProfileRules) {
  folder_.WriteFile("Test.ini",
                    "orphan=before any section\r\n"
                    "[Graphic Settings]\r\n"
                    "Video Mode=27\r\n"
                    "  Shadows  =  2  \r\n"
                    "Empty=\n"
                    "Quoted=\"  spaced  \"\r"
                    "Single='x'\n"
                    "Half=\"open\n"
                    "Twice=first\n"
                    "twice=second\n"
                    "Eq=a=b\n"
                    "NoEquals\n"
                    "Umlaut=Gr\xFC\xDF\n"
                    "[graphic settings]\n"
                    "Extra=hidden by the first section\n"
                    "[ Window ]\n"
                    "Left=5\n"
                    "Last=no line end");
  const struct {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {{"graphic SETTINGS", "video mode", "27"},
               {"Graphic Settings", "Shadows", "2"},
               {"Graphic Settings", "Empty", ""},
               {"Graphic Settings", "Quoted", "  spaced  "},
               {"Graphic Settings", "Single", "x"},
               {"Graphic Settings", "Half", "\"open"},
               {"Graphic Settings", "TWICE", "first"},
               {"Graphic Settings", "Eq", "a=b"},
               {"Graphic Settings", "NoEquals", "default"},
               {"Graphic Settings", "Umlaut", "Gr\xFC\xDF"},
               {"Graphic Settings", "orphan", "default"},
               {"Graphic Settings", "Extra", "default"},
               {"Window", "left", "5"},
               {"Window", "Top", "default"},
               {"Missing", "Left", "default"},
               {"Window", "Last", "no line end"}};
  for (const auto& c : cases)
    EXPECT_EQ(Read(c.section, c.key), c.expected) << c.section << "/" << c.key;
}

// Dates a file as written long ago, as any file the program reads but has not just written.
void Age(const std::filesystem::path& path, std::chrono::seconds by = std::chrono::hours(1)) {
  std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - by);
}

TEST_F(Profile, SeesEveryChangeOfTheFileSinceTheLastRead) {
  const std::filesystem::path path = folder_.Path() / "Test.ini";
  folder_.WriteFile("Test.ini", "[S]\nK=1\n");
  EXPECT_EQ(Read("S", "K"), "1");
  // Within one tick of the file system's clock: the same size and, likely, the same stamp.
  folder_.WriteFile("Test.ini", "[S]\nK=2\n");
  EXPECT_EQ(Read("S", "K"), "2");
  Age(path);
  EXPECT_EQ(Read("S", "K"), "2");
  { std::ofstream(path, std::ios::binary | std::ios::in) << "[S]\nK=3\n"; }
  Age(path, std::chrono::minutes(1));
  EXPECT_EQ(Read("S", "K"), "3");
  { std::ofstream(path, std::ios::binary | std::ios::app) << "L=4\n"; }
  EXPECT_EQ(Read("S", "L"), "4");
  ASSERT_TRUE(win::WritePrivateProfileString("S", "K", "5", PathOf("Test.ini")));
  EXPECT_EQ(Read("S", "K"), "5");
  std::filesystem::remove(path);
  EXPECT_EQ(Read("S", "K"), "default");
}

TEST_F(Profile, AHugeLineOrManySectionLinesCostOnePass) {
  // Each of these took seconds when every key was a pass over the file.
  folder_.WriteFile("Test.ini", "[S]\nK=" + std::string(20'000'000, 'v') + "\n" +
                                    std::string(20'000'000, '[') + "\n[T]\nK=t\n");
  std::string many = "[S]\nK=s\n";
  for (int i = 0; i < 200'000; ++i) many += "[\n";
  folder_.WriteFile("Many.ini", many + "[T]\nK=t\n");
  Age(folder_.Path() / "Test.ini");
  Age(folder_.Path() / "Many.ini");
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(Read("T", "K"), "t");
    EXPECT_EQ(win::GetPrivateProfileString("t", "k", "", 128, PathOf("Many.ini")), "t");
  }
  EXPECT_EQ(Read("S", "K").size(), 127u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(Profile, CutsValuesAndDefaultsToTheBuffer) {
  std::string longValue(3000, 'v');
  folder_.WriteFile("Test.ini", "[S]\nLong=" + longValue + "\n");
  EXPECT_EQ(Read("S", "Long"), longValue.substr(0, 127));
  EXPECT_EQ(Read("S", "Long", "", 2048), longValue.substr(0, 2047));
  EXPECT_EQ(Read("S", "Long", "", 1), "");
  EXPECT_EQ(Read("S", "Missing", "abcdef", 4), "abc");
  EXPECT_EQ(Read("S", "Missing", " "), " ") << "a blank default is returned as given";
}

TEST_F(Profile, MissingFileGivesTheDefaultAndTheFirstWriteCreatesIt) {
  EXPECT_EQ(Read("Window", "Left", "0"), "0");
  ASSERT_TRUE(win::WritePrivateProfileString("Window", "Left", "12", PathOf("Test.ini")));
  EXPECT_EQ(folder_.ReadFile("Test.ini"), "[Window]\nLeft=12\n");
  EXPECT_EQ(Read("window", "LEFT"), "12");
}

TEST_F(Profile, WritesChangeOnlyTheValueWritten) {
  const std::string before =
      "; hand-written comment\n"
      "[Miscellaneous]\n"
      "JoyStick = 0\n"
      "Gamma=1\r\n"
      "gamma=duplicate\n"
      "Name=Gr\xFC\xDF\n"
      "\n"
      "[Window]\n"
      "Left=5";
  const struct {
    const char* section;
    const char* key;
    const char* value;
    std::string expected;
  } cases[] = {
      {"MISCELLANEOUS", "Joystick", "-1",
       "; hand-written comment\n[Miscellaneous]\nJoyStick = "
       "-1\nGamma=1\r\ngamma=duplicate\nName=Gr\xFC\xDF\n\n"
       "[Window]\nLeft=5"},
      {"Miscellaneous", "GAMMA", "",
       "; hand-written comment\n[Miscellaneous]\nJoyStick = "
       "0\nGamma=\r\ngamma=duplicate\nName=Gr\xFC\xDF\n\n"
       "[Window]\nLeft=5"},
      {"Miscellaneous", "Pilot", "1",
       "; hand-written comment\n[Miscellaneous]\nJoyStick = "
       "0\nGamma=1\r\ngamma=duplicate\nName=Gr\xFC\xDF\n"
       "Pilot=1\n\n[Window]\nLeft=5"},
      {"Window", "Top", "7",
       "; hand-written comment\n[Miscellaneous]\nJoyStick = "
       "0\nGamma=1\r\ngamma=duplicate\nName=Gr\xFC\xDF\n\n"
       "[Window]\nLeft=5\nTop=7\n"},
      {"Development", "LandMove", "\xE9t\xE9",
       "; hand-written comment\n[Miscellaneous]\nJoyStick = "
       "0\nGamma=1\r\ngamma=duplicate\nName=Gr\xFC\xDF\n\n"
       "[Window]\nLeft=5\n[Development]\nLandMove=\xE9t\xE9\n"},
  };
  for (const auto& c : cases) {
    folder_.WriteFile("Test.ini", before);
    ASSERT_TRUE(win::WritePrivateProfileString(c.section, c.key, c.value, PathOf("TEST.INI")));
    EXPECT_EQ(folder_.ReadFile("Test.ini"), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(Read(c.section, c.key), c.value);
  }
}

// Added lines end as most of the file's lines do, whatever a damaged first line holds; LF where
// no line has an end.
TEST_F(Profile, AddedLinesEndAsMostLinesOfTheFileDo) {
  const struct {
    std::string before;
    std::string after;
  } cases[] = {
      {"\x01\x02\rjunk\r\n[S]\r\nA=1\r\n", "\x01\x02\rjunk\r\n[S]\r\nA=1\r\nK=v\r\n"},
      {"[S]\r\nA=1\nB=2\n", "[S]\r\nA=1\nB=2\nK=v\n"},
      {"[S]\rA=1\r", "[S]\rA=1\rK=v\r"},
      {"[S]", "[S]\nK=v\n"},
      {"garbage", "garbage\n[S]\nK=v\n"},
  };
  for (const auto& c : cases) {
    folder_.WriteFile("Test.ini", c.before);
    ASSERT_TRUE(win::WritePrivateProfileString("S", "K", "v", PathOf("Test.ini")));
    EXPECT_EQ(folder_.ReadFile("Test.ini"), c.after) << c.before;
  }
}

// A section whose name holds a NUL byte can be asked for by no caller: its keys go unread, and the
// log says so.
TEST_F(Profile, ASectionNamedWithANulByteIsSkippedWithALine) {
  folder_.WriteFile("Test.ini", std::string("[Mi\0sc]\nK=hidden\n", 17) + "[Other]\nK=read\n");
  const CapturedLog log;
  EXPECT_EQ(Read("Mi", "K"), "default");
  EXPECT_EQ(Read("Other", "K"), "read");
  EXPECT_NE(log.Text().find("Test.ini: section [Mi?sc] holds a NUL byte; its keys are not read"),
            std::string::npos)
      << log.Text();
}

TEST_F(Profile, KeyNamesOfASection) {
  folder_.WriteFile("Test.ini", "[S]\nLanguage1=a\n language2 = b\nLANGUAGE1=again\nx\n[T]\nY=1\n");
  std::vector<std::string> names = win::GetProfileKeyNames("s", PathOf("Test.ini"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"language1", "language2"}));
  EXPECT_TRUE(win::GetProfileKeyNames("Missing", PathOf("Test.ini")).empty());
  EXPECT_TRUE(win::GetProfileKeyNames("S", PathOf("None.ini")).empty());
}

// A batch of writes leaves the file as it was until its commit, then replaces it once; writes it
// did not commit are dropped, and a batch made inside another joins it.
TEST_F(Profile, ABatchReplacesTheFileOnceAtItsCommit) {
  const std::string before = "; mine\n[S]\nA=1\n";
  folder_.WriteFile("Test.ini", before);
  struct stat status {};
  const auto inode = [&] {
    ::stat((folder_.Path() / "Test.ini").c_str(), &status);
    return status.st_ino;
  };
  const ino_t first = inode();
  {
    win::ProfileWriteBatch batch(PathOf("Test.ini"));
    ASSERT_TRUE(win::WritePrivateProfileString("S", "A", "2", PathOf("Test.ini")));
    {
      win::ProfileWriteBatch joined(PathOf("TEST.INI"));
      ASSERT_TRUE(win::WritePrivateProfileString("T", "B", "3", PathOf("Test.ini")));
      EXPECT_TRUE(joined.Commit());
    }
    EXPECT_FALSE(win::WritePrivateProfileString("S", "K=", "refused", PathOf("Test.ini")));
    EXPECT_EQ(folder_.ReadFile("Test.ini"), before);
    EXPECT_EQ(Read("S", "A"), "1") << "reads see the file on disk";
    EXPECT_EQ(inode(), first);
    EXPECT_TRUE(batch.Commit());
  }
  EXPECT_EQ(folder_.ReadFile("Test.ini"), "; mine\n[S]\nA=2\n[T]\nB=3\n");
  EXPECT_NE(inode(), first);
  {
    win::ProfileWriteBatch dropped(PathOf("Test.ini"));
    ASSERT_TRUE(win::WritePrivateProfileString("S", "A", "4", PathOf("Test.ini")));
  }
  EXPECT_EQ(Read("S", "A"), "2");
  ::chmod((folder_.Path() / "Test.ini").c_str(), 0444);
  win::ProfileWriteBatch readOnly(PathOf("Test.ini"));
  EXPECT_FALSE(win::WritePrivateProfileString("S", "A", "5", PathOf("Test.ini")));
  EXPECT_FALSE(readOnly.Commit());
  EXPECT_EQ(Read("S", "A"), "2");
}

// Under a read scope a file is read once for all its keys: an edit on disk shows once the scope
// ends, a write through the profile functions at once.
TEST_F(Profile, AReadScopeReadsTheFileOnceForAllItsKeys) {
  folder_.WriteFile("Test.ini", "[S]\nK=1\n");
  Age(folder_.Path() / "Test.ini");
  {
    const win::ProfileReadScope scope(PathOf("Test.ini"));
    EXPECT_EQ(Read("S", "K"), "1");
    folder_.WriteFile("Test.ini", "[S]\nK=22\n");
    EXPECT_EQ(Read("S", "K"), "1");
    ASSERT_TRUE(win::WritePrivateProfileString("S", "W", "3", PathOf("Test.ini")));
    EXPECT_EQ(Read("S", "K"), "22");
    EXPECT_EQ(Read("S", "W"), "3");
    folder_.WriteFile("Test.ini", "[S]\nK=333\n");
    EXPECT_EQ(Read("S", "K"), "22");
  }
  EXPECT_EQ(Read("S", "K"), "333");
}

TEST_F(Profile, VeryLongValuesRoundTrip) {
  std::string longValue(100000, 'x');
  ASSERT_TRUE(win::WritePrivateProfileString("S", "K", longValue, PathOf("Test.ini")));
  ASSERT_TRUE(win::WritePrivateProfileString("S", "After", "1", PathOf("Test.ini")));
  EXPECT_EQ(Read("S", "K", "", longValue.size() + 1), longValue);
  EXPECT_EQ(Read("S", "After"), "1");
}

TEST_F(Profile, RefusesWritesThatWouldBreakTheFile) {
  const std::string before = "[S]\nK=1\n";
  folder_.WriteFile("Test.ini", before);
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {{"S", "K", "two\nlines"}, {"S", "K=", "1"}, {"S]", "K", "1"},
               {"", "K", "1"},           {"S", " ", "1"},  {"S", "[K]", "1"}};
  for (const auto& c : cases) {
    EXPECT_FALSE(win::WritePrivateProfileString(c.section, c.key, c.value, PathOf("Test.ini")))
        << c.key;
  }
  EXPECT_FALSE(win::WritePrivateProfileString(std::string("S\0", 2), "K", "1", PathOf("Test.ini")))
      << "a section no reader could ask for";
  EXPECT_FALSE(win::WritePrivateProfileString("S", "K", "1", PathOf("NoFolder\\Test.ini")));
  ::chmod((folder_.Path() / "Test.ini").c_str(), 0444);
  EXPECT_FALSE(win::WritePrivateProfileString("S", "K", "2", PathOf("Test.ini"))) << "read-only";
  EXPECT_EQ(folder_.ReadFile("Test.ini"), before);
}

TEST_F(Profile, ReplacingKeepsPermissionsAndLeavesNoTemporaryFile) {
  folder_.WriteFile("Test.ini", "[S]\nK=1\n");
  ::chmod((folder_.Path() / "Test.ini").c_str(), 0640);
  ASSERT_TRUE(win::WritePrivateProfileString("S", "K", "2", PathOf("Test.ini")));
  struct stat status {};
  ASSERT_EQ(::stat((folder_.Path() / "Test.ini").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 1);
}

}  // namespace
