// Feeds arbitrary bytes to the chunked model file reader, then walks what it accepts again by
// index through the primitive readers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "library/core/actors/model_chunk_file.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  std::vector<uint8_t> bytes(data, data + size);
  if (auto summary = ModelChunkFile_Read(bytes)) {
    ModelChunkReader* reader = ModelChunkReader_OpenBytes(std::move(bytes));
    for (int32_t i = 0; reader != nullptr && i < reader->chunkCount; ++i) {
      if (ModelChunkReader_SeekChunk(i) != nullptr) {
        volatile int32_t word = ModelChunk_ReadInt();
        (void)word;
      }
    }
    ModelChunkReader_Close(reader);
  }
  return 0;
}
