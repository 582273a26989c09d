#include "platform/win/file_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"

namespace win {

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  // Greedy matching with one backtrack point: the last '*' seen.
  size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || FoldAsciiCase(pattern[p]) == FoldAsciiCase(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> FindFiles(std::string_view pattern) {
  const size_t separator = pattern.find_last_of("\\/");
  const std::string_view folder =
      separator == std::string_view::npos ? std::string_view(".") : pattern.substr(0, separator);
  const std::string_view wildcard =
      separator == std::string_view::npos ? pattern : pattern.substr(separator + 1);
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(ResolvePath(folder), error)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file(error) && MatchesWildcard(name, wildcard)) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string lowerA = FoldAsciiCase(a), lowerB = FoldAsciiCase(b);
    return lowerA != lowerB ? lowerA < lowerB : a < b;
  });
  return names;
}

}  // namespace win
