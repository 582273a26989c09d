// The one error type of the engine stand-in: a call that fails throws it, and the calling
// procedure's handler decides what happens (a message box, a log line, going on).
#pragma once

#include <stdexcept>
#include <string>

namespace engine {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace engine
