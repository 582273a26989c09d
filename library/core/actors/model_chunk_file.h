// The reader of "OMZK" chunked model files, and the primitive writers that make them.
//
// The file, little-endian:
// - header: the magic word "OMZK", the chunk count (int32) and the directory's offset (int32, from
//   the start of the file);
// - the directory: chunk count entries of 12 bytes: chunk type, chunk offset (from the start of the
//   file) and a third word nothing reads;
// - chunk 0x1001: a count (int32), then count records of 24 bytes; chunk 0x2000: one int32, then
//   the same layout; chunk 0x3001: a count, a width flag (int32), then count entries of 12 bytes
//   when the flag is not 0, else of 6 bytes; chunk 0x4001: a count, then count records of 284
//   bytes.
//
// What the elements hold is not settled by any user of the format, so the summary keeps only their
// counts. The file is read whole and walked through the bounds-checked reader: a directory or a
// chunk reaching past the end of the file is refused when the reader opens, a count whose
// elements do not fit when the chunks are summed up.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

#include "platform/win/byte_reader.h"

inline constexpr uint32_t kModelChunkMagic = 0x4B5A4D4F;  // "OMZK" read as one little-endian word

inline constexpr int32_t kModelChunkTriangles = 0x1001;
inline constexpr int32_t kModelChunkPrefixedTriangles = 0x2000;
inline constexpr int32_t kModelChunkIndices = 0x3001;
inline constexpr int32_t kModelChunkFrames = 0x4001;

inline constexpr size_t kModelChunkTriangleSize = 24;       // bytes per 0x1001 or 0x2000 record
inline constexpr size_t kModelChunkWideIndexSize = 12;      // bytes per 0x3001 entry, flag set
inline constexpr size_t kModelChunkNarrowIndexSize = 6;     // bytes per 0x3001 entry, flag clear
inline constexpr size_t kModelChunkFrameSize = 284;         // bytes per 0x4001 record
inline constexpr size_t kModelChunkEntrySize = 12;          // bytes per directory entry
inline constexpr size_t kModelChunkMaxFileSize = 64 << 20;  // bytes

// The last error codes.
inline constexpr int32_t kModelChunkErrorNone = 0;
inline constexpr int32_t kModelChunkErrorMagic = 1;
inline constexpr int32_t kModelChunkErrorNoChunk = 2;  // past the last entry, or an index outside
inline constexpr int32_t kModelChunkErrorNoDirectory = -1;
inline constexpr int32_t kModelChunkErrorMalformed = 3;  // a directory, chunk or count past the end

struct ModelChunkEntry {
  int32_t type;
  int32_t offset;
  int32_t unused;
};

// One open file: read whole for reading, or a stream the primitive writers append to.
struct ModelChunkReader {
  ModelChunkReader() = default;
  ModelChunkReader(const ModelChunkReader&) = delete;
  ModelChunkReader& operator=(const ModelChunkReader&) = delete;
  ~ModelChunkReader();

  std::vector<uint8_t> bytes;
  win::ByteReader reader;
  std::FILE* output = nullptr;
  std::vector<ModelChunkEntry> directory;
  int32_t chunkCount = 0;
  int32_t visited = 0;
};

inline constexpr int32_t kModelChunkWideIndices = 1;  // summary flag: 0x3001 entries are 12 bytes

struct ModelChunkSummary {
  int32_t triangleCount = 0;
  int32_t indexCount = 0;
  int32_t frameCount = 0;
  int32_t flags = 0;
  std::unique_ptr<ModelChunkReader> reader;
  int32_t reserved[2] = {0, 0};
};

// Opens the file and walks every chunk; nothing for a null path, a file that does not open or that
// the reader refuses.
std::unique_ptr<ModelChunkSummary> ModelChunkFile_Open(const char* path);
// The same walk over bytes already in memory.
std::unique_ptr<ModelChunkSummary> ModelChunkFile_Read(std::vector<uint8_t> bytes);

// A new reader, made current; null when the file does not open, its magic is wrong or its directory
// does not lie inside it.
ModelChunkReader* ModelChunkReader_Open(const char* path);
ModelChunkReader* ModelChunkReader_OpenBytes(std::vector<uint8_t> bytes);
// The next directory entry, the current reader moved to its chunk; null past the last one.
const ModelChunkEntry* ModelChunkReader_NextChunk();
// The entry at index, the current reader moved to its chunk; null for an index outside.
const ModelChunkEntry* ModelChunkReader_SeekChunk(int32_t index);
// Closes the file and frees the reader, which stops being current.
void ModelChunkReader_Close(ModelChunkReader* reader);
int32_t ModelChunkReader_LastError();

// The current reader's primitives; zero (false for the buffer) when there is none or too few bytes
// remain.
uint8_t ModelChunk_ReadByte();
bool ModelChunk_ReadBytes(size_t count, uint8_t* buffer);
float ModelChunk_ReadFloat();
int32_t ModelChunk_ReadInt();
int16_t ModelChunk_ReadShort();

// A new current reader over a file opened for binary writing; null when it cannot be opened.
ModelChunkReader* ModelChunkWriter_Open(const char* path);
// The current file's primitives; false when there is none or the write fails.
bool ModelChunk_WriteByte(uint8_t value);
bool ModelChunk_WriteBytes(std::span<const uint8_t> bytes);
bool ModelChunk_WriteInt(int32_t value);
bool ModelChunk_WriteShort(int16_t value);
bool ModelChunk_WriteFloat(float value);
