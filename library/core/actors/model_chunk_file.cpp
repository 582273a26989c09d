#include "library/core/actors/model_chunk_file.h"

#include <cstring>
#include <optional>
#include <utility>

#include "library/core/frame/file_paths.h"
#include "library/core/vortanautil.h"

namespace {

// The reader the primitives use, and the error kept until the next failure.
ModelChunkReader* CurrentReader = nullptr;
int32_t LastError = kModelChunkErrorNone;

ModelChunkReader* Refuse(int32_t error) {
  LastError = error;
  return nullptr;
}

bool FitsInFile(const ModelChunkReader& file, int64_t offset, int64_t size) {
  return offset >= 0 && size >= 0 && offset <= static_cast<int64_t>(file.bytes.size()) &&
         size <= static_cast<int64_t>(file.bytes.size()) - offset;
}

// Moves the current reader to an entry's chunk, which the open checked lies inside the file.
const ModelChunkEntry* EnterChunk(int32_t index) {
  const ModelChunkEntry& entry = CurrentReader->directory[static_cast<size_t>(index)];
  CurrentReader->reader.Seek(static_cast<size_t>(entry.offset));
  return &entry;
}

// Reads a count and skips its elements; false when the count is negative or they do not fit.
bool SkipElements(win::ByteReader& reader, int32_t& count, size_t elementSize) {
  count = reader.I32();
  if (!reader.Ok() || count < 0 || static_cast<size_t>(count) > reader.Remaining() / elementSize)
    return false;
  return reader.Skip(static_cast<size_t>(count) * elementSize);
}

// Adds one chunk's counts to the summary; false for a chunk whose counts do not fit.
bool SumChunk(const ModelChunkEntry& entry, win::ByteReader& reader, ModelChunkSummary& summary) {
  switch (entry.type) {
    case kModelChunkPrefixedTriangles:
      reader.I32();
      [[fallthrough]];
    case kModelChunkTriangles:
      return SkipElements(reader, summary.triangleCount, kModelChunkTriangleSize);
    case kModelChunkIndices: {
      int32_t count = reader.I32();
      int32_t wide = reader.I32();
      size_t size = wide != 0 ? kModelChunkWideIndexSize : kModelChunkNarrowIndexSize;
      if (!reader.Ok() || count < 0 || static_cast<size_t>(count) > reader.Remaining() / size)
        return false;
      summary.indexCount = count;
      if (wide != 0)
        summary.flags |= kModelChunkWideIndices;
      else
        summary.flags &= ~kModelChunkWideIndices;
      return reader.Skip(static_cast<size_t>(count) * size);
    }
    case kModelChunkFrames:
      return SkipElements(reader, summary.frameCount, kModelChunkFrameSize);
    default:
      return true;
  }
}

std::optional<std::vector<uint8_t>> ReadModelFile(const char* path) {
  if (path == nullptr) return std::nullopt;
  return win::ReadFileBytes(HostPath(path), kModelChunkMaxFileSize);
}

template <typename T>
bool Write(const T& value) {
  if (CurrentReader == nullptr || CurrentReader->output == nullptr) return false;
  return std::fwrite(&value, sizeof(T), 1, CurrentReader->output) == 1;
}

template <typename T>
T Read() {
  if (CurrentReader == nullptr) return T{};
  T value{};
  auto raw = CurrentReader->reader.Bytes(sizeof(T));
  if (!raw.empty()) std::memcpy(&value, raw.data(), sizeof(T));
  return value;
}

}  // namespace

ModelChunkReader::~ModelChunkReader() {
  if (output != nullptr) std::fclose(output);
  if (CurrentReader == this) CurrentReader = nullptr;
}

ModelChunkReader* ModelChunkReader_OpenBytes(std::vector<uint8_t> bytes) {
  auto file = std::make_unique<ModelChunkReader>();
  file->bytes = std::move(bytes);
  file->reader = win::ByteReader(file->bytes);
  win::ByteReader& reader = file->reader;
  uint32_t magic = reader.U32();
  if (!reader.Ok() || magic != kModelChunkMagic) return Refuse(kModelChunkErrorMagic);
  int32_t chunkCount = reader.I32();
  int32_t directoryOffset = reader.I32();
  if (!reader.Ok() || chunkCount < 0 ||
      !FitsInFile(*file, directoryOffset,
                  static_cast<int64_t>(chunkCount) * static_cast<int64_t>(kModelChunkEntrySize)))
    return Refuse(kModelChunkErrorMalformed);
  reader.Seek(static_cast<size_t>(directoryOffset));
  file->directory.resize(static_cast<size_t>(chunkCount));
  for (ModelChunkEntry& entry : file->directory) {
    entry.type = reader.I32();
    entry.offset = reader.I32();
    entry.unused = reader.I32();
    if (!FitsInFile(*file, entry.offset, 0)) return Refuse(kModelChunkErrorMalformed);
  }
  file->chunkCount = chunkCount;
  CurrentReader = file.release();
  return CurrentReader;
}

