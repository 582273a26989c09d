// Builders of small 3DS files for the toolkit's tests: chunks with correct lengths, written to a
// temporary folder of the test's own.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_database.h"
#include "library/toolkit3ds/error_stack.h"
#include "library/toolkit3ds/file_table.h"

namespace test3ds {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes* bytes, const void* data, size_t size) {
  size_t at = bytes->size();
  bytes->resize(at + size);
  std::memcpy(bytes->data() + at, data, size);
}

template <typename... Values>
Bytes Pack(Values... values) {
  Bytes bytes;
  (Append(&bytes, &values, sizeof(values)), ...);
  return bytes;
}

inline Bytes Text(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes bytes;
  for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

// A chunk whose length counts its header, its data and its children.
inline Bytes Chunk(uint16_t tag, const Bytes& data, std::initializer_list<Bytes> children = {}) {
  Bytes body = data;
  for (const Bytes& child : children) body.insert(body.end(), child.begin(), child.end());
  Bytes bytes = Pack(tag, static_cast<uint32_t>(body.size() + 6));
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

inline Bytes Container(uint16_t tag, std::initializer_list<Bytes> children) {
  return Chunk(tag, {}, children);
}

// The 3DS files of the assimp test models (Debian assimp-testmodels), known by their first chunk
// since one of them has no extension; none when the package is not installed.
inline const std::filesystem::path kTestModels = "/usr/share/assimp/models/3DS";

inline std::vector<std::filesystem::path> ModelFiles() {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::exists(kTestModels)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(kTestModels)) {
    char magic[2] = {};
    std::ifstream(entry.path(), std::ios::binary).read(magic, sizeof(magic));
    if (magic[0] == 0x4D && magic[1] == 0x4D) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A folder of the test's own under the system's temporary folder.
inline std::filesystem::path TestFolder() {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  auto folder = std::filesystem::temp_directory_path() / "toolkit3ds_tests" /
                (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

inline std::string WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

// Databases made by these helpers, released with every open file when the test ends.
inline std::vector<ChunkDatabase3ds*>& KeptDatabases() {
  static std::vector<ChunkDatabase3ds*> databases;
  return databases;
}

inline ChunkDatabase3ds* NewDatabase() {
  ChunkDatabase3ds* database = nullptr;
  InitDatabase3ds(&database);
  KeptDatabases().push_back(database);
  return database;
}

inline ChunkDatabase3ds* NewDatabase(DatabaseKind3ds kind) {
  ChunkDatabase3ds* database = NewDatabase();
  NewDatabaseRoot3ds(database, kind);
  return database;
}

// Every test of the toolkit ends as the toolkit starts: the databases made by these helpers
// released, every file closed and the error stack empty. A failure is over only when the caller
// clears it, so an error left pending by one test would refuse every read of the next.
class ToolkitTest : public testing::Test {
 protected:
  void TearDown() override {
    for (ChunkDatabase3ds*& database : KeptDatabases()) ReleaseDatabase3ds(&database);
    KeptDatabases().clear();
    CloseAllFiles3ds();
    ClearErrors3ds();
    // Clearing keeps the overflow slot, and nothing else empties it.
    ErrorStack3ds.overflow = {};
  }
};

// Writes bytes to a file of the test's folder and reads it into a new database; the file stays
// open.
inline ChunkDatabase3ds* ReadDatabaseFromBytes(const Bytes& bytes,
                                               const char* fileName = "input.3ds") {
  std::string path = WriteFile(TestFolder() / fileName, bytes);
  File3ds* file = OpenFile3ds(path.c_str(), "r");
  ChunkDatabase3ds* database = NewDatabase();
  ReadDatabase3ds(file, database);
  return database;
}

// Writes a database to a file of the test's folder and reads that file into a new database.
inline ChunkDatabase3ds* WriteAndReadBack(ChunkDatabase3ds* database,
                                          const char* fileName = "written.3ds") {
  std::string path = (TestFolder() / fileName).string();
  File3ds* file = OpenFile3ds(path.c_str(), "w");
  WriteDatabase3ds(file, database);
  CloseFile3ds(file);
  File3ds* reread = OpenFile3ds(path.c_str(), "r");
  ChunkDatabase3ds* result = NewDatabase();
  ReadDatabase3ds(reread, result);
  return result;
}

// Runs write with a stream of its own and gives the text it wrote.
template <typename Write>
std::string TextOf(Write write) {
  char* buffer = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&buffer, &size);
  write(stream);
  std::fclose(stream);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

inline std::vector<int32_t> PendingCodes() {
  std::vector<int32_t> codes;
  for (int slot = 0; slot < kErrorSlots3ds; ++slot) {
    if (ErrorStack3ds.slots[slot].code != 0) codes.push_back(ErrorStack3ds.slots[slot].code);
  }
  return codes;
}

}  // namespace test3ds
