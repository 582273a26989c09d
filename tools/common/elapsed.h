// How long a generator ran, for the line it ends with, so that a build shows what making the
// program folder costs (it must stay well under a minute).
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

class Elapsed {
 public:
  std::string Text() const {
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start_;
    char text[32];
    std::snprintf(text, sizeof text, "in %.2f s", seconds.count());
    return text;
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
