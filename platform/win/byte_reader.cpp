#include "platform/win/byte_reader.h"

#include <algorithm>
#include <fstream>

namespace win {

std::span<const uint8_t> ByteReader::Bytes(size_t count) {
  if (!ok_ || count > bytes_.size() - position_) {
    Fail();
    return {};
  }
  auto taken = bytes_.subspan(position_, count);
  position_ += count;
  return taken;
}

bool ByteReader::Seek(size_t offset) {
  if (!ok_ || offset > bytes_.size()) {
    Fail();
    return false;
  }
  position_ = offset;
  return true;
}

ByteReader ByteReader::Sub(size_t count) {
  auto body = Bytes(count);
  ByteReader sub(body);
  if (!ok_) sub.Fail();
  return sub;
}

std::string ByteReader::CString(size_t maxLength) {
  if (!ok_) return {};
  size_t limit = std::min(maxLength + 1, bytes_.size() - position_);
  const uint8_t* start = bytes_.data() + position_;
  const void* end = std::memchr(start, 0, limit);
  if (end == nullptr) {
    Fail();
    return {};
  }
  size_t length = static_cast<const uint8_t*>(end) - start;
  std::string text(reinterpret_cast<const char*>(start), length);
  position_ += length + 1;
  return text;
}

std::string ByteReader::LengthPrefixedString() {
  uint16_t length = U16();
  auto raw = Bytes(length);
  if (!ok_) return {};
  return std::string(raw.begin(), raw.end());
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                  size_t maxBytes) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return std::nullopt;
  std::streamoff size = file.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > maxBytes) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
  return bytes;
}

}  // namespace win
