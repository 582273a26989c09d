#include "platform/win/file_search.h"

#include <gtest/gtest.h>

#include "tests/platform/win/temp_folder.h"

namespace {

TEST(FileSearch, WildcardsMatchWithoutRegardToCase) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case cases[] = {
      {"walls.mtr", "*.mtr", true},
      {"WALLS.MTR", "*.mtr", true},
      {"walls.mtrx", "*.mtr", false},
      {".mtr", "*.mtr", true},
      {"a.b.mtr", "*.mtr", true},
      {"wall1.mtr", "wall?.mtr", true},
      {"wall.mtr", "wall?.mtr", false},
      {"abcabd", "*ab?", true},
      {"", "*", true},
      {"x", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win::MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
  }
}

TEST(FileSearch, ListsTheFolderFilesThatMatchInCaseFreeNameOrder) {
  TempFolder folder;
  for (const char* name : {"b.mtr", "A.MTR", "c.MTR", "notes.txt", "sub.mtr/inner.mtr"}) {
    folder.WriteFile(name, "x");
  }
  // The wildcard follows a Windows separator, as the library's callers write it.
  const std::string pattern = folder.Path().string() + "\\*.mtr";
  EXPECT_EQ(win::FindFiles(pattern), (std::vector<std::string>{"A.MTR", "b.mtr", "c.MTR"}));
  EXPECT_TRUE(win::FindFiles(folder.Path().string() + "\\missing\\*.mtr").empty());
}

}  // namespace
