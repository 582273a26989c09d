#include "program/startup/text_language_db.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#include "program/startup/native_strings.h"
#include "tests/program/startup/language_db_builder.h"
#include "tests/program/startup/program_folder.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(TextLanguageDb, ReadsTheNativeAndAForeignColumnLineForLine) {
  TempFolder folder;
  const std::string db = WriteTestFile(folder, "de.txt", SmallGermanDb());
  const TextLanguageColumn native = LoadTextLanguageColumn(db, "native");
  const TextLanguageColumn german = LoadTextLanguageColumn(db, "DEUTSCH");
  ASSERT_TRUE(native.ok);
  ASSERT_TRUE(german.ok);
  EXPECT_EQ(native.phrases.front(), "Already Staged");
  EXPECT_EQ(german.phrases, (std::vector<std::string>{"Stufe bereits getrennt", "Treibstoff", "",
                                                      "Stufe getrennt", "Zeit"}));
}

TEST(TextLanguageDb, AnEmptyColumnNameReadsTheFirstLanguage) {
  TempFolder folder;
  const std::string db = WriteTestFile(folder, "de.txt", SmallGermanDb());
  const TextLanguageColumn column = LoadTextLanguageColumn(db, "");
  EXPECT_TRUE(column.ok);
  EXPECT_EQ(column.columnName, "Deutsch");
}

TEST(TextLanguageDb, PhrasesKeepBlanksEqualSignsAndMarkup) {
  TempFolder folder;
  const std::string db = WriteTestFile(
      folder, "db.txt", BuildLanguageDb({{"NATIVE", {" a=b {\\r}%s "}}, {"X", {"x"}}}));
  const TextLanguageColumn native = LoadTextLanguageColumn(db, "Native");
  ASSERT_TRUE(native.ok);
  EXPECT_EQ(native.phrases.front(), " a=b {\\r}%s ");
}

TEST(TextLanguageDb, AcceptsLineEndsOfEveryKind) {
  TempFolder folder;
  for (const std::string lineEnd : {"\n", "\r"}) {
    std::string text = SmallGermanDb();
    for (size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + lineEnd.size())) {
      text.replace(at, 2, lineEnd);
    }
    const TextLanguageColumn column =
        LoadTextLanguageColumn(WriteTestFile(folder, "db.txt", text), "Deutsch");
    ASSERT_TRUE(column.ok);
    EXPECT_EQ(column.phrases.back(), "Zeit");
  }
}

TEST(TextLanguageDb, FindsColumnsByOffsetOrByScanWhenTheOffsetIsMissingOrWrong) {
  TempFolder folder;
  const std::string plain = SmallGermanDb();
  const size_t native = plain.find("[NATIVE]");
  const size_t german = plain.find("[Deutsch]");
  const std::string right = std::to_string(german - native);
  for (const std::string& offset :
       {right, std::string("3"), std::string("-40"), std::string("999999")}) {
    const std::string db = WriteTestFile(
        folder, "db.txt",
        BuildLanguageDb({{"NATIVE", {"Already Staged", "Fuel", "Range", "Staged", "Time"}},
                         {"Deutsch", {"a", "b", "c", "d", "e"}}},
                        "Language1_Offset=" + offset + "\r\n"));
    const TextLanguageColumn column = LoadTextLanguageColumn(db, "Deutsch");
    ASSERT_TRUE(column.ok) << offset;
    EXPECT_EQ(column.phrases.front(), "a") << offset;
  }
}

