#include "platform/win/byte_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <string>

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

ReplacingFile::ReplacingFile(const std::filesystem::path& path)
    : path_(path),
      temporary_((path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string()) {
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

bool ReplacingFile::Commit() {
  if (stream_ == nullptr) return false;
  bool ok = !failed_ && std::fflush(stream_) == 0 && ::fsync(::fileno(stream_)) == 0;
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  ok = ok && ::rename(temporary_.c_str(), path_.c_str()) == 0;
  if (!ok) ::unlink(temporary_.c_str());
  return ok;
}

bool WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  ReplacingFile file(path);
  if (file.Stream() != nullptr && !bytes.empty() &&
      std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) != bytes.size()) {
    file.Fail();
  }
  return file.Commit();
}

}  // namespace win
