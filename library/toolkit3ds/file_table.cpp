#include "library/toolkit3ds/file_table.h"

#include <unistd.h>

#include <cstring>
#include <limits>
#include <new>

#include "library/toolkit3ds/error_stack.h"
#include "platform/win/ascii_case.h"

FileTableState3ds FileTable3ds;
int32_t StreamBufferSize3ds = 8192;

namespace {

// A 3DS chunk length is a double word, so no larger file can be one.
constexpr uint64_t kMaxReadFileSize = std::numeric_limits<uint32_t>::max();  // bytes

bool IsPathSeparator(char c) { return c == '/' || c == ':' || c == '\\'; }

size_t FileNamePartStart(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i;
  }
  return 0;
}

void InstallStreamBuffer(File3ds* file) {
  if (file->bufferSize <= 0 && StreamBufferSize3ds > 0) {
    file->buffer.reset(new (std::nothrow) char[StreamBufferSize3ds]);
    if (file->buffer) file->bufferSize = StreamBufferSize3ds;
  }
  if (file->buffer) std::setvbuf(file->stream, file->buffer.get(), _IOFBF, file->bufferSize);
}

// Takes the whole of a stream just opened for reading into the record.
bool LoadContents(File3ds* file) {
  if (std::fseek(file->stream, 0, SEEK_END) != 0) return false;
  long size = std::ftell(file->stream);
  if (size < 0 || static_cast<uint64_t>(size) > kMaxReadFileSize) return false;
  std::rewind(file->stream);
  try {
    file->contents.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    PushError3ds(ERR_NO_MEM);
    return false;
  }
  if (std::fread(file->contents.data(), 1, file->contents.size(), file->stream) !=
      file->contents.size()) {
    return false;
  }
  file->reader = win::ByteReader(file->contents);
  return true;
}

File3ds* ReadableCurrentFile() {
  File3ds* file = FileTable3ds.current;
  return file != nullptr && file->mode == kModeRead3ds ? file : nullptr;
}

File3ds* WritableCurrentFile() {
  File3ds* file = FileTable3ds.current;
  return file != nullptr && file->mode == kModeWrite3ds && file->stream != nullptr ? file : nullptr;
}

// The next count bytes of the current file, or none (and ERR_READING_FILE) when fewer remain.
const uint8_t* TakeBytes(size_t count) {
  static constexpr uint8_t kNothing = 0;
  File3ds* file = ReadableCurrentFile();
  if (file != nullptr) {
    auto bytes = file->reader.Bytes(count);
    if (file->reader.Ok()) return count == 0 ? &kNothing : bytes.data();
  }
  PushError3ds(ERR_READING_FILE);
  return nullptr;
}

template <typename T>
T ReadValue() {
  T value{};
  if (const uint8_t* bytes = TakeBytes(sizeof(T))) std::memcpy(&value, bytes, sizeof(T));
  return value;
}

template <typename T>
void WriteValue(const T& value) {
  WriteBytes3ds(sizeof(T), &value);
}

void DiscardUnregistered(File3ds* file) {
  ReleaseFileSlot3ds(file);
  delete file;
}

}  // namespace

void InitFileTable3ds() {
  try {
    FileTable3ds.slots.assign(kMaxFiles3ds, nullptr);
  } catch (const std::bad_alloc&) {
    PushError3ds(ERR_NO_MEM);
    return;
  }
  FileTable3ds.used = 0;
  FileTable3ds.currentIndex = 0;
}

void ReleaseFileTable3ds() {
  FileTable3ds.slots.clear();
  FileTable3ds.slots.shrink_to_fit();
  FileTable3ds.used = 0;
  FileTable3ds.currentIndex = 0;
  FileTable3ds.current = nullptr;
}

