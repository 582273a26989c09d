#include "platform/win/profile.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"
#include "platform/win/trim.h"

namespace win {

namespace {

// Profile files are small settings files; anything larger is not one of them and is left alone.
constexpr size_t MaxProfileFileBytes = 64u << 20;

struct Line {
  size_t begin;  // first byte of the line
  size_t end;    // first byte of its line end (or of the file's end)
  size_t next;   // first byte of the following line
};

struct Entry {
  size_t lineIndex;
  size_t valueBegin;  // first byte of the value after "=" and the blanks that follow it
};

struct Section {
  size_t headerIndex;
  size_t endIndex;  // one past its last line
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string::npos) {
      lines.push_back({begin, text.size(), text.size()});
      break;
    }
    size_t next =
        end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    lines.push_back({begin, end, next});
    begin = next;
  }
  return lines;
}

class ProfileText {
 public:
  explicit ProfileText(std::string_view text) : text_(text), lines_(SplitLines(text_)) {}

  std::string_view Text() const { return text_; }
  const std::vector<Line>& Lines() const { return lines_; }

  std::optional<Section> FindSection(std::string_view name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
      auto header = SectionName(i);
      if (!header || !EqualsIgnoringCase(*header, TrimBlanks(name))) continue;
      size_t end = i + 1;
      while (end < lines_.size() && !SectionName(end)) ++end;
      return Section{i, end};
    }
    return std::nullopt;
  }

  std::optional<Entry> FindKey(const Section& section, std::string_view key) const {
    for (size_t i = section.headerIndex + 1; i < section.endIndex; ++i) {
      std::string_view line = LineText(i);
      size_t equals = line.find('=');
      if (equals == std::string_view::npos) continue;
      if (!EqualsIgnoringCase(TrimBlanks(line.substr(0, equals)), TrimBlanks(key))) continue;
      size_t valueBegin = equals + 1;
      while (valueBegin < line.size() && IsBlank(line[valueBegin])) ++valueBegin;
      return Entry{i, lines_[i].begin + valueBegin};
    }
    return std::nullopt;
  }

  std::string_view LineText(size_t index) const {
    return text_.substr(lines_[index].begin, lines_[index].end - lines_[index].begin);
  }

  // The line end this file already uses, so that added lines look like the rest.
  std::string_view LineEnd() const {
    for (const Line& line : lines_) {
      if (line.next > line.end) return text_.substr(line.end, line.next - line.end);
    }
    return "\r\n";
  }

 private:
  std::optional<std::string_view> SectionName(size_t index) const {
    std::string_view line = TrimBlanks(LineText(index));
    if (!line.starts_with('[')) return std::nullopt;
    line.remove_prefix(1);
    return TrimBlanks(line.substr(0, line.find(']')));
  }

  std::string_view text_;
  std::vector<Line> lines_;
};

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string CutToBuffer(std::string_view text, size_t bufferSize) {
  return std::string(text.substr(0, bufferSize == 0 ? 0 : bufferSize - 1));
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  auto bytes = ReadFileBytes(path, MaxProfileFileBytes);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view contents, std::string_view section,
                                            std::string_view key) {
  ProfileText profile(contents);
  auto found = profile.FindSection(section);
  auto entry = found ? profile.FindKey(*found, key) : std::nullopt;
  if (!entry) return std::nullopt;
  const Line& line = profile.Lines()[entry->lineIndex];
  return std::string(
      Unquote(TrimBlanks(contents.substr(entry->valueBegin, line.end - entry->valueBegin))));
}

std::optional<std::string> SetProfileValue(std::string_view contents, std::string_view section,
                                           std::string_view key, std::string_view value) {
  if (TrimBlanks(section).empty() || TrimBlanks(key).empty() || HasLineBreak(section) ||
      HasLineBreak(key) || HasLineBreak(value) || section.find(']') != std::string_view::npos ||
      key.find('=') != std::string_view::npos || TrimBlanks(key).starts_with('[')) {
    return std::nullopt;
  }
  ProfileText profile(contents);
  std::string lineEnd(profile.LineEnd());
  std::string edited;
  auto found = profile.FindSection(section);
  auto entry = found ? profile.FindKey(*found, key) : std::nullopt;
  if (entry) {
    const Line& line = profile.Lines()[entry->lineIndex];
    edited.append(contents.substr(0, entry->valueBegin))
        .append(value)
        .append(contents.substr(line.end));
  } else if (found) {
    // After the section's last line that is not blank, so that blank lines before the next
    // section stay where they are.
    size_t last = found->endIndex - 1;
    while (last > found->headerIndex && TrimBlanks(profile.LineText(last)).empty()) --last;
    const Line& line = profile.Lines()[last];
    edited.append(contents.substr(0, line.next));
    if (line.next == line.end) edited.append(lineEnd);
    edited.append(key).append("=").append(value).append(lineEnd).append(contents.substr(line.next));
  } else {
    edited.append(contents);
    if (!contents.empty() && contents.back() != '\n' && contents.back() != '\r')
      edited.append(lineEnd);
    edited.append("[").append(section).append("]").append(lineEnd);
    edited.append(key).append("=").append(value).append(lineEnd);
  }
  return edited;
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultText, size_t bufferSize,
                                    std::string_view fileName) {
  auto contents = ReadWholeFile(ResolvePath(fileName));
  auto value = contents ? FindProfileValue(*contents, section, key) : std::nullopt;
  return CutToBuffer(value ? *value : defaultText, bufferSize);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view fileName) {
  std::filesystem::path path = ResolvePath(fileName);
  // Writing through a link replaces the file it points to, not the link.
  std::error_code error;
  if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::symlink) {
    path = std::filesystem::weakly_canonical(path, error);
    if (error) return false;
  }
  std::string existing;
  bool present = std::filesystem::exists(path, error);
  if (error) return false;
  if (present) {
    auto contents = ReadWholeFile(path);
    if (!contents) return false;
    existing = std::move(*contents);
  }
  auto edited = SetProfileValue(existing, section, key, value);
  return edited && WriteFileBytes(path, std::span(reinterpret_cast<const uint8_t*>(edited->data()),
                                                  edited->size()));
}

}  // namespace win
