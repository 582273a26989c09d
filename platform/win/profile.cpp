#include "platform/win/profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
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

// Calls visit(line) for each line of text in order, in one pass.
template <typename Visit>
void ForEachLine(std::string_view text, Visit&& visit) {
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = begin;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    size_t next = end;
    if (next < text.size()) {
      next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
    }
    visit(Line{begin, end, next});
    begin = next;
  }
}

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  ForEachLine(text, [&](const Line& line) { lines.push_back(line); });
  return lines;
}

// The name of a section line, or nothing for any other line.
std::optional<std::string_view> SectionNameOf(std::string_view lineText) {
  std::string_view line = TrimBlanks(lineText);
  if (!line.starts_with('[')) return std::nullopt;
  line.remove_prefix(1);
  return TrimBlanks(line.substr(0, line.find(']')));
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

  // The line end most of the file's lines have, so that added lines look like the rest; LF where
  // no line has one. A tie goes to CR LF, then LF: a stray CR in a damaged file outvotes nothing.
  std::string_view LineEnd() const {
    size_t crlf = 0, lf = 0, cr = 0;
    for (const Line& line : lines_) {
      const std::string_view end = text_.substr(line.end, line.next - line.end);
      crlf += end == "\r\n";
      lf += end == "\n";
      cr += end == "\r";
    }
    if (crlf > 0 && crlf >= lf && crlf >= cr) return "\r\n";
    if (cr > lf) return "\r";
    return "\n";
  }

 private:
  std::optional<std::string_view> SectionName(size_t index) const {
    return SectionNameOf(LineText(index));
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
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return std::nullopt;
  const std::streamoff size = file.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > MaxProfileFileBytes) return std::nullopt;
  std::string text(static_cast<size_t>(size), '\0');
  file.seekg(0);
  if (!file.read(text.data(), size)) return std::nullopt;
  return text;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// Names hashed and compared without regard to ASCII case, so that a lookup folds nothing into a
// new string.
struct FoldedHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const {
    size_t hash = 14695981039346656037u;  // FNV-1a
    for (const char c : name)
      hash = (hash ^ static_cast<unsigned char>(FoldAsciiCase(c))) * 1099511628211u;
    return hash;
  }
};
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return EqualsIgnoringCase(a, b); }
};

// One parse of a file: the value of the first entry of each key in the first section of each
// name, both found by their names without regard to case.
class ProfileIndex {
 public:
  explicit ProfileIndex(std::string text) : text_(std::move(text)) {
    Keys* keys = nullptr;
    ForEachLine(text_, [&](const Line& line) {
      std::string_view lineText(text_.data() + line.begin, line.end - line.begin);
      if (auto name = SectionNameOf(lineText)) {
        // No caller can ask for a name that holds a NUL byte: its keys are as good as gone.
        if (name->find('\0') != std::string_view::npos) {
          unreachable_.emplace_back(*name);
          keys = nullptr;
          return;
        }
        auto [section, added] = sections_.try_emplace(FoldAsciiCase(*name));
        // Entries of a repeated section are hidden by the first one.
        keys = added ? &section->second : nullptr;
        return;
      }
      size_t equals = lineText.find('=');
      if (keys == nullptr || equals == std::string_view::npos) return;
      std::string_view value = Unquote(TrimBlanks(lineText.substr(equals + 1)));
      keys->try_emplace(FoldAsciiCase(TrimBlanks(lineText.substr(0, equals))),
                        ValueSpan{static_cast<size_t>(value.data() - text_.data()), value.size()});
    });
  }
  ProfileIndex(const ProfileIndex&) = delete;
  ProfileIndex& operator=(const ProfileIndex&) = delete;

  const std::string& Text() const { return text_; }
  // The names of the sections that no caller can ask for, as the file spells them.
  const std::vector<std::string>& UnreachableSections() const { return unreachable_; }

