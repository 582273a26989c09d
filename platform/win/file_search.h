// The file search of a program path whose last component is a wildcard ("levels\materials\*.mtr").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win {

// The names of the regular files of the pattern's folder (resolved as ResolvePath does) that match
// its last component, where '*' stands for any run of characters and '?' for one, without regard
// to ASCII case. Sorted without regard to case, then in byte order, so that every machine lists
// them alike. Empty when the folder does not exist.
std::vector<std::string> FindFiles(std::string_view pattern);

// Whether name matches the wildcard pattern as FindFiles matches it.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace win
