// The helpers other families build on, linked in directly: record blocks, the pointer list, the
// path helpers and the PCX reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "library/core/frame/buffers.h"
#include "library/core/frame/file_paths.h"
#include "library/core/render/pcx.h"

namespace {

TEST(Buffers, ResizeGrowsWithZerosShrinksAndKeepsEqualSizes) {
  void* block = nullptr;
  ASSERT_TRUE(Util_ResizeBuffer(&block, 0, 4));
  EXPECT_EQ(std::memcmp(block, "\0\0\0\0", 4), 0);
  std::memcpy(block, "abcd", 4);
  void* same = block;
  ASSERT_TRUE(Util_ResizeBuffer(&block, 4, 4));
  EXPECT_EQ(block, same);
  ASSERT_TRUE(Util_ResizeBuffer(&block, 4, 8));
  EXPECT_EQ(std::memcmp(block, "abcd\0\0\0\0", 8), 0);
  ASSERT_TRUE(Util_ResizeBuffer(&block, 8, 2));
  EXPECT_EQ(std::memcmp(block, "ab", 2), 0);
  std::free(block);
}

TEST(Buffers, ColourUnpacksToUnitChannelsWithOpaqueAlpha) {
  float r = 0, g = 0, b = 0, a = 0;
  EXPECT_EQ(Color_UnpackARGB(0x00FF3300, &r, &g, &b, &a), 1);
  EXPECT_EQ(r, 1.0f);
  EXPECT_FLOAT_EQ(g, 0.2f);
  EXPECT_EQ(b, 0.0f);
  EXPECT_EQ(a, 1.0f);
}

TEST(FilePaths, NamesAndFoldersOfBothSeparators) {
  struct Case {
    const char* path;
    const char* fileName;
    const char* directory;
  };
  const Case cases[] = {{"c:\\models\\ship.md2", "ship.md2", "c:\\models\\"},
                        {"models/ship.md2", "ship.md2", "models/"},
                        {"a/b\\c.txt", "c.txt", "a/b\\"},
                        {"plain.txt", "plain.txt", ""}};
  for (const Case& c : cases) {
    char fileName[kPathBufferSize] = {};
    char directory[kPathBufferSize] = {};
    Path_GetFileName(c.path, fileName);
    Path_GetDirectory(c.path, directory);
    EXPECT_STREQ(fileName, c.fileName) << c.path;
    EXPECT_STREQ(directory, c.directory) << c.path;
  }
}

TEST(FilePaths, ResolveTriesThePathTheNameAndTheReferenceFolder) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vortana-paths";
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / "skin.pcx";
  std::ofstream(file) << "x";
  EXPECT_TRUE(File_Exists(file.c_str()));
  EXPECT_FALSE(File_Exists(""));
  char destination[kPathBufferSize] = "unchanged";
  Path_ResolveFile("elsewhere\\skin.pcx", destination, (folder / "model.md2").c_str());
  EXPECT_EQ(std::string(destination), (folder / "skin.pcx").string());
  std::strcpy(destination, "unchanged");
  Path_ResolveFile("elsewhere\\none.pcx", destination, (folder / "model.md2").c_str());
  EXPECT_STREQ(destination, "unchanged");
  std::filesystem::remove_all(folder);
}

TEST(FilePaths, FieldsAreCutWithTheirTerminator) {
  char field[4];
  CopyToField(field, sizeof field, "abcdef");
  EXPECT_STREQ(field, "abc");
}

TEST(Pcx, HeadersThatCannotBeReadAreRefused) {
  std::vector<uint8_t> valid(128 + 2 + 768, 0);
  valid[3] = 8;
  valid[65] = 1;
  valid[66] = 2;
  ASSERT_TRUE(DecodePcx(valid));
  struct Case {
    size_t offset;
    uint8_t value;
  };
  const Case damage[] = {{3, 1}, {65, 3}, {66, 0}, {8, 0xFF}, {5, 0x80}};
  for (const Case& c : damage) {
    std::vector<uint8_t> bytes = valid;
    bytes[c.offset] = c.value;
    EXPECT_FALSE(DecodePcx(bytes)) << c.offset;
  }
  EXPECT_FALSE(DecodePcx(std::span<const uint8_t>(valid).first(500)));
}

}  // namespace