  std::vector<std::string> KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    auto keys = sections_.find(TrimBlanks(section));
    if (keys == sections_.end()) return names;
    for (const auto& [name, value] : keys->second) names.push_back(name);
    return names;
  }

  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const {
    auto keys = sections_.find(TrimBlanks(section));
    if (keys == sections_.end()) return std::nullopt;
    auto value = keys->second.find(TrimBlanks(key));
    if (value == keys->second.end()) return std::nullopt;
    return std::string_view(text_).substr(value->second.begin, value->second.size);
  }

 private:
  struct ValueSpan {
    size_t begin;
    size_t size;
  };
  // Names stored folded to lower case, as KeyNames gives them.
  using Keys = std::unordered_map<std::string, ValueSpan, FoldedHash, FoldedEqual>;

  std::string text_;
  std::unordered_map<std::string, Keys, FoldedHash, FoldedEqual> sections_;
  std::vector<std::string> unreachable_;
};

// Tells of a section of a file just parsed that its keys are not read.
void LogUnreachableSections(const ProfileIndex& index, const std::filesystem::path& path) {
  for (std::string name : index.UnreachableSections()) {
    std::replace(name.begin(), name.end(), '\0', '?');
    std::clog << "Marovin: " << path.string() << ": section [" << name
              << "] holds a NUL byte; its keys are not read\n";
  }
}

// What tells one state of a file on disk from another: a write through these functions replaces
// the file (a new inode), and an edit in place changes its size or its modification time.
struct FileStamp {
  dev_t device;
  ino_t inode;
  off_t size;
  int64_t modifiedNanoseconds;

  bool operator==(const FileStamp&) const = default;
};

constexpr int64_t NanosecondsPerSecond = 1'000'000'000;

int64_t Nanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * NanosecondsPerSecond + time.tv_nsec;
}

std::optional<FileStamp> StampOf(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return FileStamp{status.st_dev, status.st_ino, status.st_size, Nanoseconds(status.st_mtim)};
}

// File systems stamp modification times from a coarse clock (a tick of a few milliseconds, two
// seconds on some): a second edit of the same size within one tick keeps the stamp. A file
// modified less than this before it was read is therefore compared byte for byte at each read
// until its stamp is old enough to tell.
constexpr int64_t StampTickNanoseconds = 2 * NanosecondsPerSecond;

bool IsRecent(const FileStamp& stamp) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return stamp.modifiedNanoseconds + StampTickNanoseconds > Nanoseconds(now);
}

// The parses of the files read last, so that reading every key of a file parses it once.
class ProfileCache {
 public:
  // The parse of the file as it is now on disk; nothing when it cannot be read.
  std::shared_ptr<const ProfileIndex> Index(std::string_view fileName) {
    std::lock_guard lock(mutex_);
    auto cached = std::find_if(files_.begin(), files_.end(),
                               [&](const CachedFile& file) { return file.name == fileName; });
    std::shared_ptr<const ProfileIndex> previous;
    if (cached != files_.end()) {
      // The name is resolved again only when its file changed: a key costs one status call.
      if (!cached->recent && StampOf(cached->path) == cached->stamp) {
        std::rotate(files_.begin(), cached, cached + 1);
        return files_.front().index;
      }
      previous = std::move(cached->index);
      files_.erase(cached);
    }
    std::filesystem::path path = ResolvePath(fileName);
    std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp || static_cast<uint64_t>(stamp->size) > MaxProfileFileBytes) return nullptr;
    const bool recent = IsRecent(*stamp);
    // Another name of the same file as it is now (a link, another spelling) shares its parse.
    auto same = std::find_if(files_.begin(), files_.end(), [&](const CachedFile& file) {
      return !recent && !file.recent && file.stamp == *stamp;
    });
    std::shared_ptr<const ProfileIndex> index;
    if (same != files_.end()) {
      index = same->index;
    } else {
      // Stamped before it is read: a change while reading shows as a new stamp at the next call.
      auto contents = ReadWholeFile(path);
      if (!contents) return nullptr;
      if (previous && previous->Text() == *contents) {
        index = std::move(previous);
      } else {
        index = std::make_shared<const ProfileIndex>(std::move(*contents));
        LogUnreachableSections(*index, path);
      }
    }
    if (files_.size() == MaxCachedFiles) files_.pop_back();
    files_.insert(files_.begin(),
                  CachedFile{std::string(fileName), std::move(path), *stamp, recent, index});
    return index;
  }

  void Forget(const std::filesystem::path& path) {
    std::lock_guard lock(mutex_);
    std::erase_if(files_, [&](const CachedFile& file) { return file.path == path; });
  }

 private:
  // The program reads the settings, the layout, two assignment files and a scenario.
  static constexpr size_t MaxCachedFiles = 5;

  struct CachedFile {
    std::string name;            // as the caller gave it
    std::filesystem::path path;  // as it resolved
    FileStamp stamp;
    bool recent;  // modified too shortly before it was read for its stamp to tell an edit
    std::shared_ptr<const ProfileIndex> index;
  };

  std::mutex mutex_;
  std::vector<CachedFile> files_;  // the most recently read first
};

