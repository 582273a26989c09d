#include "library/toolkit3ds/chunk_dump.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/toolkit3ds/chunk_names.h"
#include "library/toolkit3ds/chunk_tags.h"
#include "library/toolkit3ds/error_stack.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

// Every test starts at the detail the toolkit loads with.
class ChunkDump : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    SetDumpDetail3ds(2);
  }
  void TearDown() override {
    SetDumpDetail3ds(2);
    ToolkitTest::TearDown();
  }
};

std::string Header(const char* indent, const char* name, unsigned tag, unsigned length) {
  char text[200];
  std::snprintf(text, sizeof(text), "\n%sChunk %s (%xH) \n%sLength is %u (%xH) \n", indent, name,
                tag, indent, length, length);
  return text;
}

// The sum of a chunk's bytes as little-endian words, an odd last byte a word of its own.
int32_t WordSum(const Bytes& bytes, size_t offset, size_t length) {
  uint32_t sum = 0;
  for (size_t i = 0; i < length; i += 2) {
    uint32_t high = i + 1 < length ? bytes[offset + i + 1] : 0;
    sum += bytes[offset + i] | (high << 8);
  }
  return static_cast<int32_t>(sum);
}

// A mesh file of one object with two vertices; the object's name makes its length odd.
Bytes SmallFile() {
  return Container(
      M3DMAGIC,
      {Chunk(M3D_VERSION, Pack(3u)),
       Container(MDATA, {Chunk(NAMED_OBJECT, Text("Ab"),
                               {Container(N_TRI_OBJECT,
                                          {Chunk(POINT_ARRAY, Pack(uint16_t{2}, 1.0f, 2.0f, 3.0f,
                                                                   -1.0f, 0.5f, 0.0f))})})})});
}

TEST_F(ChunkDump, TheNameTableHasEveryRowAndAgreesWithTheTagConstants) {
  EXPECT_STREQ(ChunkTagToName3ds(0x4D4D), "M3DMAGIC");
  EXPECT_STREQ(ChunkTagToName3ds(0x3D3D), "MDATA");
  EXPECT_STREQ(ChunkTagToName3ds(0xFFFF), "DUMMY");
  EXPECT_STREQ(ChunkTagToName3ds(0x0001), "UNKNOWN_CHUNK");
  EXPECT_STREQ(ChunkTagToName3ds(0x4D4E), "UNKNOWN_CHUNK");
  EXPECT_STREQ(ChunkTagToName3ds(-1), "UNKNOWN_CHUNK");
  std::vector<std::string> blankEnded, mixedCase;
  int32_t previous = -1;
  size_t rows = 0;
  for (; GetChunkNameTag3ds(rows) != -1; ++rows) {
    int32_t tag = GetChunkNameTag3ds(rows);
    EXPECT_GT(tag, previous);
    previous = tag;
    std::string name = ChunkTagToName3ds(tag);
    if (name.back() == ' ') blankEnded.push_back(name);
    for (char c : name) {
      if (std::islower(static_cast<unsigned char>(c))) {
        mixedCase.push_back(name);
        break;
      }
    }
  }
  EXPECT_EQ(rows, kChunkNameCount3ds);
  EXPECT_EQ(blankEnded,
            (std::vector<std::string>{"C_DXFNAME_SRC ", "C_AUTO_WELD ", "C_AUTO_UNIFY ",
                                      "C_AUTO_SMOOTH ", "C_DXF_SMOOTH_ANG ", "C_SMOOTH_ANG "}));
  EXPECT_EQ(mixedCase, (std::vector<std::string>{"ChunkType", "ChunkUnique", "NotChunk",
                                                 "Container", "IsChunk"}));

  // Every constant of the tag header names its value as the table does.
  std::ifstream header(std::filesystem::path(TOOLKIT3DS_SOURCE_DIR) / "chunk_tags.h");
  std::stringstream text;
  text << header.rdbuf();
  std::string source = text.str();
  size_t constants = 0;
  for (size_t at = source.find("\n  "); at != std::string::npos; at = source.find("\n  ", at + 1)) {
    size_t equals = source.find(" = 0x", at);
    size_t end = source.find(",", at);
    if (equals == std::string::npos || end == std::string::npos || equals > end) continue;
    std::string name = source.substr(at + 3, equals - at - 3);
    int32_t tag =
        static_cast<int32_t>(std::stoul(source.substr(equals + 3, end - equals - 3), nullptr, 16));
    EXPECT_EQ(ChunkTagToName3ds(tag), name);
    ++constants;
  }
  EXPECT_GT(constants, 150u);
}

