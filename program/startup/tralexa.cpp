#include "program/startup/tralexa.h"

#include <algorithm>
#include <filesystem>
#include <numeric>

#include "platform/win/locale.h"
#include "platform/win/numbers.h"
#include "platform/win/trim.h"
#include "program/startup/form_helpers.h"
#include "program/startup/native_strings.h"
#include "program/startup/text_language_db.h"

namespace {

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

int32_t CharacterCount(const std::string& text) {
  return static_cast<int32_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return !IsUtf8Continuation(c); }));
}

std::string FirstCharacter(const std::string& text) {
  size_t end = 1;
  while (end < text.size() && IsUtf8Continuation(text[end])) ++end;
  return text.substr(0, end);
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// A relative database name is taken from the current folder; the chooser tries the program folder
// after it.
std::string AbsoluteDatabasePath(const std::string& sDatabase) {
  if (sDatabase.starts_with('/')) return sDatabase;
  return AddPath(std::filesystem::current_path().string(), sDatabase);
}

}  // namespace

Tralexa::Tralexa() { ParsePropertyList(); }

Tralexa::~Tralexa() { CloseLanguageDatabase(); }

int32_t Tralexa::LocaleID() const { return win::SystemLocaleId(); }

void Tralexa::sPadChar(const std::string& value) {
  padChar_ = value.empty() ? "W" : FirstCharacter(value);
}

void Tralexa::sProperties(const std::string& value) {
  properties_ = value;
  ParsePropertyList();
}

std::string Tralexa::sNativeText(int32_t lIndex) const {
  if (lIndex < 1 || lIndex > numTextPhrases_) return {};
  return native_[static_cast<size_t>(lIndex - 1)];
}

std::string Tralexa::sForeignText(int32_t lIndex) const {
  if (lIndex < 1 || lIndex > numTextPhrases_) return {};
  return foreign_[static_cast<size_t>(lIndex - 1)];
}

bool Tralexa::OpenLanguageDatabase(const std::string& sDatabase, [[maybe_unused]] bool bReadOnly,
                                   int32_t eDbType) {
  // Refused before anything is closed, so that a refused export keeps the language in use.
  if (eDbType == AccessLanguageDb) {
    errDescription_ = AccessDbNotEnabled;
    throw LocalisationError(LocalisationErrorNumber, AccessDbNotEnabled);
  }
  CloseLanguageDatabase();
  if (eDbType != TextLanguageDb) {
    errDescription_ = "Unknown kind of language database: " + std::to_string(eDbType);
    return false;
  }

  const std::string path = AbsoluteDatabasePath(sDatabase);
  TextLanguageColumn native = LoadTextLanguageColumn(path, "Native");
  TextLanguageColumn foreign;
  if (native.ok) {
    foreign = LoadTextLanguageColumn(path, foreignColumnName_);
    if (foreignColumnName_.empty()) foreignColumnName_ = foreign.columnName;
  }
  const TextLanguageColumn& failed = native.ok ? foreign : native;
  if (!failed.ok && failed.error) errDescription_ = *failed.error;

  columnsLoaded_ = native.ok && foreign.ok;
  readOnly_ = true;
  languageDb_ = sDatabase;
  dbIsOpen_ = true;
  if (!columnsLoaded_) {
    CloseLanguageDatabase();
    return false;
  }
  native_ = std::move(native.phrases);
  foreign_ = std::move(foreign.phrases);
  numTextPhrases_ = static_cast<int32_t>(native_.size());
  return true;
}

void Tralexa::CloseLanguageDatabase() {
  native_.clear();
  foreign_.clear();
  languageDb_.clear();
  dbIsOpen_ = false;
  readOnly_ = false;
  columnsLoaded_ = false;
  numTextPhrases_ = 0;
}

std::string Tralexa::GetS(int32_t eStrID, const std::vector<std::string>& vParm) {
  return ConvertCrLf(
      SubstituteParameters(GetTranslation(NativeString(eStrID, unknownStrId_)), vParm));
}

std::string Tralexa::GetTranslation(const std::string& sNative) {
  if (testStrWidth_) return PadForWidthTest(sNative);
  std::string result;
  if (columnsLoaded_) {
    result = GetMemoryTranslation(sNative);
  } else {
    // Without loaded columns the lookup falls to the Access kind, which always refuses.
    errDescription_ = AccessDbNotEnabled;
    result = sNative;
  }
  if (result.empty() && !bAllowZeroLengthTranslation) result = sNative;
  return result;
}

