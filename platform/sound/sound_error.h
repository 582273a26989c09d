// The one error type of the sound stand-in: a call that fails throws it, and the calling
// procedure's handler decides what happens (the program shows its sound error and goes on).
#pragma once

#include <stdexcept>
#include <string>

namespace sound {

class SoundError : public std::runtime_error {
 public:
  explicit SoundError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace sound
