#include "platform/win/file_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

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

FolderListing ListFolder(const std::filesystem::path& folder) {
  FolderListing listing;
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error == std::errc::no_such_file_or_directory) return listing;
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    const std::filesystem::directory_entry& entry = *entries;
    std::error_code kind;
    const std::filesystem::file_status status = entry.status(kind);
    if (kind) {
      listing.problems.push_back({entry.path(), "skipped: " + kind.message()});
      continue;
    }
    listing.entries.push_back({entry.path().filename().string(), status.type()});
  }
  if (error) listing.problems.push_back({folder, "not read whole: " + error.message()});
  return listing;
}

std::vector<std::string> FindFiles(std::string_view pattern, std::vector<FolderProblem>* problems) {
  const size_t separator = pattern.find_last_of("\\/");
  const std::string_view folder =
      separator == std::string_view::npos ? std::string_view(".") : pattern.substr(0, separator);
  const std::string_view wildcard =
      separator == std::string_view::npos ? pattern : pattern.substr(separator + 1);
  std::vector<std::string> names;
  FolderListing listing = ListFolder(ResolvePath(folder));
  for (const FolderEntry& entry : listing.entries) {
    if (entry.type == std::filesystem::file_type::regular && MatchesWildcard(entry.name, wildcard))
      names.push_back(entry.name);
  }
  if (problems != nullptr) *problems = std::move(listing.problems);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string lowerA = FoldAsciiCase(a), lowerB = FoldAsciiCase(b);
    return lowerA != lowerB ? lowerA < lowerB : a < b;
  });
  return names;
}

}  // namespace win
