#include "library/core/frame/debug_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <iterator>

#include "library/core/frame/file_paths.h"
#include "library/core/vortanautil.h"

LogStateRecord LogState;

namespace {

constexpr mode_t kNewLogFileMode = 0666;  // before the umask, as the stream opens make it

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
constexpr char kCrashText[] = "CRASH : CRASH AVOIDED BUT WAS HERE : error code : ";
constexpr long kSecondsPerDay = 86400;

// A line built without the C library's formatting, which may lock or allocate: the crash handler
// can run inside the allocator.
class CrashLine {
 public:
  void Text(const char* text) {
    while (*text != '\0' && length_ < sizeof line_) line_[length_++] = *text++;
  }
  void Digits(long value, int width) {
    char digits[24];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value > 0 || count < width);
    while (count > 0 && length_ < sizeof line_) line_[length_++] = digits[--count];
  }
  void Signed(int value) {
    if (value < 0) Text("-");
    Digits(value < 0 ? -static_cast<long>(value) : value, 1);
  }
  void WriteTo(int descriptor) const {
    for (size_t done = 0; done < length_;) {
      const ssize_t written = ::write(descriptor, line_ + done, length_ - done);
      if (written <= 0) return;
      done += static_cast<size_t>(written);
    }
  }

 private:
  char line_[kLogTextSize];
  size_t length_ = 0;
};

// "MM-DD-YYYY HH:MM:SS | " of the local time now, from the offset taken when the log opened.
void AppendCrashTime(CrashLine& line) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const long local = static_cast<long>(now.tv_sec) + LogState.utcOffset;
  const long seconds = ((local % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
  // The civil date of a count of days from 1970-01-01, in 400-year eras of 146097 days from March.
  const long z = (local - seconds) / kSecondsPerDay + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long dayOfEra = z - era * 146097;
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long monthFromMarch = (5 * dayOfYear + 2) / 153;
  const long day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  const long month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  line.Digits(month, 2);
  line.Text("-");
  line.Digits(day, 2);
  line.Text("-");
  line.Digits(year, 4);
  line.Text(" ");
  line.Digits(seconds / 3600, 2);
  line.Text(":");
  line.Digits(seconds / 60 % 60, 2);
  line.Text(":");
  line.Digits(seconds % 60, 2);
  line.Text(" | ");
}

void OnCrash(int signal) {
  int code = signal;
  for (const CrashSignal& crash : kCrashSignals) {
    if (crash.signal == signal) code = crash.exceptionCode;
  }
  if (LogState.openFlag != 0 && (LogState.fileFlag != 0 || LogState.debuggerFlag != 0)) {
    CrashLine line;
    AppendCrashTime(line);
    line.Text(kCrashText);
    line.Signed(code);
    line.Text("\n");
    if (LogState.fileFlag != 0 && LogState.crashDescriptor >= 0)
      line.WriteTo(LogState.crashDescriptor);
    if (LogState.debuggerFlag != 0) line.WriteTo(STDERR_FILENO);
  }
  // The handler was reset on entry: continuing at the faulting point would only fault again, so
  // the default action ends the process now.
  ::raise(signal);
}

void CloseCrashDescriptor() {
  if (LogState.crashDescriptor >= 0) ::close(LogState.crashDescriptor);
  LogState.crashDescriptor = -1;
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
  CloseCrashDescriptor();
  LogState.crashDescriptor = ::open(HostPath(LogState.path).c_str(),
                                    O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kNewLogFileMode);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  LogState.utcOffset = local.tm_gmtoff;
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
  CloseCrashDescriptor();
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
  struct sigaction action {};
  action.sa_handler = OnCrash;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  for (const CrashSignal& crash : kCrashSignals) ::sigaction(crash.signal, &action, nullptr);
  AddLog("CRASH HANDLER : Actived.");
  return 1;
}

int32_t EndErrorHandler() {
  for (const CrashSignal& crash : kCrashSignals) std::signal(crash.signal, SIG_DFL);
  return 1;
}

int32_t RenderAllDebug() { return 1; }
