#include "platform/win/byte_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <string>

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

bool WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  std::string temporary =
      (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  int descriptor = ::mkstemp(temporary.data());
  if (descriptor < 0) return false;
  struct stat existing {};
  mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
  bool ok =
      ::fchmod(descriptor, mode) == 0 && WriteAll(descriptor, bytes) && ::fsync(descriptor) == 0;
  ok = (::close(descriptor) == 0) && ok;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace win