void RegisterFile3ds(File3ds* file) {
  if (file == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  if (FileTable3ds.slots.empty()) {
    InitFileTable3ds();
    if (ErrorsPending3ds()) return;
  }
  int index = 0;
  while (index < FileTable3ds.used && FileTable3ds.slots[index] != nullptr) ++index;
  if (index >= kMaxFiles3ds) {
    PushError3ds(ERR_TOO_MANY_FILES);
    return;
  }
  FileTable3ds.slots[index] = file;
  file->tableIndex = static_cast<uint8_t>(index);
  if (index == FileTable3ds.used) ++FileTable3ds.used;
}

void ReleaseFileSlot3ds(File3ds* file) {
  if (file == nullptr || !IsFileIndexValid3ds(file->tableIndex)) return;
  if (FileTable3ds.slots[file->tableIndex] != file) return;
  FileTable3ds.slots[file->tableIndex] = nullptr;
  file->tableIndex = kNoFileIndex3ds;
  if (FileTable3ds.current == file) FileTable3ds.current = nullptr;
}

void SelectFile3ds(uint8_t index) {
  if (File3ds* file = GetFileByIndex3ds(index)) {
    FileTable3ds.current = file;
    FileTable3ds.currentIndex = index;
  }
}

File3ds* GetFileByIndex3ds(uint8_t index) {
  if (index >= FileTable3ds.used) return nullptr;
  return FileTable3ds.slots[index];
}

File3ds* FindFileByName3ds(const char* name) {
  if (name == nullptr) return nullptr;
  for (int index = 0; index < FileTable3ds.used; ++index) {
    File3ds* file = FileTable3ds.slots[index];
    if (file != nullptr && file->name == name) return file;
  }
  return nullptr;
}

uint8_t GetCurrentFileIndex3ds() { return FileTable3ds.currentIndex; }

bool IsFileIndexValid3ds(uint8_t index) {
  return index != kNoFileIndex3ds && GetFileByIndex3ds(index) != nullptr;
}

void SetCurrentFile3ds(File3ds* file) {
  FileTable3ds.current = file;
  if (file != nullptr) FileTable3ds.currentIndex = file->tableIndex;
}

File3ds* GetCurrentFile3ds() { return FileTable3ds.current; }

void SetFileName3ds(const char* name) {
  File3ds* file = FileTable3ds.current;
  if (file == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  size_t length = CheckStringLength3ds(name, kMaxFileNameLength3ds);
  if (ErrorsPending3ds()) return;
  file->name.assign(name, length);
}

const char* GetFileName3ds() {
  File3ds* file = FileTable3ds.current;
  return file != nullptr ? file->name.c_str() : nullptr;
}

void SetFileStream3ds(FILE* stream) {
  File3ds* file = FileTable3ds.current;
  if (file == nullptr || stream == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  // The caller's stream is the file from now on: a temporary one made by the open goes.
  file->replacing.reset();
  file->stream = stream;
  if (file->mode == kModeRead3ds && !LoadContents(file)) PushError3ds(ERR_READING_FILE);
}

FILE* GetFileStream3ds() {
  File3ds* file = FileTable3ds.current;
  return file != nullptr ? file->stream : nullptr;
}

File3ds* NewFileRecord3ds() {
  File3ds* file = new (std::nothrow) File3ds;
  if (file == nullptr) PushError3ds(ERR_NO_MEM);
  return file;
}

File3ds* OpenFile3ds(const char* name, const char* mode) {
  if (name == nullptr || mode == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  File3ds* open = FindFileByName3ds(name);
  File3ds* file = NewFileRecord3ds();
  if (ErrorsPending3ds()) {
    delete file;
    PushError3ds(ERR_INIT_FAILED);
    return nullptr;
  }
  RegisterFile3ds(file);
  if (ErrorsPending3ds()) {
    delete file;
    return nullptr;
  }
  file->name = name;

  size_t modeLength = CheckStringLength3ds(mode, kMaxModeLength3ds);
  if (ErrorsPending3ds()) {
    DiscardUnregistered(file);
    return nullptr;
  }
  for (size_t i = 0; i < modeLength && file->mode == kModeUnknown3ds; ++i) {
    if (mode[i] == 'r') file->mode = kModeRead3ds;
    if (mode[i] == 'w') file->mode = kModeWrite3ds;
  }
  if (file->mode == kModeUnknown3ds) {
    DiscardUnregistered(file);
    PushError3ds(ERR_INIT_FAILED);
    return nullptr;
  }

  if (open != nullptr) {
    if (open->mode == file->mode) {
      DiscardUnregistered(file);
      return open;
    }
    if (open->mode == kModeRead3ds) {
      MoveReadFileAside3ds(open);
    } else {
      CloseFile3ds(open);
    }
    if (ErrorsPending3ds()) {
      DiscardUnregistered(file);
      return nullptr;
    }
  }

  if (file->mode == kModeRead3ds) {
    file->stream = std::fopen(name, "rb");
  } else {
    file->replacing = std::make_unique<win::ReplacingFile>(name);
    file->stream = file->replacing->Stream();
  }
  if (file->stream == nullptr) {
    DiscardUnregistered(file);
    PushError3ds(ERR_OPENING_FILE);
    return nullptr;
  }
  InstallStreamBuffer(file);
  if (file->mode == kModeRead3ds && !LoadContents(file)) {
    CloseFile3ds(file);
    PushError3ds(ERR_OPENING_FILE);
    return nullptr;
  }
  return file;
}

uint32_t GetFilePosition3ds() {
  File3ds* file = FileTable3ds.current;
  if (file == nullptr) return 0;
  if (file->mode == kModeRead3ds) return static_cast<uint32_t>(file->reader.Position());
  long position = file->stream != nullptr ? std::ftell(file->stream) : 0;
  return position < 0 ? 0 : static_cast<uint32_t>(position);
}

bool SetFilePosition3ds(uint32_t offset) {
  File3ds* file = FileTable3ds.current;
  if (file == nullptr) return false;
  if (file->mode == kModeRead3ds) {
    file->reader = win::ByteReader(file->contents);
    return file->reader.Seek(offset);
  }
  return file->stream != nullptr &&
         std::fseek(file->stream, static_cast<long>(offset), SEEK_SET) == 0;
}

size_t GetFileBytesLeft3ds() {
  File3ds* file = ReadableCurrentFile();
  return file != nullptr ? file->reader.Remaining() : 0;
}

void CloseFile3ds(File3ds* file) {
  if (file == nullptr) return;
  bool closed = true;
  if (file->replacing != nullptr) {
    // A write that met an error leaves the old file: the temporary one just goes.
    if (!ErrorsPending3ds()) closed = file->replacing->Commit();
    file->replacing.reset();
  } else if (file->stream != nullptr) {
    closed = std::fclose(file->stream) == 0;
  }
  if (file->deleteOnClose) std::remove(file->name.c_str());
  ReleaseFileSlot3ds(file);
  delete file;
  if (!closed) PushError3ds(ERR_CLOSING_FILE);
}

void CloseAllFiles3ds() {
  // Every file is closed even while an error is pending: the table is about to forget them.
  for (int index = 0; index < FileTable3ds.used; ++index) {
    if (FileTable3ds.slots[index] != nullptr) CloseFile3ds(FileTable3ds.slots[index]);
  }
  ReleaseFileTable3ds();
}

void MoveReadFileAside3ds(File3ds* file) {
  if (file == nullptr || file->stream == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return;
  }
  long position = std::ftell(file->stream);
  bool closed = std::fclose(file->stream) == 0;
  file->stream = nullptr;
  if (!closed) {
    PushError3ds(ERR_CLOSING_FILE);
    return;
  }
  // A fresh name in the file's own directory, so that the rename never crosses file systems.
  std::string pattern = file->name.substr(0, FileNamePartStart(file->name)) + "3dsXXXXXX";
  int descriptor = mkstemp(pattern.data());
  if (descriptor < 0) {
    PushError3ds(ERR_OPENING_FILE);
    return;
  }
  close(descriptor);
  if (std::rename(file->name.c_str(), pattern.c_str()) != 0) {
    std::remove(pattern.c_str());
    PushError3ds(ERR_OPENING_FILE);
    return;
  }
  file->deleteOnClose = true;
  file->name = pattern;
  file->stream = std::fopen(file->name.c_str(), "rb");
  if (file->stream == nullptr) {
    PushError3ds(ERR_OPENING_FILE);
    return;
  }
  if (file->buffer) std::setvbuf(file->stream, file->buffer.get(), _IOFBF, file->bufferSize);
  std::fseek(file->stream, position, SEEK_SET);
}

int CompareTextNoCase3ds(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int lowerA = static_cast<unsigned char>(win::FoldAsciiCase(*a));
    int lowerB = static_cast<unsigned char>(win::FoldAsciiCase(*b));
    if (lowerA != lowerB) return lowerA < lowerB ? -1 : 1;
    if (lowerA == 0) return 0;
  }
}

size_t CheckStringLength3ds(const char* text, size_t limit) {
  if (text == nullptr) {
    PushError3ds(ERR_INVALID_ARG);
    return 0;
  }
  const void* terminator = std::memchr(text, 0, limit + 1);
  if (terminator == nullptr) {
    PushError3ds(ERR_STRING_TOO_LONG);
    return 0;
  }
  return static_cast<size_t>(static_cast<const char*>(terminator) - text);
}

void CopyName3ds(char* field, size_t size, const std::string& text) {
  size_t length = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, size - length);
}

int8_t ReadByte3ds() { return ReadValue<int8_t>(); }
uint8_t ReadUByte3ds() { return ReadValue<uint8_t>(); }
uint16_t ReadWord3ds() { return ReadValue<uint16_t>(); }
int16_t ReadShort3ds() { return ReadValue<int16_t>(); }
uint32_t ReadDword3ds() { return ReadValue<uint32_t>(); }
int32_t ReadLong3ds() { return ReadValue<int32_t>(); }
float ReadFloat3ds() { return ReadValue<float>(); }
double ReadDouble3ds() { return ReadValue<double>(); }
point3ds ReadPoint3ds() { return ReadValue<point3ds>(); }
textvert3ds ReadTextVert3ds() { return ReadValue<textvert3ds>(); }
face3ds ReadFace3ds() { return ReadValue<face3ds>(); }

void ReadChunkHeader3ds(uint16_t* tag, uint32_t* length) {
  *tag = ReadWord3ds();
  *length = ReadDword3ds();
}

void ReadTrackHeader3ds(trackheader3ds* header) {
  header->flags = ReadWord3ds();
  header->nu1 = ReadDword3ds();
  header->nu2 = ReadDword3ds();
  header->keycount = ReadDword3ds();
}

void ReadKeyHeader3ds(keyheader3ds* key) {
  *key = keyheader3ds{};
  key->time = ReadDword3ds();
  key->rflags = ReadWord3ds();
  if (key->rflags & KEY_USE_TENS) key->tension = ReadFloat3ds();
  if (key->rflags & KEY_USE_CONT) key->continuity = ReadFloat3ds();
  if (key->rflags & KEY_USE_BIAS) key->bias = ReadFloat3ds();
  if (key->rflags & KEY_USE_EASE_TO) key->easeto = ReadFloat3ds();
  if (key->rflags & KEY_USE_EASE_FROM) key->easefrom = ReadFloat3ds();
}

bool ReadBytes3ds(size_t count, void* buffer) {
  const uint8_t* bytes = TakeBytes(count);
  if (bytes == nullptr) return false;
  if (count > 0) std::memcpy(buffer, bytes, count);
  return true;
}

bool SkipBytes3ds(size_t count) { return TakeBytes(count) != nullptr; }

namespace {

// Bytes up to and including the first zero byte within the next limit bytes of the current file;
// 0 (and ERR_READING_FILE) when there is none.
size_t TerminatedLength(size_t limit) {
  File3ds* file = ReadableCurrentFile();
  size_t window = file != nullptr ? std::min(limit, file->reader.Remaining()) : 0;
  const uint8_t* start = window > 0 ? file->contents.data() + file->reader.Position() : nullptr;
  const void* terminator = start != nullptr ? std::memchr(start, 0, window) : nullptr;
  if (terminator == nullptr) {
    if (file != nullptr) file->reader.Fail();
    PushError3ds(ERR_READING_FILE);
    return 0;
  }
  return static_cast<size_t>(static_cast<const uint8_t*>(terminator) - start) + 1;
}

}  // namespace

bool ReadString3ds(char* buffer, size_t limit) {
  size_t count = TerminatedLength(limit);
  return count > 0 && ReadBytes3ds(count, buffer);
}

bool ReadNewString3ds(std::string* out, size_t limit) {
  size_t count = TerminatedLength(limit + 1);
  const uint8_t* text = count > 0 ? TakeBytes(count) : nullptr;
  if (text == nullptr) return false;
  out->assign(reinterpret_cast<const char*>(text), count - 1);
  return true;
}

bool ReadFixedString3ds(char* buffer, size_t size) {
  if (!ReadString3ds(buffer, size)) return false;
  size_t taken = std::strlen(buffer) + 1;
  return SkipBytes3ds(size - taken);
}

bool ReadNewFixedString3ds(std::string* out, size_t limit) {
  std::string buffer(limit + 1, '\0');
  if (!ReadFixedString3ds(buffer.data(), limit + 1)) return false;
  out->assign(buffer.c_str());
  return true;
}

void WriteBytes3ds(size_t count, const void* bytes) {
  File3ds* file = WritableCurrentFile();
  if (file == nullptr || (count > 0 && std::fwrite(bytes, 1, count, file->stream) != count)) {
    if (file != nullptr && file->replacing != nullptr) file->replacing->Fail();
    PushError3ds(ERR_WRITING_FILE);
  }
}

void WriteByte3ds(int8_t value) { WriteValue(value); }
void WriteUByte3ds(uint8_t value) { WriteValue(value); }
void WriteWord3ds(uint16_t value) { WriteValue(value); }
void WriteShort3ds(int16_t value) { WriteValue(value); }
void WriteDword3ds(uint32_t value) { WriteValue(value); }
void WriteLong3ds(int32_t value) { WriteValue(value); }
void WriteFloat3ds(float value) { WriteValue(value); }
void WriteDouble3ds(double value) { WriteValue(value); }
void WritePoint3ds(const point3ds& point) { WriteValue(point); }
void WriteTextVert3ds(const textvert3ds& vertex) { WriteValue(vertex); }
void WriteFace3ds(const face3ds& face) { WriteValue(face); }

void WriteChunkHeader3ds(uint16_t tag, uint32_t length) {
  WriteWord3ds(tag);
  WriteDword3ds(length);
}

void WriteTrackHeader3ds(const trackheader3ds& header) {
  WriteWord3ds(header.flags);
  WriteDword3ds(header.nu1);
  WriteDword3ds(header.nu2);
  WriteDword3ds(header.keycount);
}

void WriteKeyHeader3ds(const keyheader3ds& key) {
  WriteDword3ds(key.time);
  WriteWord3ds(key.rflags);
  if (key.rflags & KEY_USE_TENS) WriteFloat3ds(key.tension);
  if (key.rflags & KEY_USE_CONT) WriteFloat3ds(key.continuity);
  if (key.rflags & KEY_USE_BIAS) WriteFloat3ds(key.bias);
  if (key.rflags & KEY_USE_EASE_TO) WriteFloat3ds(key.easeto);
  if (key.rflags & KEY_USE_EASE_FROM) WriteFloat3ds(key.easefrom);
}

void WriteString3ds(const char* text) { WriteBytes3ds(std::strlen(text) + 1, text); }

void WriteFixedString3ds(const char* text, size_t size) {
  size_t length = std::strlen(text);
  WriteBytes3ds(length, text);
  for (size_t i = length; i < size; ++i) WriteUByte3ds(0);
}

void FinishChunkHeader3ds(uint32_t start, uint32_t end) {
  SetFilePosition3ds(start + 2);
  WriteDword3ds(end - start);
  SetFilePosition3ds(end);
}
