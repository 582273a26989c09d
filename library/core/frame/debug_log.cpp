#include "library/core/frame/debug_log.h"

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <iterator>

#include "library/core/frame/file_paths.h"
#include "library/core/vortanautil.h"

LogStateRecord LogState;

namespace {

void WriteLine(const char* line) {
  if (LogState.fileFlag != 0) {
    if (std::FILE* file = std::fopen(HostPath(LogState.path).c_str(), "a+")) {
      std::fputs(line, file);
      std::fclose(file);
    }
  }
  if (LogState.debuggerFlag != 0) std::fputs(line, stderr);
}

// Fatal signals and the exception codes the log has always shown for them.
struct CrashSignal {
  int signal;
  int exceptionCode;
};
constexpr CrashSignal kCrashSignals[] = {
    {SIGSEGV, static_cast<int>(0xC0000005u)},  // access violation
    {SIGBUS, static_cast<int>(0xC0000005u)},
    {SIGFPE, static_cast<int>(0xC0000094u)},  // integer division by zero
    {SIGILL, static_cast<int>(0xC000001Du)},  // illegal instruction
};

void OnCrash(int signal) {
  int code = signal;
  for (const CrashSignal& crash : kCrashSignals) {
    if (crash.signal == signal) code = crash.exceptionCode;
  }
  AddLog("CRASH : CRASH AVOIDED BUT WAS HERE : error code : %d", code);
  // Continuing at the faulting point would fault again for ever: let the default action end the
  // process instead.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

int32_t DebugManager_Enable(int32_t fileFlag, int32_t debuggerFlag) {
  LogState.fileFlag = fileFlag;
  LogState.debuggerFlag = debuggerFlag;
  return 1;
}

int32_t StartLog(const char* path) {
  if (LogState.fileFlag == 0) return 0;
  LogState.openFlag = 1;
  CopyToField(LogState.path, sizeof LogState.path, path != nullptr ? path : kDefaultLogPath);
  char libraryPath[kPathBufferSize] = {};
  GetPathDLL(libraryPath);
  AddLog("########################");
  AddLog("# VORTANAUTIL initialized #");
  AddLog("########################");
  int32_t version = 0;
  int32_t revision = 0;
  GetDllVersion(&version, &revision);
  AddLog("VORTANAUTIL : Version %d Revision %d ", version, revision);
  AddLog("VORTANAUTIL File Path %s", libraryPath);
  return 1;
}

int32_t EndLog() {
  LogState.openFlag = 0;
  return 1;
}

int32_t AddLog(const char* format, ...) {
  if ((LogState.fileFlag == 0 && LogState.debuggerFlag == 0) || format == nullptr ||
      format[0] == '\0') {
    return 0;
  }
  if (LogState.openFlag == 0) return 1;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char message[kLogTextSize];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);
  char line[kLogTextSize];
  const int length = std::snprintf(line, sizeof line, "%02d-%02d-%02d %02d:%02d:%02d | %s\n",
                                   local.tm_mon + 1, local.tm_mday, local.tm_year + 1900,
                                   local.tm_hour, local.tm_min, local.tm_sec, message);
  // A line cut at the buffer's end still ends with its line feed.
  if (length >= static_cast<int>(sizeof line)) line[sizeof line - 2] = '\n';
  WriteLine(line);
  return 1;
}

int32_t StartErrorHandler() {
  for (const CrashSignal& crash : kCrashSignals) std::signal(crash.signal, OnCrash);
  AddLog("CRASH HANDLER : Actived.");
  return 1;
}

int32_t EndErrorHandler() {
  for (const CrashSignal& crash : kCrashSignals) std::signal(crash.signal, SIG_DFL);
  return 1;
}

int32_t RenderAllDebug() { return 1; }