TEST_F(ChunkDump, ASmallDatabaseAtEachDetailAndItsChecksums) {
  Bytes bytes = SmallFile();
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(bytes);
  const char* i1 = "   ";
  const char* i2 = "      ";
  const char* i3 = "         ";
  const char* i4 = "            ";
  std::string headers[] = {
      Header("", "M3DMAGIC", 0x4D4D, 69),     Header(i1, "M3D_VERSION", 0x0002, 10),
      Header(i1, "MDATA", 0x3D3D, 53),        Header(i2, "NAMED_OBJECT", 0x4000, 47),
      Header(i3, "N_TRI_OBJECT", 0x4100, 38), Header(i4, "POINT_ARRAY", 0x4110, 32),
  };
  std::string level0;
  for (const std::string& header : headers) level0 += header;
  std::string level1 = headers[0] + headers[1] + "   Version 3\n" + headers[2] + headers[3] +
                       "      Name: Ab\n" + headers[4] + headers[5] + "            2 Vertices\n";
  std::string level2 = level1 + "            Vertex 0 at 1.000000, 2.000000, 3.000000\n" +
                       "            Vertex 1 at -1.000000, 0.500000, 0.000000\n";
  const std::pair<int32_t, std::string> expected[] = {{0, level0}, {1, level1}, {2, level2}};
  for (const auto& [detail, text] : expected) {
    SetDumpDetail3ds(detail);
    EXPECT_EQ(TextOf([&](FILE* s) { DumpDatabase3ds(s, database); }), text) << detail;
  }

  const size_t offsets[][2] = {{0, 69}, {6, 10}, {16, 53}, {22, 47}, {31, 38}, {37, 32}};
  const char* indents[] = {"", i1, i1, i2, i3, i4};
  std::string checksums;
  for (size_t i = 0; i < std::size(offsets); ++i) {
    checksums += headers[i] + indents[i] + "Checksum Of " +
                 std::to_string(WordSum(bytes, offsets[i][0], offsets[i][1])) + "\n";
  }
  EXPECT_EQ(TextOf([&](FILE* s) { DumpDatabaseChecksums3ds(s, database); }), checksums);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(ChunkDump, OnceAnErrorIsPendingOnlyTheFirstDescendantsGetHeaders) {
  Bytes fog = Chunk(FOG, Pack(1.0f, 2.0f, 3.0f, 4.0f),
                    {Chunk(COLOR_F, Pack(1.0f, 1.0f, 1.0f)), Chunk(FOG_BGND, {})});
  Bytes file = Container(M3DMAGIC, {Container(MDATA, {fog, Chunk(MASTER_SCALE, Pack(1.0f))})});
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(file);
  ASSERT_FALSE(ErrorsPending3ds());
  PushError3ds(ERR_INVALID_DATA);
  std::string text = TextOf([&](FILE* s) { DumpDatabase3ds(s, database); });
  EXPECT_TRUE(ErrorsPending3ds());
  std::vector<std::string> names;
  for (size_t at = text.find("Chunk "); at != std::string::npos; at = text.find("Chunk ", at + 1))
    names.push_back(text.substr(at + 6, text.find(' ', at + 6) - at - 6));
  EXPECT_EQ(names, (std::vector<std::string>{"M3DMAGIC", "MDATA", "FOG", "COLOR_F"}));
  EXPECT_EQ(text.find("Near plane"), std::string::npos);
}

TEST_F(ChunkDump, IndentationStopsAtFourteenLevels) {
  EXPECT_STREQ(DumpIndent3ds(0), "");
  EXPECT_STREQ(DumpIndent3ds(1), "   ");
  EXPECT_EQ(std::string(DumpIndent3ds(14)), std::string(42, ' '));
  EXPECT_EQ(std::string(DumpIndent3ds(40)), std::string(42, ' '));
}

TEST_F(ChunkDump, KeyLinesNameTheSetSplineValues) {
  keyheader3ds key;
  key.time = 7;
  key.rflags = KEY_USE_TENS | KEY_USE_EASE_FROM;
  key.tension = 0.5f;
  key.easefrom = 0.125f;
  EXPECT_EQ(TextOf([&](FILE* s) { DumpKeyHeader3ds(s, key, 1); }),
            "   Frame 7, Tens 0.50, Ease from 0.12\n");
}

TEST_F(ChunkDump, TheSilentWalkReadsTheDumpedKindsAndWritesNothing) {
  ChunkDatabase3ds* database = ReadDatabaseFromBytes(SmallFile());
  ChunkNode3ds* points = nullptr;
  FindChunk3ds(database->root, POINT_ARRAY, &points);
  ASSERT_NE(points, nullptr);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(points->data));
  ReadDumpChunks3ds(database);
  EXPECT_TRUE(std::holds_alternative<PointArrayData3ds>(points->data));
  EXPECT_FALSE(ErrorsPending3ds());
}

size_t CountNodes(const ChunkNode3ds* node) {
  size_t count = 0;
  for (; node != nullptr; node = node->next) count += 1 + CountNodes(node->children);
  return count;
}

TEST_F(ChunkDump, EveryTestModelDumpsOneHeaderPairPerChunk) {
  auto models = ModelFiles();
  if (models.empty()) GTEST_SKIP() << "assimp-testmodels is not installed";
  EXPECT_GE(models.size(), 8u);
  for (const auto& path : models) {
    SCOPED_TRACE(path.string());
    File3ds* file = OpenFile3ds(path.c_str(), "r");
    ChunkDatabase3ds* database = NewDatabase();
    ReadDatabase3ds(file, database);
    std::string text = TextOf([&](FILE* s) { DumpDatabase3ds(s, database); });
    EXPECT_FALSE(ErrorsPending3ds());
    size_t chunks = 0, lengths = 0;
    for (size_t at = text.find("Chunk "); at != std::string::npos; at = text.find("Chunk ", at + 1))
      ++chunks;
    for (size_t at = text.find("Length is "); at != std::string::npos;
         at = text.find("Length is ", at + 1))
      ++lengths;
    EXPECT_EQ(chunks, CountNodes(database->root));
    EXPECT_EQ(lengths, chunks);
    ClearErrors3ds();
  }
}

}  // namespace
