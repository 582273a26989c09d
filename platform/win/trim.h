// Blanks around a value carry no meaning in the program's text files: the profile files and the
// language files alike.
#pragma once

#include <string_view>

namespace win {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text without the spaces and tabs around it.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace win
