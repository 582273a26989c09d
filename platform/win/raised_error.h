// An error raised by a procedure with its number, source and description, for callers whose
// handling depends on which error it was (the program's per-procedure handlers show or log them).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace win {

class RaisedError : public std::runtime_error {
 public:
  RaisedError(int32_t number, std::string source, const std::string& description)
      : std::runtime_error(description), number_(number), source_(std::move(source)) {}

  int32_t Number() const { return number_; }
  const std::string& Source() const { return source_; }
  std::string Description() const { return what(); }

 private:
  int32_t number_;
  std::string source_;
};

}  // namespace win
