// Program-wide variables that a test changes and that no part of the program puts back within one
// process: a fixture that holds a SavedVariables of them gives them back their values when the
// test ends, so that every test starts from the same state, however many ran before it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <vector>

class SavedVariables {
 public:
  template <typename... T>
  explicit SavedVariables(T&... variables) {
    (Keep(variables), ...);
  }
  ~SavedVariables() {
    for (auto restore = restores_.rbegin(); restore != restores_.rend(); ++restore) (*restore)();
  }
  SavedVariables(const SavedVariables&) = delete;
  SavedVariables& operator=(const SavedVariables&) = delete;

  template <typename T>
  void Keep(T& variable) {
    restores_.push_back([&variable, value = variable] { variable = value; });
  }
  template <typename T, size_t N>
  void Keep(T (&variable)[N]) {
    restores_.push_back(
        [&variable, value = std::to_array(variable)] { std::ranges::copy(value, variable); });
  }

 private:
  std::vector<std::function<void()>> restores_;
};
