// The program's log lines (std::clog) written while it lives, kept from the test's output.
#pragma once

#include <iostream>
#include <sstream>
#include <string>

class CapturedLog {
 public:
  CapturedLog() : old_(std::clog.rdbuf(lines_.rdbuf())) {}
  ~CapturedLog() { std::clog.rdbuf(old_); }
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  std::string Text() const { return lines_.str(); }

 private:
  std::ostringstream lines_;
  std::streambuf* old_;
};
