#include "library/toolkit3ds/file_table.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "library/toolkit3ds/error_stack.h"
#include "tests/file_size_limit.h"
#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using namespace test3ds;  // the chunk builders

using FileTable = test3ds::ToolkitTest;
using Primitives = test3ds::ToolkitTest;

TEST_F(FileTable, SameNameInTheSameModeIsOneRecordInOneSlot) {
  std::string path = test3ds::WriteFile(test3ds::TestFolder() / "a.3ds", Pack(uint32_t{1}));
  File3ds* first = OpenFile3ds(path.c_str(), "r");
  File3ds* second = OpenFile3ds(path.c_str(), "rb");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(std::count(FileTable3ds.slots.begin(), FileTable3ds.slots.end(), first), 1);
  EXPECT_EQ(std::count(FileTable3ds.slots.begin(), FileTable3ds.slots.end(), nullptr),
            kMaxFiles3ds - 1);
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(FileTable, WritingANameOpenForReadingMovesTheReadFileAside) {
  auto folder = test3ds::TestFolder();
  std::string path =
      test3ds::WriteFile(folder / "model.3ds", Pack(uint32_t{0xCAFE}, uint32_t{0xBEEF}));
  File3ds* reading = OpenFile3ds(path.c_str(), "r");
  ASSERT_NE(reading, nullptr);
  File3ds* writing = OpenFile3ds(path.c_str(), "w");
  ASSERT_NE(writing, nullptr);
  ASSERT_NE(reading->name, path);
  EXPECT_EQ(std::filesystem::path(reading->name).parent_path(), folder);
  EXPECT_TRUE(std::filesystem::exists(reading->name));

  SetCurrentFile3ds(reading);
  SetFilePosition3ds(4);
  EXPECT_EQ(ReadDword3ds(), 0xBEEFu);
  std::string aside = reading->name;
  CloseFile3ds(reading);
  EXPECT_FALSE(std::filesystem::exists(aside));
  EXPECT_FALSE(ErrorsPending3ds());
}

TEST_F(FileTable, AWrittenFileTakesItsNameOnlyWhenClosedWhole) {
  const auto folder = test3ds::TestFolder();
  const std::string path = test3ds::WriteFile(folder / "out.3ds", Pack(uint32_t{0x01D}));
  const auto contents = [&path] {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  };
  const auto write = [&path](size_t words) {
    File3ds* file = OpenFile3ds(path.c_str(), "w");
    SetCurrentFile3ds(file);
    for (size_t k = 0; k < words; ++k) WriteDword3ds(0xFEED);
    return file;
  };
  File3ds* file = write(1);
  EXPECT_EQ(contents(), Pack(uint32_t{0x01D}));  // not before the close
  CloseFile3ds(file);
  EXPECT_EQ(contents(), Pack(uint32_t{0xFEED}));
  EXPECT_FALSE(ErrorsPending3ds());
  // A write that met an error leaves the file as it was, and the close reports nothing more.
  file = write(2);
  PushError3ds(ERR_WRITING_DATABASE);
  CloseFile3ds(file);
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_WRITING_DATABASE});
  ClearErrors3ds();
  // A close that cannot write the rest out reports it and leaves the file as it was too.
  file = write(25001);
  {
    const tests::FileSizeLimit limit(1024);
    CloseFile3ds(file);
  }
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_CLOSING_FILE});
  EXPECT_EQ(contents(), Pack(uint32_t{0xFEED}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST_F(FileTable, TheFileAfterTheLastSlotIsRefused) {
  auto folder = test3ds::TestFolder();
  for (int i = 0; i < kMaxFiles3ds; ++i) {
    std::string path = test3ds::WriteFile(folder / ("f" + std::to_string(i)), {});
    ASSERT_NE(OpenFile3ds(path.c_str(), "r"), nullptr) << i;
  }
  std::string extra = test3ds::WriteFile(folder / "extra", {});
  EXPECT_EQ(OpenFile3ds(extra.c_str(), "r"), nullptr);
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_TOO_MANY_FILES});
  CloseAllFiles3ds();
  EXPECT_TRUE(FileTable3ds.slots.empty());
}

TEST_F(FileTable, ModeTexts) {
  std::string path = test3ds::WriteFile(test3ds::TestFolder() / "m.3ds", {});
  const struct {
    const char* mode;
    uint8_t opened;  // kModeUnknown3ds: refused
    int32_t error;
  } cases[] = {
      {"r", kModeRead3ds, 0},
      {"rw", kModeRead3ds, 0},
      {"wr", kModeWrite3ds, 0},
      {"x", kModeUnknown3ds, ERR_INIT_FAILED},
      {"rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr", kModeUnknown3ds, ERR_STRING_TOO_LONG},
  };
  for (const auto& c : cases) {
    ClearErrors3ds();
    File3ds* file = OpenFile3ds(path.c_str(), c.mode);
    EXPECT_EQ(file != nullptr ? file->mode : uint8_t{kModeUnknown3ds}, c.opened) << c.mode;
    EXPECT_EQ(PendingCodes(), c.error ? std::vector<int32_t>{c.error} : std::vector<int32_t>{})
        << c.mode;
    CloseFile3ds(file);
  }
}

