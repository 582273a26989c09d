// Little-endian output for the file writers of this layer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace d3dx {

class ByteWriter {
 public:
  void U8(uint8_t value) { bytes_.push_back(value); }
  void U16(uint16_t value) { Little(value, 2); }
  void U32(uint32_t value) { Little(value, 4); }
  void I32(int32_t value) { Little(static_cast<uint32_t>(value), 4); }
  void Bytes(std::span<const uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }

  size_t Size() const { return bytes_.size(); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  void Little(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace d3dx
