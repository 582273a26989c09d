// The table of open 3DS files and the binary primitives that read and write the current one.
//
// A 3DS file is little-endian throughout. A file opened for reading is taken into memory whole when
// it is opened and every read goes through a bounds-checked reader over those bytes, so no length
// or count in a file can make a read leave the file; a read past the end is ERR_READING_FILE and
// yields 0. A file opened for writing is a buffered stream.
//
// At most 252 files are registered at once. Chunk nodes remember the slot of the file their data
// still lies in, so a file stays in its slot until it is closed or released from it.
//
// A file opened for writing is written under a temporary name beside its own and takes its name
// when it is closed with no error pending; a write that failed, or a close with an error pending,
// leaves a file already of that name as it was. A close that cannot finish the file pushes
// ERR_CLOSING_FILE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "library/toolkit3ds/toolkit_types.h"
#include "platform/win/byte_reader.h"
#include "platform/win/byte_writer.h"

inline constexpr int kMaxFiles3ds = 252;
inline constexpr uint8_t kNoFileIndex3ds = 255;
inline constexpr size_t kMaxFileNameLength3ds = 512;  // characters
inline constexpr size_t kMaxModeLength3ds = 30;       // characters

enum FileMode3ds : uint8_t {
  kModeUnknown3ds = 0,
  kModeRead3ds = 1,
  kModeWrite3ds = 2,
};

struct File3ds {
  FILE* stream = nullptr;
  std::string name;
  uint8_t mode = kModeUnknown3ds;
  uint8_t tableIndex = kNoFileIndex3ds;
  std::unique_ptr<char[]> buffer;
  int32_t bufferSize = 0;  // bytes
  bool deleteOnClose = false;
  // Write mode: the temporary file the stream writes, which takes the name at the close. Declared
  // after the buffer, which its stream may use until it is closed.
  std::unique_ptr<win::ReplacingFile> replacing;
  // Read mode: the file's bytes as they were when it was opened, and the read position in them.
  std::vector<uint8_t> contents;
  win::ByteReader reader;
};

struct FileTableState3ds {
  std::vector<File3ds*> slots;  // empty until the first registration
  uint8_t used = 0;             // high-water mark of slots ever used
  File3ds* current = nullptr;
  uint8_t currentIndex = 0;
};

extern FileTableState3ds FileTable3ds;
extern int32_t StreamBufferSize3ds;  // bytes

// File table.
void InitFileTable3ds();
void ReleaseFileTable3ds();
void RegisterFile3ds(File3ds* file);
void ReleaseFileSlot3ds(File3ds* file);
void SelectFile3ds(uint8_t index);
File3ds* GetFileByIndex3ds(uint8_t index);
File3ds* FindFileByName3ds(const char* name);
uint8_t GetCurrentFileIndex3ds();
bool IsFileIndexValid3ds(uint8_t index);
void SetCurrentFile3ds(File3ds* file);
File3ds* GetCurrentFile3ds();
void SetFileName3ds(const char* name);
const char* GetFileName3ds();
void SetFileStream3ds(FILE* stream);
FILE* GetFileStream3ds();
File3ds* NewFileRecord3ds();
// Opens name for reading ("r") or writing ("w"); none on failure, with the reason on the error
// stack.
File3ds* OpenFile3ds(const char* name, const char* mode);
uint32_t GetFilePosition3ds();
// False when the offset lies beyond the end of a file open for reading, or the seek fails.
bool SetFilePosition3ds(uint32_t offset);
// Bytes of the current file from the position to its end (0 for a file not open for reading).
size_t GetFileBytesLeft3ds();
void CloseFile3ds(File3ds* file);
void CloseAllFiles3ds();
void MoveReadFileAside3ds(File3ds* file);

// Texts.
int CompareTextNoCase3ds(const char* a, const char* b);
size_t CheckStringLength3ds(const char* text, size_t limit);
// Copies text into a fixed field of size characters with its terminator, cutting it to fit.
void CopyName3ds(char* field, size_t size, const std::string& text);

// Primitives on the current file.
int8_t ReadByte3ds();
uint8_t ReadUByte3ds();
uint16_t ReadWord3ds();
int16_t ReadShort3ds();
uint32_t ReadDword3ds();
int32_t ReadLong3ds();
float ReadFloat3ds();
double ReadDouble3ds();
point3ds ReadPoint3ds();
textvert3ds ReadTextVert3ds();
face3ds ReadFace3ds();
void ReadChunkHeader3ds(uint16_t* tag, uint32_t* length);
void ReadTrackHeader3ds(trackheader3ds* header);
void ReadKeyHeader3ds(keyheader3ds* key);
bool ReadBytes3ds(size_t count, void* buffer);
bool SkipBytes3ds(size_t count);
// Reads up to and including the first zero byte, at most limit bytes.
bool ReadString3ds(char* buffer, size_t limit);
// A string of at most limit characters and its terminator.
bool ReadNewString3ds(std::string* out, size_t limit);
// A field of size bytes holding a zero-terminated string and its padding.
bool ReadFixedString3ds(char* buffer, size_t size);
bool ReadNewFixedString3ds(std::string* out, size_t limit);

void WriteByte3ds(int8_t value);
void WriteUByte3ds(uint8_t value);
void WriteWord3ds(uint16_t value);
void WriteShort3ds(int16_t value);
void WriteDword3ds(uint32_t value);
void WriteLong3ds(int32_t value);
void WriteFloat3ds(float value);
void WriteDouble3ds(double value);
void WritePoint3ds(const point3ds& point);
void WriteTextVert3ds(const textvert3ds& vertex);
void WriteFace3ds(const face3ds& face);
void WriteChunkHeader3ds(uint16_t tag, uint32_t length);
void WriteTrackHeader3ds(const trackheader3ds& header);
void WriteKeyHeader3ds(const keyheader3ds& key);
void WriteBytes3ds(size_t count, const void* bytes);
void WriteString3ds(const char* text);
void WriteFixedString3ds(const char* text, size_t size);
// Stores end - start as the length of the chunk that begins at start, leaving the position at end.
void FinishChunkHeader3ds(uint32_t start, uint32_t end);
