// The library's one diagnostic channel: time-stamped lines to the log file and/or the debugger
// output (standard error here), and the crash handler that writes one line when the process
// receives a fatal signal. The exports are declared in library/core/vortanautil.h.
//
// A line reads "MM-DD-YYYY HH:MM:SS | message\n" in local time. The file is opened for appending
// and closed again for every line, so the log survives a crash up to its last line. The crash
// line is written through a descriptor held open for it, with async-signal-safe calls only.
#pragma once

#include <cstddef>

inline constexpr size_t kLogTextSize =
    512;  // bytes of a message and of a line, terminator included

struct LogStateRecord {
  int fileFlag = 1;
  int debuggerFlag = 0;
  int openFlag = 0;
  char path[kLogTextSize] = {};
  // For the crash handler, which may call nothing that locks or allocates: the log file opened for
  // appending while the log is open (else -1), and local time's offset from UTC when it opened.
  int crashDescriptor = -1;
  long utcOffset = 0;  // seconds
};

extern LogStateRecord LogState;

inline constexpr const char* kDefaultLogPath = "c:\\vortana_debug.txt";
