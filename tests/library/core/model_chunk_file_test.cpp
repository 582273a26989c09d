// The chunked model file reader: the counts of each chunk kind, the error codes, and the refusal of
// directories, chunks and counts that reach past the end of the file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "library/core/actors/model_chunk_file.h"
#include "library/core/vortanautil.h"
#include "platform/win/byte_writer.h"
// GCC 12 sees a write past the end in the package writer's inlined byte appends here, where it
// does not in the archive tests: a false alarm of its stringop checks.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#include "tests/library/core/archive_writers.h"
#pragma GCC diagnostic pop

namespace {

struct Chunk {
  int32_t type;
  std::vector<int32_t> words;  // the chunk's leading words: counts, flags
  size_t bodySize;             // bytes of elements after them
};

constexpr size_t kHeaderSize = 12;  // bytes: magic, chunk count, directory offset

// A file of the given chunks, then the directory; a directory offset or chunk count of -1 stands
// for the right one.
std::vector<uint8_t> ChunkFile(const std::vector<Chunk>& chunks, int32_t directoryOffset = -1,
                               int32_t chunkCount = -1) {
  std::vector<uint8_t> out;
  auto word = [&out](uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
  };
  word(kModelChunkMagic);
  word(static_cast<uint32_t>(chunkCount >= 0 ? chunkCount : static_cast<int32_t>(chunks.size())));
  size_t body = kHeaderSize;
  for (const Chunk& chunk : chunks) body += chunk.words.size() * 4 + chunk.bodySize;
  word(static_cast<uint32_t>(directoryOffset >= 0 ? directoryOffset : static_cast<int32_t>(body)));
  std::vector<int32_t> offsets;
  for (const Chunk& chunk : chunks) {
    offsets.push_back(static_cast<int32_t>(out.size()));
    for (int32_t value : chunk.words) word(static_cast<uint32_t>(value));
    out.insert(out.end(), chunk.bodySize, 0xAB);
  }
  for (size_t i = 0; i < chunks.size(); ++i) {
    word(static_cast<uint32_t>(chunks[i].type));
    word(static_cast<uint32_t>(offsets[i]));
    word(0);
  }
  return out;
}

const std::vector<Chunk> kAllKinds = {
    {kModelChunkTriangles, {3}, 3 * kModelChunkTriangleSize},
    {0x7777, {1, 2, 3}, 5},
    {kModelChunkIndices, {4, 1}, 4 * kModelChunkWideIndexSize},
    {kModelChunkFrames, {2}, 2 * kModelChunkFrameSize},
};

TEST(ModelChunkFile, CountsEachKindAndSkipsOthers) {
  auto summary = ModelChunkFile_Read(ChunkFile(kAllKinds));
  ASSERT_NE(summary, nullptr);
  EXPECT_EQ(summary->triangleCount, 3);
  EXPECT_EQ(summary->indexCount, 4);
  EXPECT_EQ(summary->frameCount, 2);
  EXPECT_EQ(summary->flags, kModelChunkWideIndices);
  EXPECT_EQ(ModelChunkReader_LastError(), kModelChunkErrorNoChunk);

  auto narrow = ModelChunkFile_Read(ChunkFile({
      {kModelChunkPrefixedTriangles, {99, 5}, 5 * kModelChunkTriangleSize},
      {kModelChunkIndices, {7, 0}, 7 * kModelChunkNarrowIndexSize},
  }));
  ASSERT_NE(narrow, nullptr);
  EXPECT_EQ(narrow->triangleCount, 5);
  EXPECT_EQ(narrow->indexCount, 7);
  EXPECT_EQ(narrow->flags, 0);
}

TEST(ModelChunkFile, RefusesWhatReachesPastTheEnd) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int32_t error;
  };
  std::vector<uint8_t> wrongMagic = ChunkFile(kAllKinds);
  wrongMagic[0] = 'X';
  std::vector<uint8_t> badEntry = ChunkFile(kAllKinds);
  badEntry[badEntry.size() - 8] = 0xFF;  // the last entry's offset, far past the end
  badEntry[badEntry.size() - 7] = 0xFF;
  const std::vector<Case> cases = {
      {"empty", {}, kModelChunkErrorMagic},
      {"wrong magic", wrongMagic, kModelChunkErrorMagic},
      {"directory past the end", ChunkFile(kAllKinds, 1 << 20), kModelChunkErrorMalformed},
      {"more entries than the file holds", ChunkFile(kAllKinds, -1, 1000),
       kModelChunkErrorMalformed},
      {"huge chunk count", ChunkFile(kAllKinds, -1, 0x7FFFFFFF), kModelChunkErrorMalformed},
      {"chunk offset past the end", badEntry, kModelChunkErrorMalformed},
      {"count past the end", ChunkFile({{kModelChunkTriangles, {4}, 3 * kModelChunkTriangleSize}}),
       kModelChunkErrorMalformed},
      {"negative count", ChunkFile({{kModelChunkFrames, {-1}, 0}}), kModelChunkErrorMalformed},
      {"huge count", ChunkFile({{kModelChunkIndices, {0x7FFFFFFF, 1}, 12}}),
       kModelChunkErrorMalformed},
      {"no directory", ChunkFile({}), kModelChunkErrorNoDirectory},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto summary = ModelChunkFile_Read(c.bytes);
    if (c.error == kModelChunkErrorNoDirectory) {
      // A file of no chunks opens; walking it meets no directory.
      ASSERT_NE(summary, nullptr);
      EXPECT_EQ(summary->triangleCount, 0);
    } else {
      EXPECT_EQ(summary, nullptr);
    }
    EXPECT_EQ(ModelChunkReader_LastError(), c.error);
  }
}

