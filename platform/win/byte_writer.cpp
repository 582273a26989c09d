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

bool WriteAll(int descriptor, std::span<const uint8_t> data) {
  while (!data.empty()) {
    ssize_t written = ::write(descriptor, data.data(), data.size());
    if (written <= 0) return false;
    data = data.subspan(static_cast<size_t>(written));
  }
  return true;
}

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

// The bytes in a new temporary file beside path, with path's permissions where it exists;
// its name, or nothing when it could not be written whole (then it is gone).
std::optional<std::string> WriteTemporary(const std::filesystem::path& path,
                                          std::span<const uint8_t> bytes) {
  std::string temporary = (path.parent_path() /
                           ("." + path.filename().string() + std::string(TemporaryMark) + "XXXXXX"))
                              .string();
  int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) return std::nullopt;
  struct stat existing {};
  mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
  bool ok =
      ::fchmod(descriptor, mode) == 0 && WriteAll(descriptor, bytes) && ::fsync(descriptor) == 0;
  ok = (::close(descriptor) == 0) && ok;
  if (ok) return temporary;
  ::unlink(temporary.c_str());
  return std::nullopt;
}

bool IsTemporaryName(std::string_view name) {
  const size_t mark = name.rfind(TemporaryMark);
  return name.size() > 1 && name.front() == '.' && mark != std::string_view::npos && mark > 1 &&
         name.size() - mark - TemporaryMark.size() == TemporaryUniqueChars;
}

}  // namespace

bool WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  const std::optional<std::string> temporary = WriteTemporary(path, bytes);
  if (!temporary) return false;
  if (::rename(temporary->c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary->c_str());
  return false;
}

bool WriteNewFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                       bool* taken) {
  if (taken != nullptr) *taken = false;
  const std::optional<std::string> temporary = WriteTemporary(path, bytes);
  if (!temporary) return false;
  if (RenameWithoutReplacing(*temporary, path)) return true;
  if (taken != nullptr) *taken = errno == EEXIST;
  ::unlink(temporary->c_str());
  return false;
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
