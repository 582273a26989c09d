// A temporary program folder holding the shipped language database and a language list file of
// the test's own, with the system locale set for the test's process while the folder lives.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/win/app_path.h"
#include "platform/win/profile.h"
#include "tests/platform/win/temp_folder.h"

// English and the shipped German, with no default stored.
inline const char* const kTwoLanguages =
    "[Language]\n"
    "Language_1=English\nLanguageDB_1=\nLanguageColumn_1=\nLanguageLocaleID_1=1033\n"
    "Language_2=Deutsch\nLanguageDB_2=MarovinLanguages.txt\nLanguageColumn_2=Deutsch\n"
    "LanguageLocaleID_2=1031\n";

// The path of a file in the folder.
inline std::string PathIn(const TempFolder& folder, const std::string& name) {
  return (folder.Path() / name).string();
}

// Writes the bytes as given (no line-end translation) and returns the file's path.
inline std::string WriteTestFile(const TempFolder& folder, const std::string& name,
                                 const std::string& contents) {
  folder.WriteFile(name, contents);
  return PathIn(folder, name);
}

class ProgramFolder : public TempFolder {
 public:
  explicit ProgramFolder(const std::string& languageList = kTwoLanguages,
                         const char* locale = "C") {
    std::filesystem::copy_file(MAROVIN_DATA "/MarovinLanguages.txt",
                               Path() / "MarovinLanguages.txt");
    WriteFile("MarovinLang.ini", languageList);
    win::SetAppPath(Path().string());
    setenv("LC_ALL", locale, 1);
  }
  ~ProgramFolder() {
    if (locale_)
      setenv("LC_ALL", locale_->c_str(), 1);
    else
      unsetenv("LC_ALL");
  }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  std::string LanguageList() const { return PathIn(*this, "MarovinLang.ini"); }
  std::string StoredDefault() const {
    return win::GetPrivateProfileString("Language", "DefaultLanguage", "(none)", 255,
                                        LanguageList());
  }

 private:
  // The process's own locale, read before the constructor's body sets the test's.
  const std::optional<std::string> locale_ = [] {
    const char* value = std::getenv("LC_ALL");
    return value ? std::optional<std::string>(value) : std::nullopt;
  }();
};
