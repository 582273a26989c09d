// The writer of little-endian record files, the counterpart of ByteReader.
//
// Records are written member after member with no gaps: scalars in their own width, a fixed-length
// text as exactly its length, a variable-length text as its 16-bit length followed by its bytes.
// A text too long for its 16-bit length marks the writer failed instead of writing a record that
// would read back wrong; callers check Ok() once before saving.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace win {

class ByteWriter {
 public:
  bool Ok() const { return ok_; }
  const std::vector<uint8_t>& Data() const { return bytes_; }

  void U8(uint8_t value) { Scalar(value); }
  void I8(int8_t value) { Scalar(value); }
  void U16(uint16_t value) { Scalar(value); }
  void I16(int16_t value) { Scalar(value); }
  void U32(uint32_t value) { Scalar(value); }
  void I32(int32_t value) { Scalar(value); }
  void F32(float value) { Scalar(value); }
  void F64(double value) { Scalar(value); }

  void Bytes(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  // Exactly length bytes: the text cut to length, or padded with blanks up to it.
  void FixedString(std::string_view text, size_t length);
  // The text's 16-bit length, then its bytes.
  void LengthPrefixedString(std::string_view text);

 private:
  template <typename T>
  void Scalar(T value) {
    static_assert(std::is_arithmetic_v<T>);
    static_assert(std::endian::native == std::endian::little, "records are stored little-endian");
    uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes_.insert(bytes_.end(), raw, raw + sizeof(T));
  }

  std::vector<uint8_t> bytes_;
  bool ok_ = true;
};

// A file written under a temporary name in the folder of its final one, which takes the final name
// only when Commit finds it whole: until then, and for ever when writing or closing fails, a file
// already at the final name stays as it was. An existing file keeps its permissions. A file
// destroyed uncommitted leaves nothing behind.
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::filesystem::path& path);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // The binary stream to write, or null when no temporary file could be made.
  std::FILE* Stream() const { return stream_; }
  // Marks the writing failed: Commit will not replace the old file.
  void Fail() { failed_ = true; }
  // Flushes the stream to the disk, closes it and renames the temporary file over the final one.
  // False, with the temporary file removed, when any step fails or Fail was called.
  bool Commit();

 private:
  std::filesystem::path path_;
  std::string temporary_;
  std::FILE* stream_ = nullptr;
  bool failed_ = false;
};

// Replaces the file at path with bytes through a ReplacingFile. False when the file could not be
// written.
bool WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace win
