// The one bounds-checked reader of little-endian binary data that every file reader stands on.
//
// A read past the end never touches memory outside the buffer: it marks the reader failed, and from
// then on every read returns zero (or an empty value) and Ok() stays false. Readers can therefore
// read a whole record and check Ok() once, the way the record layouts are written down.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace win {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool Ok() const { return ok_; }
  size_t Position() const { return position_; }
  size_t Size() const { return bytes_.size(); }
  size_t Remaining() const { return ok_ ? bytes_.size() - position_ : 0; }
  bool AtEnd() const { return Remaining() == 0; }

  uint8_t U8() { return Scalar<uint8_t>(); }
  int8_t I8() { return Scalar<int8_t>(); }
  uint16_t U16() { return Scalar<uint16_t>(); }
  int16_t I16() { return Scalar<int16_t>(); }
  uint32_t U32() { return Scalar<uint32_t>(); }
  int32_t I32() { return Scalar<int32_t>(); }
  float F32() { return Scalar<float>(); }
  double F64() { return Scalar<double>(); }

  // The next count bytes, or an empty span (and failure) when fewer remain.
  std::span<const uint8_t> Bytes(size_t count);
  bool Skip(size_t count) { return !Bytes(count).empty() || count == 0; }
  // Moves to an absolute offset; an offset past the end fails.
  bool Seek(size_t offset);
  // A reader over the next count bytes, which this reader skips; fails both when too few remain.
  ByteReader Sub(size_t count);

  // A zero-terminated string of at most maxLength characters before its terminator. A string with
  // no terminator within maxLength + 1 bytes fails.
  std::string CString(size_t maxLength);
  // A string stored as its 16-bit length followed by its bytes.
  std::string LengthPrefixedString();

  void Fail() {
    ok_ = false;
    position_ = bytes_.size();
  }

 private:
  template <typename T>
  T Scalar() {
    static_assert(std::is_arithmetic_v<T>);
    static_assert(std::endian::native == std::endian::little, "records are stored little-endian");
    auto raw = Bytes(sizeof(T));
    T value{};
    if (!raw.empty()) std::memcpy(&value, raw.data(), sizeof(T));
    return value;
  }

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool ok_ = true;
};

// Reads a whole file; nothing when it cannot be opened or is larger than maxBytes.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                  size_t maxBytes);

}  // namespace win
