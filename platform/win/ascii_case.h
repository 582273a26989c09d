// Names that the program's files and keys match without regard to case. Only ASCII letters fold:
// the data are 8-bit texts in a code page this system does not know, so other bytes match exactly.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace win {

inline char FoldAsciiCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string FoldAsciiCase(std::string_view text) {
  std::string folded(text);
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](char c) { return FoldAsciiCase(c); });
  return folded;
}

// Upper case where a format names its words in capitals (key names).
inline std::string UpperAsciiCase(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return upper;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAsciiCase(x) == FoldAsciiCase(y);
         });
}

inline bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace win