std::string Tralexa::PadForWidthTest(const std::string& sNative) const {
  const int32_t length = CharacterCount(sNative);
  double factor = 1.0;
  std::string pairs = strWidthFactors_;
  while (!pairs.empty()) {
    const size_t comma = pairs.find(',');
    const std::string pair = pairs.substr(0, comma);
    pairs = comma == std::string::npos ? std::string() : pairs.substr(comma + 1);
    const size_t colon = pair.find(':');
    const int32_t upTo = win::RoundHalfEven(win::LeadingNumber(pair.substr(0, colon)));
    const int32_t percent = colon == std::string::npos
                                ? 0
                                : win::RoundHalfEven(win::LeadingNumber(pair.substr(colon + 1)));
    if (upTo >= length) {
      factor = 1.0 + percent / 100.0;
      break;
    }
  }
  const int32_t padCount = std::max(0, win::RoundHalfEven(length * factor) - length);
  std::string padded = sNative;
  for (int32_t i = 0; i < padCount; ++i) padded += padChar_;
  return padded;
}

std::string Tralexa::GetMemoryTranslation(const std::string& sNative) const {
  if (sNative.empty() || !enabled_ || !dbIsOpen_ || !readOnly_) return sNative;
  int32_t lo = 1;
  int32_t hi = numTextPhrases_;
  while (hi >= lo) {
    const int32_t mid = lo + (hi - lo) / 2;
    const int comparison = native_[static_cast<size_t>(mid - 1)].compare(sNative);
    if (comparison == 0) return foreign_[static_cast<size_t>(mid - 1)];
    if (comparison > 0) {
      hi = mid - 1;
    } else {
      lo = mid + 1;
    }
  }
  return sNative;
}

std::string Tralexa::SubstituteParameters(std::string sText,
                                          const std::vector<std::string>& vParm) {
  size_t searchFrom = 0;
  for (const std::string& parameter : vParm) {
    const size_t at = sText.find("%s", searchFrom);
    if (at == std::string::npos) break;
    sText.replace(at, 2, parameter);
    searchFrom = at + parameter.size();
  }
  return sText;
}

std::string Tralexa::ConvertCrLf(std::string sText) {
  ReplaceAll(sText, "{\\r}", "\r");
  ReplaceAll(sText, "{\\n}", "\n");
  return sText;
}

std::string Tralexa::GetToken(std::string& sLine, const std::string& sSep) {
  sLine.erase(0, sLine.find_first_not_of(' '));
  std::string token;
  if (!sLine.empty() && (sLine[0] == '"' || sLine[0] == '\'')) {
    const char quote = sLine[0];
    const size_t close = sLine.find(quote, 1);
    token = sLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    size_t rest = close == std::string::npos ? sLine.size() : close + 1;
    if (!sSep.empty() && sLine.compare(rest, sSep.size(), sSep) == 0) rest += sSep.size();
    sLine.erase(0, rest);
    return token;
  }
  const size_t separator = sSep.empty() ? std::string::npos : sLine.find(sSep);
  token = sLine.substr(0, separator);
  sLine.erase(0, separator == std::string::npos ? std::string::npos : separator + sSep.size());
  return token;
}

std::string Tralexa::GetFilePathOnly(const std::string& sFile) {
  const size_t last = sFile.find_last_of("\\/");
  return last == std::string::npos ? std::string() : sFile.substr(0, last + 1);
}

bool Tralexa::SortMemoryLanguageDB() {
  std::vector<size_t> order(native_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(),
            [this](size_t a, size_t b) { return native_[a] < native_[b]; });
  std::vector<std::string> native;
  std::vector<std::string> foreign;
  native.reserve(order.size());
  foreign.reserve(order.size());
  for (size_t i : order) {
    native.push_back(std::move(native_[i]));
    foreign.push_back(std::move(foreign_[i]));
  }
  native_ = std::move(native);
  foreign_ = std::move(foreign);
  return true;
}

std::string Tralexa::TranslateString(const std::string& sText,
                                     const std::vector<std::string>& vParm) {
  return ConvertCrLf(SubstituteParameters(GetTranslation(sText), vParm));
}

void Tralexa::ParsePropertyList() {
  propertyList_.clear();
  std::string rest = properties_;
  for (std::string name(win::TrimBlanks(GetToken(rest, ","))); !name.empty();
       name = win::TrimBlanks(GetToken(rest, ","))) {
    propertyList_.push_back(name);
  }
}
