#include "program/missions/ini.h"

#include <charconv>
#include <cmath>
#include <iostream>
#include <limits>
#include <set>
#include <sstream>

#include "platform/forms/dialogs.h"
#include "platform/win/app_path.h"
#include "platform/win/numbers.h"
#include "platform/win/profile.h"
#include "program/missions/missions_texts.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int ReadINIBufferSize = 2048;      // characters, terminator included
constexpr int ProfileValueBufferSize = 128;  // characters, terminator included
constexpr int SingleSignificantDigits = 7;

template <typename Integer>
std::optional<Integer> ToInteger(std::string_view text) {
  const std::optional<double> value = win::LeadingFiniteNumber(text);
  return value ? RoundTo<Integer>(*value) : std::nullopt;
}

// A text that is one number and nothing else: blanks anywhere (the reading skips them), a sign,
// digits with one "." or "," among or before them, an exponent (E or D), and a type mark of the
// files' first writers ("-4957000!"); or no text at all.
bool IsWholeNumber(std::string_view text) {
  size_t at = 0;
  const auto skipBlanks = [&] {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  };
  // Takes one character of the set, after blanks.
  const auto take = [&](std::string_view set) {
    skipBlanks();
    if (at == text.size() || set.find(text[at]) == std::string_view::npos) return false;
    ++at;
    return true;
  };
  const auto digits = [&] {
    size_t count = 0;
    while (take("0123456789")) ++count;
    return count;
  };
  skipBlanks();
  if (at == text.size()) return true;
  take("+-");
  size_t mantissa = digits();
  if (take(".,")) mantissa += digits();
  if (mantissa == 0) return false;
  if (take("EeDd")) {
    take("+-");
    if (digits() == 0) return false;
  }
  take("!#%&@");
  skipBlanks();
  return at == text.size();
}

}  // namespace

std::string ProgramFolder() { return win::AppPath(); }

namespace {

// Tells the user of a failed write to the file, once for a run of them.
void TellWriteResult(const std::string& path, bool written) {
  // The files whose failed write the user has been told of.
  static std::set<std::string> unsaved;
  if (written) {
    unsaved.erase(path);
  } else if (unsaved.insert(path).second) {
    forms::MsgBox(EnsureTralexa().GetTranslation(SettingsNotSaved) + " " +
                      win::ResolvePath(path).string() + ".",
                  forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation);
  }
}

// The files with an open INIWriteBatch, once for each: a write to them is on disk only at the
// commit, which alone tells whether the file was saved.
std::multiset<std::string>& BatchedFiles() {
  static std::multiset<std::string> files;
  return files;
}

}  // namespace

void WriteINI(const std::string& section, const std::string& key, const std::string& value,
              const std::string& path) {
  const bool written = win::WritePrivateProfileString(section, key, value, path);
  if (!written || !BatchedFiles().contains(path)) TellWriteResult(path, written);
}

INIWriteBatch::INIWriteBatch(const std::string& path) : path_(path), batch_(path) {
  BatchedFiles().insert(path_);
}

INIWriteBatch::~INIWriteBatch() { BatchedFiles().erase(BatchedFiles().find(path_)); }

void INIWriteBatch::Commit() { TellWriteResult(path_, batch_.Commit()); }

std::string ReadINI(const std::string& section, const std::string& key,
                    const std::string& defaultText, const std::string& path) {
  return win::GetPrivateProfileString(section, key, defaultText, ReadINIBufferSize, path);
}

std::string ReadProfileValue(const std::string& section, const std::string& key,
                             const std::string& defaultText, const std::string& path) {
  return win::GetPrivateProfileString(section, key, defaultText, ProfileValueBufferSize, path);
}

float ToNumber(std::string_view text) { return win::ParseDecimal(text); }

double ToValue(std::string_view text) { return win::LeadingNumber(text); }

std::optional<int32_t> ToWhole(std::string_view text) { return ToInteger<int32_t>(text); }

std::optional<int16_t> ToShort(std::string_view text) { return ToInteger<int16_t>(text); }

bool ToFlag(std::string_view text) { return ToValue(text) != 0.0; }

std::string ProfileFile::Text(const std::string& section, const std::string& key,
                              const std::string& defaultText) const {
  return Read(section, key, defaultText);
}