ModelChunkReader* ModelChunkReader_Open(const char* path) {
  auto bytes = ReadModelFile(path);
  if (!bytes) return nullptr;
  return ModelChunkReader_OpenBytes(std::move(*bytes));
}

const ModelChunkEntry* ModelChunkReader_NextChunk() {
  if (CurrentReader == nullptr || CurrentReader->directory.empty()) {
    LastError = kModelChunkErrorNoDirectory;
    return nullptr;
  }
  if (CurrentReader->visited >= CurrentReader->chunkCount) {
    LastError = kModelChunkErrorNoChunk;
    return nullptr;
  }
  return EnterChunk(CurrentReader->visited++);
}

const ModelChunkEntry* ModelChunkReader_SeekChunk(int32_t index) {
  if (CurrentReader == nullptr || CurrentReader->directory.empty()) {
    LastError = kModelChunkErrorNoDirectory;
    return nullptr;
  }
  if (index < 0 || index >= CurrentReader->chunkCount) {
    LastError = kModelChunkErrorNoChunk;
    return nullptr;
  }
  return EnterChunk(index);
}

void ModelChunkReader_Close(ModelChunkReader* reader) { delete reader; }

int32_t ModelChunkReader_LastError() { return LastError; }

std::unique_ptr<ModelChunkSummary> ModelChunkFile_Read(std::vector<uint8_t> bytes) {
  std::unique_ptr<ModelChunkReader> file(ModelChunkReader_OpenBytes(std::move(bytes)));
  if (!file) return nullptr;
  auto summary = std::make_unique<ModelChunkSummary>();
  while (const ModelChunkEntry* entry = ModelChunkReader_NextChunk()) {
    if (!SumChunk(*entry, file->reader, *summary)) {
      LastError = kModelChunkErrorMalformed;
      return nullptr;
    }
  }
  summary->reader = std::move(file);
  return summary;
}

std::unique_ptr<ModelChunkSummary> ModelChunkFile_Open(const char* path) {
  if (path == nullptr) return nullptr;
  // A file missing on disk is taken from the open package archives.
  char resolved[kPathBufferSize];
  CopyToField(resolved, sizeof resolved, path);
  Archive_TestPakFile(resolved);
  auto bytes = ReadModelFile(resolved);
  if (!bytes) return nullptr;
  return ModelChunkFile_Read(std::move(*bytes));
}

uint8_t ModelChunk_ReadByte() { return Read<uint8_t>(); }

bool ModelChunk_ReadBytes(size_t count, uint8_t* buffer) {
  if (CurrentReader == nullptr) return false;
  auto raw = CurrentReader->reader.Bytes(count);
  if (raw.size() != count) return false;
  if (count != 0) std::memcpy(buffer, raw.data(), count);
  return true;
}

float ModelChunk_ReadFloat() { return Read<float>(); }
int32_t ModelChunk_ReadInt() { return Read<int32_t>(); }
int16_t ModelChunk_ReadShort() { return Read<int16_t>(); }

ModelChunkReader* ModelChunkWriter_Open(const char* path) {
  if (path == nullptr) return nullptr;
  std::FILE* output = std::fopen(HostPath(path).c_str(), "wb");
  if (output == nullptr) return nullptr;
  auto* file = new ModelChunkReader;
  file->output = output;
  CurrentReader = file;
  return file;
}

bool ModelChunk_WriteByte(uint8_t value) { return Write(value); }

bool ModelChunk_WriteBytes(std::span<const uint8_t> bytes) {
  if (CurrentReader == nullptr || CurrentReader->output == nullptr) return false;
  return std::fwrite(bytes.data(), 1, bytes.size(), CurrentReader->output) == bytes.size();
}

bool ModelChunk_WriteInt(int32_t value) { return Write(value); }
bool ModelChunk_WriteShort(int16_t value) { return Write(value); }
bool ModelChunk_WriteFloat(float value) { return Write(value); }
