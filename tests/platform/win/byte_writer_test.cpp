#include "platform/win/byte_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win/byte_reader.h"
#include "tests/platform/win/temp_folder.h"

namespace {

TEST(ByteWriter, WritesMembersThatTheReaderReadsBack) {
  win::ByteWriter writer;
  writer.I16(-2);
  writer.I32(123456);
  writer.F32(1.5f);
  writer.F64(-0.25);
  writer.LengthPrefixedString("Armstrong");
  writer.FixedString("Al", 5);
  writer.FixedString("truncated", 3);
  writer.LengthPrefixedString("");
  ASSERT_TRUE(writer.Ok());
  EXPECT_EQ(writer.Data().size(), 2u + 4 + 4 + 8 + 2 + 9 + 5 + 3 + 2);

  win::ByteReader reader(writer.Data());
  EXPECT_EQ(reader.I16(), -2);
  EXPECT_EQ(reader.I32(), 123456);
  EXPECT_EQ(reader.F32(), 1.5f);
  EXPECT_EQ(reader.F64(), -0.25);
  EXPECT_EQ(reader.LengthPrefixedString(), "Armstrong");
  auto fixed = reader.Bytes(5);
  EXPECT_EQ(std::string(fixed.begin(), fixed.end()), "Al   ");
  auto cut = reader.Bytes(3);
  EXPECT_EQ(std::string(cut.begin(), cut.end()), "tru");
  EXPECT_EQ(reader.LengthPrefixedString(), "");
  EXPECT_TRUE(reader.Ok());
  EXPECT_TRUE(reader.AtEnd());
}

TEST(ByteWriter, LittleEndianLayout) {
  win::ByteWriter writer;
  writer.U32(0x12345678);
  writer.LengthPrefixedString("ab");
  EXPECT_EQ(writer.Data(), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12, 2, 0, 'a', 'b'}));
}

TEST(ByteWriter, TextTooLongForItsLengthFailsTheWriter) {
  win::ByteWriter writer;
  writer.LengthPrefixedString(std::string(65535, 'x'));
  EXPECT_TRUE(writer.Ok());
  writer.LengthPrefixedString(std::string(65536, 'x'));
  EXPECT_FALSE(writer.Ok());
}

TEST(WriteFileBytes, ReplacesTheFileOrLeavesItWhole) {
  TempFolder folder;
  folder.WriteFile("score.dat", "old");
  const std::vector<uint8_t> bytes{1, 2, 3};
  ASSERT_TRUE(win::WriteFileBytes(folder.Path() / "score.dat", bytes));
  EXPECT_EQ(folder.ReadFile("score.dat"), "\x01\x02\x03");
  EXPECT_FALSE(win::WriteFileBytes(folder.Path() / "missing/score.dat", bytes));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(WriteNewFileBytes, NeverReplacesAFile) {
  TempFolder folder;
  folder.WriteFile("shot.bmp", "old");
  const std::vector<uint8_t> bytes{1, 2, 3};
  bool taken = false;
  EXPECT_FALSE(win::WriteNewFileBytes(folder.Path() / "shot.bmp", bytes, &taken));
  EXPECT_TRUE(taken);
  EXPECT_EQ(folder.ReadFile("shot.bmp"), "old");
  ASSERT_TRUE(win::WriteNewFileBytes(folder.Path() / "new.bmp", bytes, &taken));
  EXPECT_FALSE(taken);
  EXPECT_EQ(folder.ReadFile("new.bmp"), "\x01\x02\x03");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

// Only names of the writers' own pattern go; the files they were to replace, and look-alikes, stay.
TEST(RemoveStaleTemporaries, RemovesOnlyTheWritersOwn) {
  TempFolder folder;
  const std::vector<std::string> stale = {".Marovin.ini.tmp-a1B2c3", ".score.dat.tmp-XXXXXX"};
  const std::vector<std::string> kept = {"Marovin.ini", ".hidden", ".Marovin.ini.tmp-abc",
                                         ".tmp-abcdef", "x.tmp-abcdef"};
  for (const auto& name : stale) folder.WriteFile(name, "half");
  for (const auto& name : kept) folder.WriteFile(name, "mine");
  folder.WriteFile("sub/.Marovin.ini.tmp-a1B2c3", "another folder's");
  EXPECT_EQ(win::RemoveStaleTemporaries(folder.Path()), 2);
  for (const auto& name : stale) EXPECT_FALSE(std::filesystem::exists(folder.Path() / name));
  for (const auto& name : kept) EXPECT_EQ(folder.ReadFile(name), "mine") << name;
  EXPECT_EQ(win::RemoveStaleTemporaries(folder.Path() / "missing"), 0);
}

}  // namespace
