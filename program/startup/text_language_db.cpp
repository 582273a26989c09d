#include "program/startup/text_language_db.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <string_view>

#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
#include "platform/win/byte_reader.h"
#include "platform/win/numbers.h"
#include "platform/win/profile.h"
#include "platform/win/trim.h"

namespace {

constexpr const char* HeaderSection = "Tralexa";
// The header's values are read through a 255-character buffer, as the files were written for.
constexpr size_t HeaderBufferChars = 255;
// Far beyond any real database (ten languages of a few thousand phrases are well under 2 MB).
constexpr size_t MaxDatabaseBytes = 64u << 20;

std::string HeaderValue(const std::string& filePath, const std::string& key) {
  return win::GetPrivateProfileString(HeaderSection, key, "", HeaderBufferChars, filePath);
}

int32_t HeaderNumber(const std::string& filePath, const std::string& key) {
  return win::RoundHalfEven(win::LeadingNumber(HeaderValue(filePath, key)));
}

// The file's lines with the byte offset at which each begins.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}

  size_t Position() const { return position_; }
  bool AtEnd() const { return position_ >= text_.size(); }
  bool MoveTo(int64_t offset) {
    if (offset < 0 || static_cast<uint64_t>(offset) >= text_.size()) return false;
    position_ = static_cast<size_t>(offset);
    return true;
  }

  // The next line without its end, or nothing at the end of the text.
  std::optional<std::string_view> Next() {
    if (AtEnd()) return std::nullopt;
    const size_t end = text_.find_first_of("\r\n", position_);
    const size_t lineEnd = end == std::string_view::npos ? text_.size() : end;
    std::string_view line = text_.substr(position_, lineEnd - position_);
    position_ = lineEnd;
    if (position_ < text_.size() && text_[position_] == '\r') ++position_;
    if (position_ < text_.size() && text_[position_] == '\n') ++position_;
    return line;
  }

 private:
  std::string_view text_;
  size_t position_ = 0;
};

// Places the cursor on the first phrase line of the section "[name]": first where the offset from
// the "[NATIVE]" line says, else by a scan of the whole file.
bool SeekSection(LineCursor& cursor, const std::string& name, int64_t offset) {
  const std::string wanted = "[" + name + "]";
  std::optional<int64_t> nativeStart;
  while (!cursor.AtEnd()) {
    const size_t lineStart = cursor.Position();
    if (win::EqualsIgnoringCase(win::TrimBlanks(*cursor.Next()), "[NATIVE]")) {
      nativeStart = static_cast<int64_t>(lineStart);
      break;
    }
  }
  if (nativeStart && cursor.MoveTo(*nativeStart + offset)) {
    if (auto line = cursor.Next(); line && win::EqualsIgnoringCase(*line, wanted)) return true;
  }
  cursor.MoveTo(0);
  while (auto line = cursor.Next()) {
    if (win::EqualsIgnoringCase(*line, wanted)) return true;
  }
  return false;
}

TextLanguageColumn Failed(std::optional<std::string> error) {
  TextLanguageColumn column;
  column.error = std::move(error);
  return column;
}

}  // namespace

TextLanguageColumn LoadTextLanguageColumn(const std::string& filePath,
                                          const std::string& columnName) {
  const int32_t languageCount = HeaderNumber(filePath, "NumberOfLanguages");
  const int32_t phraseCount = HeaderNumber(filePath, "NumberOfStrings");
  if (languageCount < 1 || phraseCount < 1) return Failed(NotAValidTextDb);

  TextLanguageColumn column;
  column.columnName = columnName;
  int32_t index = 0;
  if (win::EqualsIgnoringCase(columnName, "Native")) {
    index = 0;
  } else if (columnName.empty()) {
    index = 1;
    column.columnName = HeaderValue(filePath, "Language1");
  } else {
    for (int32_t k = 1; k <= languageCount && index == 0; ++k) {
      if (win::EqualsIgnoringCase(HeaderValue(filePath, "Language" + std::to_string(k)),
                                  columnName)) {
        index = k;
      }
    }
    if (index == 0) return Failed(LanguageNotFound);
  }
  const int64_t offset = HeaderNumber(filePath, "Language" + std::to_string(index) + "_Offset");

  const auto bytes = win::ReadFileBytes(win::ResolvePath(filePath), MaxDatabaseBytes);
  if (!bytes) return Failed("The file cannot be read: " + filePath);
  LineCursor cursor(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  if (!SeekSection(cursor, column.columnName, offset)) return Failed(std::nullopt);

  // The count comes from the header, so the column grows with the lines actually read rather than
  // being sized by it up front.
  for (int32_t i = 1; i <= phraseCount; ++i) {
    const auto line = cursor.Next();
    const std::string key = "L" + std::to_string(i) + "=";
    if (!line || !line->starts_with(key)) return Failed(NotAValidTextDb);
    column.phrases.emplace_back(line->substr(key.size()));
  }
  column.ok = true;
  return column;
}

namespace {

// A phrase on one line: its line ends as the markup that GetS turns back into them.
std::string OneLine(const std::string& phrase) {
  std::string line;
  for (const char c : phrase) {
    if (c == '\r')
      line += "{\\r}";
    else if (c == '\n')
      line += "{\\n}";
    else
      line += c;
  }
  return line;
}

std::string Column(const std::string& name, const std::vector<std::string>& phrases) {
  std::string text = "[" + name + "]\r\n";
  for (size_t i = 0; i < phrases.size(); ++i)
    text += "L" + std::to_string(i + 1) + "=" + phrases[i] + "\r\n";
  return text;
}

}  // namespace

bool WriteTextLanguageDb(const std::filesystem::path& file, const std::string& columnName,
                         const std::vector<std::pair<std::string, std::string>>& phrases,
                         std::string& error) {
  // std::string compares bytes as unsigned: the order of the lookup's bisection.
  std::map<std::string, std::string> sorted;
  for (const auto& [native, foreign] : phrases)
    if (!native.empty()) sorted.emplace(OneLine(native), OneLine(foreign));
  std::vector<std::string> natives;
  std::vector<std::string> foreigns;
  for (const auto& [native, foreign] : sorted) {
    natives.push_back(native);
    foreigns.push_back(foreign);
  }
  const std::string nativeColumn = Column("NATIVE", natives);
  const std::string text =
      "[Tralexa]\r\nNumberOfLanguages=1\r\nNumberOfStrings=" + std::to_string(natives.size()) +
      "\r\nLanguage1=" + columnName +
      "\r\nLanguage0_Offset=0\r\nLanguage1_Offset=" + std::to_string(nativeColumn.size()) +
      "\r\n\r\n" + nativeColumn + Column(columnName, foreigns);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    error = std::string(std::strerror(errno)) + ": " + file.string();
    return false;
  }
  return true;
}
