#include "platform/win/byte_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace win {

namespace {

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void ByteWriter::FixedString(std::string_view text, size_t length) {
  text = text.substr(0, length);
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  bytes_.insert(bytes_.end(), length - text.size(), ' ');
}

void ByteWriter::LengthPrefixedString(std::string_view text) {
  if (text.size() > std::numeric_limits<uint16_t>::max()) {
    ok_ = false;
    return;
  }
  U16(static_cast<uint16_t>(text.size()));
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

namespace {

constexpr std::string_view TemporaryMark = ".tmp-";
constexpr size_t TemporaryUniqueChars = 6;  // the characters mkstemp puts in place of XXXXXX

bool IsTemporaryName(std::string_view name) {
  const size_t mark = name.rfind(TemporaryMark);
  return name.size() > 1 && name.front() == '.' && mark != std::string_view::npos && mark > 1 &&
         name.size() - mark - TemporaryMark.size() == TemporaryUniqueChars;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::filesystem::path& path)
    : path_(path),
      temporary_((path.parent_path() /
                  ("." + path.filename().string() + std::string(TemporaryMark) + "XXXXXX"))
                     .string()) {
  const int descriptor = ::mkstemp(temporary_.data());
  if (descriptor < 0) return;
  struct stat existing {};
  const mode_t mode =
      ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
  if (::fchmod(descriptor, mode) == 0) stream_ = ::fdopen(descriptor, "wb");
  if (stream_ == nullptr) {
    ::close(descriptor);
    ::unlink(temporary_.c_str());
  }
}

ReplacingFile::~ReplacingFile() {
  if (stream_ == nullptr) return;
  std::fclose(stream_);
  ::unlink(temporary_.c_str());
}

bool ReplacingFile::Finish() {
  if (stream_ == nullptr) return false;
  bool ok = !failed_ && std::fflush(stream_) == 0 && ::fsync(::fileno(stream_)) == 0;
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  if (!ok) ::unlink(temporary_.c_str());
  return ok;
}

bool ReplacingFile::Commit() {
  if (!Finish()) return false;
  if (::rename(temporary_.c_str(), path_.c_str()) == 0) return true;
  ::unlink(temporary_.c_str());
  return false;
}

bool ReplacingFile::CommitWithoutReplacing(bool* taken) {
  if (taken != nullptr) *taken = false;
  if (!Finish()) return false;
  if (RenameWithoutReplacing(temporary_, path_)) return true;
  if (taken != nullptr) *taken = errno == EEXIST;
  ::unlink(temporary_.c_str());
  return false;
}

namespace {

// The bytes into the file's stream; marks it failed when they do not all go.
void WriteAll(ReplacingFile& file, std::span<const uint8_t> bytes) {
  if (file.Stream() != nullptr && !bytes.empty() &&
      std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) != bytes.size()) {
    file.Fail();
  }
}

}  // namespace

bool WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  ReplacingFile file(path);
  WriteAll(file, bytes);
  return file.Commit();
}

bool WriteNewFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                       bool* taken) {
  ReplacingFile file(path);
  WriteAll(file, bytes);
  return file.CommitWithoutReplacing(taken);
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system that cannot rename without replacing still links without replacing.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

int RemoveStaleTemporaries(const std::filesystem::path& folder) {
  int removed = 0;
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    const std::filesystem::directory_entry& entry = *entries;
    std::error_code kind;
    if (!IsTemporaryName(entry.path().filename().string()) || !entry.is_regular_file(kind))
      continue;
    std::error_code gone;
    if (std::filesystem::remove(entry.path(), gone)) ++removed;
  }
  return removed;
}

}  // namespace win