const std::string& ProfileFile::Read(const std::string& section, const std::string& key,
                                     const std::string& defaultText) const {
  lastText_ = ReadProfileValue(section, key, defaultText, path_);
  return lastText_;
}

template <typename Result, typename Convert>
Result ProfileFile::Converted(const std::string& section, const std::string& key,
                              const std::string& defaultText, Convert convert) const {
  if (std::optional<Result> value = convert(Read(section, key, defaultText))) {
    // The leading number is what counts, as the files were read for; text after it ("0x10",
    // "12.5 ft") is dropped, which a hand edit may not have meant.
    if (!IsWholeNumber(lastText_)) {
      std::ostringstream read;
      read << +*value;
      LogFileProblem(path_, section + ": " + key + "=" + lastText_ +
                                " is not a number alone; read as " + read.str());
    }
    return *value;
  }
  TellBadValue(section, key);
  return convert(defaultText).value_or(Result{});
}

void ProfileFile::TellBadValue(const std::string& section, const std::string& key) const {
  if (line_ == BadValueLine::Shown) {
    forms::MsgBox(section + " = " + lastText_);
  } else {
    LogFileProblem(path_,
                   section + ": " + key + "=" + lastText_ + " cannot be used; default taken");
  }
}

float ProfileFile::Number(const std::string& section, const std::string& key,
                          const std::string& defaultText) const {
  return Converted<float>(section, key, defaultText, win::ParseFiniteDecimal);
}

double ProfileFile::Value(const std::string& section, const std::string& key,
                          const std::string& defaultText) const {
  return Converted<double>(section, key, defaultText, win::LeadingFiniteNumber);
}

float ProfileFile::SingleValue(const std::string& section, const std::string& key,
                               const std::string& defaultText) const {
  return Converted<float>(section, key, defaultText, [](std::string_view text) {
    const std::optional<double> value = win::LeadingFiniteNumber(text);
    return value && std::fabs(*value) <= std::numeric_limits<float>::max()
               ? std::optional(static_cast<float>(*value))
               : std::nullopt;
  });
}

int32_t ProfileFile::Whole(const std::string& section, const std::string& key,
                           const std::string& defaultText) const {
  return Converted<int32_t>(section, key, defaultText, ToWhole);
}

int32_t ProfileFile::RoundedNumber(const std::string& section, const std::string& key,
                                   const std::string& defaultText) const {
  return Converted<int32_t>(section, key, defaultText, [](std::string_view text) {
    const std::optional<float> value = win::ParseFiniteDecimal(text);
    return value ? RoundTo<int32_t>(*value) : std::nullopt;
  });
}

int16_t ProfileFile::Short(const std::string& section, const std::string& key,
                           const std::string& defaultText) const {
  return Converted<int16_t>(section, key, defaultText, ToShort);
}

bool ProfileFile::Flag(const std::string& section, const std::string& key,
                       const std::string& defaultText) const {
  return Converted<bool>(section, key, defaultText, [](std::string_view text) {
    const std::optional<double> value = win::LeadingFiniteNumber(text);
    return value ? std::optional(*value != 0.0) : std::nullopt;
  });
}

void LogFileProblem(const std::string& path, const std::string& problem) {
  std::clog << "Marovin: " << path << ": " << problem << '\n';
}

int32_t SplitFields(std::string_view text, char separator, std::span<std::string> fields) {
  for (std::string& field : fields) field.clear();
  size_t count = 0;
  bool fieldOpen = false;
  for (const char c : text) {
    if (c == separator) {
      fieldOpen = false;
      continue;
    }
    if (!fieldOpen) {
      if (count == fields.size()) break;
      ++count;
      fieldOpen = true;
    }
    fields[count - 1] += c;
  }
  return static_cast<int32_t>(count);
}

std::string FlagText(bool flag) { return flag ? "-1" : "0"; }

std::string SingleText(float value) {
  // Seven significant digits in the shortest form, independent of the C library's locale: the
  // separator is the regional one, the exponent mark upper case ("1E+07").
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::general, SingleSignificantDigits);
  std::string text(buffer, result.ptr);
  for (char& c : text) {
    if (c == '.') c = RegionalDecimalSeparator;
    if (c == 'e') c = 'E';
  }
  return text;
}
