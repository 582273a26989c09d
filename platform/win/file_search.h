// The file search of a program path whose last component is a wildcard ("levels\materials\*.mtr").
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// One entry of a folder, with the kind of file it names (a link followed to its end).
struct FolderEntry {
  std::string name;
  std::filesystem::file_type type;
};

// An entry or a folder that could not be read, and why ("skipped: Too many levels of symbolic
// links").
struct FolderProblem {
  std::filesystem::path path;
  std::string what;
};

// What a folder holds. An entry whose kind cannot be read (a link that loops or leads nowhere) is
// left out, and the reading stops at an error of the folder itself; each is told of in problems.
struct FolderListing {
  std::vector<FolderEntry> entries;  // in the order the file system gives them
  std::vector<FolderProblem> problems;
};
// A folder that does not exist lists nothing and is no problem.
FolderListing ListFolder(const std::filesystem::path& folder);

// The names of the regular files of the pattern's folder (resolved as ResolvePath does) that match
// its last component, where '*' stands for any run of characters and '?' for one, without regard
// to ASCII case. Sorted without regard to case, then in byte order, so that every machine lists
// them alike. Empty when the folder does not exist; an entry that cannot be read is left out.
// What could not be read goes to problems when given.
std::vector<std::string> FindFiles(std::string_view pattern,
                                   std::vector<FolderProblem>* problems = nullptr);

// Whether name matches the wildcard pattern as FindFiles matches it.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace win