ProfileCache& Cache() {
  static ProfileCache cache;
  return cache;
}

// The file that a write to path replaces, and what it holds now.
struct WriteTarget {
  std::filesystem::path path;
  std::string contents;
};

// Nothing when the file may not be written.
std::optional<WriteTarget> OpenForWriting(std::filesystem::path path) {
  // Writing through a link replaces the file it points to, not the link.
  std::error_code error;
  if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::symlink) {
    path = std::filesystem::weakly_canonical(path, error);
    if (error) return std::nullopt;
  }
  bool present = std::filesystem::exists(path, error);
  if (error) return std::nullopt;
  // A file marked read-only is not replaced, whoever writes: the mark holds even for a user whose
  // rights would let the rename through.
  constexpr auto writable = std::filesystem::perms::owner_write |
                            std::filesystem::perms::group_write |
                            std::filesystem::perms::others_write;
  if (present && (std::filesystem::status(path, error).permissions() & writable) ==
                     std::filesystem::perms::none) {
    return std::nullopt;
  }
  WriteTarget target{std::move(path), {}};
  if (present) {
    auto contents = ReadWholeFile(target.path);
    if (!contents) return std::nullopt;
    target.contents = std::move(*contents);
  }
  return target;
}

bool WriteText(const std::filesystem::path& path, std::string_view text) {
  return WriteFileBytes(path,
                        std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// A batch of writes to one file, open from its first ProfileWriteBatch to the end of its last.
struct OpenBatch {
  std::filesystem::path path;         // as the file's name resolved
  std::optional<WriteTarget> target;  // nothing: the file may not be written
  bool edited = false;                // since the last commit
  int holders = 1;
};

class Batches {
 public:
  // The open batch of the file, or nullptr.
  OpenBatch* Find(const std::filesystem::path& path) {
    auto found = std::find_if(open_.begin(), open_.end(),
                              [&](const OpenBatch& batch) { return batch.path == path; });
    return found == open_.end() ? nullptr : &*found;
  }
  void Open(const std::filesystem::path& path) {
    if (OpenBatch* batch = Find(path)) {
      ++batch->holders;
      return;
    }
    open_.push_back(OpenBatch{path, OpenForWriting(path)});
  }
  void Close(const std::filesystem::path& path) {
    OpenBatch* batch = Find(path);
    if (batch != nullptr && --batch->holders == 0)
      open_.erase(open_.begin() + (batch - open_.data()));
  }

 private:
  std::vector<OpenBatch> open_;
};

// Profile writes run on the program's one thread, as its dialogs and loops do.
Batches& OpenBatches() {
  static Batches batches;
  return batches;
}

// A file read under a ProfileReadScope: its parse, taken at the first read.
struct HeldFile {
  std::string name;  // as the caller gives it
  std::shared_ptr<const ProfileIndex> index;
  bool fetched = false;
  int holders = 1;
};

// Profile reads, like writes, run on the program's one thread.
std::vector<HeldFile>& HeldFiles() {
  static std::vector<HeldFile> held;
  return held;
}

// The parse a read of the file answers from.
std::shared_ptr<const ProfileIndex> IndexToRead(std::string_view fileName) {
  for (HeldFile& held : HeldFiles()) {
    if (held.name != fileName) continue;
    if (!held.fetched) {
      held.index = Cache().Index(fileName);
      held.fetched = true;
    }
    return held.index;
  }
  return Cache().Index(fileName);
}

// A write to the file: a scope that holds it reads it afresh. Writes are few, so the names are
// resolved here rather than at every scope.
void ReleaseHeld(const std::filesystem::path& path) {
  for (HeldFile& held : HeldFiles()) {
    if (held.fetched && ResolvePath(held.name) == path) held.fetched = false;
  }
}

bool WriteProfileFile(const std::filesystem::path& path, std::string_view section,
                      std::string_view key, std::string_view value) {
  if (OpenBatch* batch = OpenBatches().Find(path)) {
    if (!batch->target) return false;
    auto edited = SetProfileValue(batch->target->contents, section, key, value);
    if (!edited) return false;
    batch->target->contents = std::move(*edited);
    batch->edited = true;
    return true;
  }
  auto target = OpenForWriting(path);
  if (!target) return false;
  auto edited = SetProfileValue(target->contents, section, key, value);
  return edited && WriteText(target->path, *edited);
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view contents, std::string_view section,
                                            std::string_view key) {
  const ProfileIndex index{std::string(contents)};
  auto value = index.Find(section, key);
  if (!value) return std::nullopt;
  return std::string(*value);
}

std::optional<std::string> SetProfileValue(std::string_view contents, std::string_view section,
                                           std::string_view key, std::string_view value) {
  if (TrimBlanks(section).empty() || TrimBlanks(key).empty() || HasLineBreak(section) ||
      HasLineBreak(key) || HasLineBreak(value) ||
      section.find_first_of(std::string_view("]\0", 2)) != std::string_view::npos ||
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
  auto index = IndexToRead(fileName);
  auto value = index ? index->Find(section, key) : std::nullopt;
  return CutToBuffer(value ? *value : defaultText, bufferSize);
}

std::vector<std::string> GetProfileKeyNames(std::string_view section, std::string_view fileName) {
  auto index = IndexToRead(fileName);
  return index ? index->KeyNames(section) : std::vector<std::string>();
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view fileName) {
  const std::filesystem::path path = ResolvePath(fileName);
  const bool written = WriteProfileFile(path, section, key, value);
  // Parsed afresh at its next read, however coarse the clock of its folder.
  Cache().Forget(path);
  ReleaseHeld(path);
  return written;
}

ProfileReadScope::ProfileReadScope(std::string_view fileName) : fileName_(fileName) {
  std::vector<HeldFile>& held = HeldFiles();
  auto found = std::find_if(held.begin(), held.end(),
                            [&](const HeldFile& file) { return file.name == fileName_; });
  if (found != held.end()) {
    ++found->holders;
  } else {
    held.push_back(HeldFile{fileName_, nullptr});
  }
}

ProfileReadScope::~ProfileReadScope() {
  std::vector<HeldFile>& held = HeldFiles();
  auto found = std::find_if(held.begin(), held.end(),
                            [&](const HeldFile& file) { return file.name == fileName_; });
  if (found != held.end() && --found->holders == 0) held.erase(found);
}

ProfileWriteBatch::ProfileWriteBatch(std::string_view fileName) : path_(ResolvePath(fileName)) {
  OpenBatches().Open(path_);
}

ProfileWriteBatch::~ProfileWriteBatch() { OpenBatches().Close(path_); }

bool ProfileWriteBatch::Commit() {
  OpenBatch* batch = OpenBatches().Find(path_);
  if (batch == nullptr || !batch->target) return false;
  if (batch->holders > 1 || !batch->edited) return true;
  batch->edited = false;
  const bool written = WriteText(batch->target->path, batch->target->contents);
  Cache().Forget(path_);
  ReleaseHeld(path_);
  return written;
}

}  // namespace win