// What the export writes, a reader takes: phrases in byte order with their translations beside
// them, each once, line ends as markup, and an offset that leads straight to the foreign column.
TEST(TextLanguageDb, AWrittenDatabaseReadsBackSortedAndAligned) {
  TempFolder folder;
  const std::filesystem::path db = folder.Path() / "export.txt";
  std::string error;
  ASSERT_TRUE(WriteTextLanguageDb(db, "Deutsch",
                                  {{"time", "Zeit"},
                                   {"Fuel", "Treibstoff"},
                                   {"Staged", "Stufe getrennt"},
                                   {"Fuel", "Benzin"},
                                   {"Two\rlines", "Zwei\rZeilen"}},
                                  error))
      << error;
  const TextLanguageColumn native = LoadTextLanguageColumn(db.string(), "Native");
  const TextLanguageColumn german = LoadTextLanguageColumn(db.string(), "Deutsch");
  ASSERT_TRUE(native.ok && german.ok);
  EXPECT_EQ(native.phrases, (std::vector<std::string>{"Fuel", "Staged", "Two{\\r}lines", "time"}));
  EXPECT_EQ(german.phrases,
            (std::vector<std::string>{"Treibstoff", "Stufe getrennt", "Zwei{\\r}Zeilen", "Zeit"}));
  const std::string text = ReadText(db.string());
  const size_t offset = std::stoul(text.substr(text.find("Language1_Offset=") + 17));
  EXPECT_EQ(text.substr(text.find("[NATIVE]") + offset, 9), "[Deutsch]");
  EXPECT_FALSE(WriteTextLanguageDb(folder.Path() / "no" / "such" / "folder.txt", "x", {}, error));
  EXPECT_NE(error.find("folder.txt"), std::string::npos);
}

TEST(TextLanguageDb, RefusesBrokenFilesWithTheirReason) {
  TempFolder folder;
  const std::string good = SmallGermanDb();
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const struct {
    const char* what;
    std::string text;
    const char* column;
    std::optional<std::string> error;
  } cases[] = {
      {"no strings", replaced("NumberOfStrings=5", "NumberOfStrings=0"), "Deutsch",
       NotAValidTextDb},
      {"no languages", replaced("NumberOfLanguages=1", ""), "Deutsch", NotAValidTextDb},
      {"unknown column", good, "Klingon", LanguageNotFound},
      {"section missing", replaced("[Deutsch]", "[Deutch]"), "Deutsch", std::nullopt},
      {"small l", replaced("L2=Treibstoff", "l2=Treibstoff"), "Deutsch", NotAValidTextDb},
      {"line out of order", replaced("L2=Fuel", "L3=Fuel"), "Native", NotAValidTextDb},
      {"truncated", good.substr(0, good.size() - 12), "Deutsch", NotAValidTextDb},
      {"more strings than lines", replaced("NumberOfStrings=5", "NumberOfStrings=2000000000"),
       "Native", NotAValidTextDb},
      {"empty file", "", "Native", NotAValidTextDb},
  };
  for (const auto& c : cases) {
    const TextLanguageColumn column =
        LoadTextLanguageColumn(WriteTestFile(folder, "db.txt", c.text), c.column);
    EXPECT_FALSE(column.ok) << c.what;
    EXPECT_EQ(column.error, c.error) << c.what;
  }
  EXPECT_EQ(LoadTextLanguageColumn(PathIn(folder, "missing.txt"), "Native").error, NotAValidTextDb);
}

// The shipped database must hold every native text exactly, in byte order, with a translation for
// each, and offsets that point at the sections.
TEST(ShippedLanguageDb, TranslatesEveryInterfaceText) {
  const std::string path = MAROVIN_DATA "/MarovinLanguages.txt";
  const TextLanguageColumn native = LoadTextLanguageColumn(path, "Native");
  const TextLanguageColumn german = LoadTextLanguageColumn(path, "Deutsch");
  ASSERT_TRUE(native.ok);
  ASSERT_TRUE(german.ok);
  EXPECT_TRUE(std::is_sorted(native.phrases.begin(), native.phrases.end()));
  EXPECT_EQ(std::adjacent_find(native.phrases.begin(), native.phrases.end()), native.phrases.end());

  for (int32_t id = 1; id <= LastStringId; ++id) {
    const std::string text = NativeString(id, "");
    if (!HasNativeString(id) || text.empty()) continue;
    const auto found = std::lower_bound(native.phrases.begin(), native.phrases.end(), text);
    ASSERT_TRUE(found != native.phrases.end() && *found == text)
        << "missing id " << id << ": " << text;
    EXPECT_FALSE(german.phrases[static_cast<size_t>(found - native.phrases.begin())].empty())
        << text;
  }

  const std::string text = ReadText(path);
  const size_t nativeLine = text.find("\r\n[NATIVE]\r\n") + 2;
  const size_t germanLine = text.find("\r\n[Deutsch]\r\n") + 2;
  EXPECT_NE(text.find("Language1_Offset=" + std::to_string(germanLine - nativeLine) + "\r\n"),
            std::string::npos)
      << "expected Language1_Offset=" << germanLine - nativeLine;
}
