// Blanks around the values of the language files carry no meaning.
#pragma once

#include <string_view>

// The text without the spaces and tabs around it.
inline std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