TEST_F(FileTable, APendingErrorBlocksEveryOpenUntilCleared) {
  std::string path = test3ds::WriteFile(test3ds::TestFolder() / "p.3ds", {});
  PushError3ds(ERR_READING_FILE);
  EXPECT_EQ(OpenFile3ds(path.c_str(), "r"), nullptr);
  EXPECT_EQ(PendingCodes(), (std::vector<int32_t>{ERR_READING_FILE, ERR_INIT_FAILED}));
  ClearErrors3ds();
  EXPECT_NE(OpenFile3ds(path.c_str(), "r"), nullptr);
}

TEST_F(FileTable, AMissingFileCannotBeOpened) {
  EXPECT_EQ(OpenFile3ds((test3ds::TestFolder() / "absent.3ds").c_str(), "r"), nullptr);
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_OPENING_FILE});
  ASSERT_FALSE(FileTable3ds.slots.empty());
  EXPECT_EQ(FileTable3ds.slots[0], nullptr);
}

TEST_F(FileTable, TextsCompareWithoutRegardToAsciiCase) {
  const struct {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"Box01", "bOX01", 0}, {"abc", "ABD", -1}, {"ABD", "abc", 1},
      {"ab", "AB_", -1},     {"", "", 0},        {"\xC4", "\xE4", -1},  // other bytes do not fold
  };
  for (const auto& c : cases) EXPECT_EQ(CompareTextNoCase3ds(c.a, c.b), c.order) << c.a << c.b;
}

TEST_F(Primitives, ValuesWrittenAreReadBack) {
  std::string path = (test3ds::TestFolder() / "values.3ds").string();
  keyheader3ds key;
  key.time = 12;
  key.rflags = KEY_USE_TENS | KEY_USE_BIAS;
  key.tension = 0.5f;
  key.bias = -0.25f;
  trackheader3ds track{0x40, 1, 2, 3};
  File3ds* out = OpenFile3ds(path.c_str(), "w");
  SetCurrentFile3ds(out);
  WriteByte3ds(-3);
  WriteWord3ds(0xFFFE);
  WriteShort3ds(-2);
  WriteLong3ds(-70000);
  WriteDouble3ds(2.5);
  WritePoint3ds({1, 2, 3});
  WriteFace3ds({4, 5, 6, 7});
  WriteChunkHeader3ds(0x4D4D, 99);
  WriteTrackHeader3ds(track);
  uint32_t keyStart = GetFilePosition3ds();
  WriteKeyHeader3ds(key);
  uint32_t keyEnd = GetFilePosition3ds();
  WriteFixedString3ds("abc", 6);
  WriteString3ds("name");
  CloseFile3ds(out);
  EXPECT_EQ(keyEnd - keyStart, 14u);  // frame, flags and two floats

  File3ds* in = OpenFile3ds(path.c_str(), "r");
  SetCurrentFile3ds(in);
  EXPECT_EQ(ReadByte3ds(), -3);
  EXPECT_EQ(ReadWord3ds(), 0xFFFE);
  EXPECT_EQ(ReadShort3ds(), -2);
  EXPECT_EQ(ReadLong3ds(), -70000);
  EXPECT_EQ(ReadDouble3ds(), 2.5);
  EXPECT_EQ(ReadPoint3ds(), (point3ds{1, 2, 3}));
  EXPECT_EQ(ReadFace3ds(), (face3ds{4, 5, 6, 7}));
  uint16_t tag = 0;
  uint32_t length = 0;
  ReadChunkHeader3ds(&tag, &length);
  EXPECT_EQ(tag, 0x4D4D);
  EXPECT_EQ(length, 99u);
  trackheader3ds readTrack;
  ReadTrackHeader3ds(&readTrack);
  EXPECT_EQ(readTrack, track);
  keyheader3ds readKey;
  ReadKeyHeader3ds(&readKey);
  EXPECT_EQ(readKey, key);
  char field[6] = {};
  EXPECT_TRUE(ReadFixedString3ds(field, sizeof(field)));
  EXPECT_STREQ(field, "abc");
  std::string name;
  EXPECT_TRUE(ReadNewString3ds(&name, 10));
  EXPECT_EQ(name, "name");
  EXPECT_FALSE(ErrorsPending3ds());

  EXPECT_EQ(ReadDword3ds(), 0u);
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_READING_FILE});
}

TEST_F(Primitives, StringsLongerThanTheirLimitAreReadFailures) {
  test3ds::Bytes bytes = test3ds::Text("ABCDEFGHIJ");
  for (char c : std::string("ABCDEFGHIJK"))
    bytes.push_back(static_cast<uint8_t>(c));  // no terminator
  std::string path = test3ds::WriteFile(test3ds::TestFolder() / "s.3ds", bytes);
  SetCurrentFile3ds(OpenFile3ds(path.c_str(), "r"));
  char buffer[11] = {};
  EXPECT_TRUE(ReadString3ds(buffer, 11));
  EXPECT_STREQ(buffer, "ABCDEFGHIJ");
  EXPECT_FALSE(ReadString3ds(buffer, 11));
  EXPECT_EQ(PendingCodes(), std::vector<int32_t>{ERR_READING_FILE});
}

}  // namespace