TEST(ModelChunkFile, WrittenFileReadsBackThroughThePrimitives) {
  // A name of the process's own: CTest runs the cases as parallel processes.
  std::string pattern = (std::filesystem::temp_directory_path() / "vortana-model-XXXXXX").string();
  const int descriptor = mkstemp(pattern.data());
  ASSERT_GE(descriptor, 0);
  close(descriptor);
  const std::filesystem::path path = pattern;
  const std::vector<uint8_t> bytes = ChunkFile(kAllKinds);
  ModelChunkReader* writer = ModelChunkWriter_Open(path.c_str());
  ASSERT_NE(writer, nullptr);
  EXPECT_TRUE(ModelChunk_WriteBytes(std::span(bytes).first(4)));
  EXPECT_TRUE(ModelChunk_WriteInt(static_cast<int32_t>(kAllKinds.size())));
  EXPECT_TRUE(ModelChunk_WriteBytes(std::span(bytes).subspan(8)));
  ModelChunkReader_Close(writer);
  EXPECT_FALSE(ModelChunk_WriteByte(1)) << "a closed writer stops being current";

  auto summary = ModelChunkFile_Open(path.c_str());
  ASSERT_NE(summary, nullptr);
  EXPECT_EQ(summary->frameCount, 2);

  ModelChunkReader* reader = ModelChunkReader_Open(path.c_str());
  ASSERT_NE(reader, nullptr);
  const ModelChunkEntry* entry = ModelChunkReader_SeekChunk(1);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->type, 0x7777);
  EXPECT_EQ(ModelChunk_ReadInt(), 1);
  EXPECT_EQ(ModelChunk_ReadShort(), 2);
  EXPECT_EQ(ModelChunk_ReadShort(), 0);
  EXPECT_EQ(ModelChunk_ReadByte(), 3);
  uint8_t rest[8] = {};
  EXPECT_TRUE(ModelChunk_ReadBytes(3, rest));
  EXPECT_EQ(ModelChunkReader_SeekChunk(4), nullptr);
  EXPECT_EQ(ModelChunkReader_LastError(), kModelChunkErrorNoChunk);
  EXPECT_EQ(ModelChunkReader_SeekChunk(-1), nullptr);
  ModelChunkReader_Close(reader);
  EXPECT_EQ(ModelChunkReader_NextChunk(), nullptr);
  EXPECT_EQ(ModelChunkReader_LastError(), kModelChunkErrorNoDirectory);
  EXPECT_EQ(ModelChunk_ReadInt(), 0);

  EXPECT_EQ(ModelChunkFile_Open(nullptr), nullptr);
  EXPECT_EQ(ModelChunkFile_Open((path.string() + ".missing").c_str()), nullptr);
  std::filesystem::remove(path);
}

TEST(ModelChunkFile, AFileMissingOnDiskIsTakenFromTheOpenPackages) {
  std::string pattern = (std::filesystem::temp_directory_path() / "vortana-omzk-XXXXXX").string();
  const std::filesystem::path folder = mkdtemp(pattern.data());
  const std::filesystem::path previous = std::filesystem::current_path();
  // Extraction writes into the working folder.
  std::filesystem::current_path(folder);
  archive_test::PakFile pak;
  pak.entries.push_back({"models/ship.omzk", ChunkFile(kAllKinds)});
  win::WriteFileBytes(folder / "models.pak", archive_test::WritePak(pak));
  ASSERT_GE(Archive_OpenPak((folder / "models.pak").c_str()), 0);
  auto summary = ModelChunkFile_Open("models\\ship.omzk");
  ASSERT_NE(summary, nullptr);
  EXPECT_EQ(summary->frameCount, 2);
  Archive_RemoveTempFiles();
  Archive_CloseAll();
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(folder);
}

}  // namespace
