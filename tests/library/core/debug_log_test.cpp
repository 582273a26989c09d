#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <regex>

#include "tests/library/core/library_fixture.h"

namespace {

using DebugLog = LibraryTest;

// The log as the library is loaded: closed, the file switch on. Whatever a test opens or switches
// is put back after it.
class ClosedLog : public ::testing::Test {
 protected:
  void SetUp() override { EndLog(); }
  void TearDown() override {
    EndLog();
    DebugManager_Enable(1, 0);
  }
};
using DebugLogClosed = ClosedLog;
using DebugLogDefaultPath = ClosedLog;

TEST_F(DebugLog, OpeningLinesCarryVersionAndLibraryPath) {
  const std::vector<std::string> messages = LogMessages();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[0], "########################");
  EXPECT_EQ(messages[1], "# VORTANAUTIL initialized #");
  EXPECT_EQ(messages[2], "########################");
  EXPECT_EQ(messages[3], "VORTANAUTIL : Version 6 Revision 100 ");
  EXPECT_EQ(messages[4], std::string("VORTANAUTIL File Path ") + VORTANAUTIL_FILE);
}

TEST_F(DebugLog, LineIsLocalDateAndTimeThenTheMessage) {
  const std::time_t before = std::time(nullptr);
  EXPECT_EQ(AddLog("VIEWPORT MANAGER : %s (%dx%d)", "sized", 640, 480), 1);
  std::ifstream log(Folder() / "log.txt");
  std::string line;
  for (std::string next; std::getline(log, next);) line = next;
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(
      line, parts, std::regex(R"((\d\d)-(\d\d)-(\d{4}) (\d\d):(\d\d):(\d\d) \| (.*))")));
  std::tm local{};
  localtime_r(&before, &local);
  EXPECT_EQ(std::stoi(parts[1]), local.tm_mon + 1);
  EXPECT_EQ(std::stoi(parts[3]), local.tm_year + 1900);
  EXPECT_EQ(parts[7], "VIEWPORT MANAGER : sized (640x480)");
}

TEST_F(DebugLog, SwitchesDecideResultAndDestination) {
  struct Case {
    int32_t file, debugger;
    int32_t result;
    bool inFile, onStderr;
  };
  const Case cases[] = {{1, 0, 1, true, false},
                        {0, 1, 1, false, true},
                        {1, 1, 1, true, true},
                        {0, 0, 0, false, false}};
  for (const Case& c : cases) {
    DebugManager_Enable(c.file, c.debugger);
    const std::string message = "case " + std::to_string(c.file) + std::to_string(c.debugger);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AddLog("%s", message.c_str()), c.result);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Logged(message), c.inFile) << message;
    EXPECT_EQ(err.find(message) != std::string::npos, c.onStderr) << message;
  }
}

TEST_F(DebugLog, EmptyFormatIsRefusedAndClosedLogWritesNothing) {
  const char* empty = "";
  EXPECT_EQ(AddLog(empty), 0);
  EXPECT_EQ(EndLog(), 1);
  EXPECT_EQ(AddLog("after the end"), 1);
  EXPECT_FALSE(Logged("after the end"));
  EXPECT_EQ(RenderAllDebug(), 1);
}

TEST_F(DebugLogClosed, LinesBeforeStartLogAreDropped) {
  testing::internal::CaptureStderr();
  DebugManager_Enable(0, 1);
  EXPECT_EQ(AddLog("too early"), 1);
  // With the file switch off the log refuses to open, so the debugger output stays silent too.
  EXPECT_EQ(StartLog(nullptr), 0);
  EXPECT_EQ(AddLog("still closed"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(DebugLog, LongMessagesAreCutToOneLine) {
  const std::string longText(2000, 'x');
  EXPECT_EQ(AddLog("%s", longText.c_str()), 1);
  std::ifstream log(Folder() / "log.txt");
  std::string contents((std::istreambuf_iterator<char>(log)), {});
  const size_t lastStart = contents.rfind('\n', contents.size() - 2) + 1;
  const std::string last = contents.substr(lastStart);
  EXPECT_EQ(last.size(), 511u);
  EXPECT_EQ(last.back(), '\n');
}

TEST_F(DebugLogDefaultPath, DefaultLogLivesInTheProgramFolder) {
  const std::filesystem::path programFolder =
      std::filesystem::read_symlink("/proc/self/exe").parent_path();
  const std::filesystem::path log = programFolder / "vortana_debug.txt";
  std::filesystem::remove(log);
  ASSERT_EQ(StartLog(nullptr), 1);
  EXPECT_TRUE(std::filesystem::exists(log));
  std::filesystem::remove(log);
}

TEST_F(DebugLog, CrashHandlerWritesItsLineAndLetsTheSignalEndTheProcess) {
  EXPECT_EQ(StartErrorHandler(), 1);
  EXPECT_TRUE(Logged("CRASH HANDLER : Actived."));
  EXPECT_EXIT(std::raise(SIGSEGV), testing::KilledBySignal(SIGSEGV), "");
  EXPECT_TRUE(Logged("CRASH : CRASH AVOIDED BUT WAS HERE : error code : -1073741819"));
  EXPECT_EQ(EndErrorHandler(), 1);
  EXPECT_EXIT(std::raise(SIGFPE), testing::KilledBySignal(SIGFPE), "");
  EXPECT_FALSE(Logged("CRASH : CRASH AVOIDED BUT WAS HERE : error code : -1073741676"));
}

// Takes every descriptor the process may still open, as a process short of resources at the
// moment it faults.
void ExhaustDescriptors() {
  constexpr rlim_t kFew = 64;  // descriptors
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = std::min(limit.rlim_cur, kFew);
  setrlimit(RLIMIT_NOFILE, &limit);
  while (dup(STDERR_FILENO) >= 0) {
  }
}

TEST_F(DebugLog, TheCrashLineNeedsNothingOfTheProcessWhenItFaults) {
  ASSERT_EQ(StartErrorHandler(), 1);
  EXPECT_EXIT(
      {
        ExhaustDescriptors();
        std::raise(SIGSEGV);
      },
      testing::KilledBySignal(SIGSEGV), "");
  const std::vector<std::string> messages = LogMessages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "CRASH : CRASH AVOIDED BUT WAS HERE : error code : -1073741819");
  // Stamped as every line is, in local time.
  std::ifstream log(Folder() / "log.txt");
  std::string line;
  for (std::string next; std::getline(log, next);) line = next;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[32];
  std::snprintf(date, sizeof date, "%02d-%02d-%04d ", local.tm_mon + 1, local.tm_mday,
                local.tm_year + 1900);
  EXPECT_TRUE(line.starts_with(date)) << line;
  EXPECT_TRUE(std::regex_match(line, std::regex(R"(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d \| .*)")))
      << line;
  EXPECT_EQ(EndErrorHandler(), 1);
}

}  // namespace
