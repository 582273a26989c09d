#include "library/toolkit3ds/error_stack.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

using ErrorStack = test3ds::ToolkitTest;

TEST_F(ErrorStack, TextsFollowTheCodeTable) {
  const struct {
    int32_t code;
    const char* text;
  } cases[] = {
      {0, "NO_FTK_ERRORS: No errors are pending"},
      {4,
       "ERR_INVALID_CHUNK: An invalid chunk structure was encountered while reading the database. "
       "Usually "
       "caused by a corrupt database or file"},
      {13, "ERR_READING_FILE: Error occured while reading file"},
      {19, "ERR_TOO_MANY_FILES: The toolkit has reached its maximum open file limit of 252 files."},
      {20, "Unknown error code was encountered"},
      {21, "Unknown error code was encountered"},
      {22, "N_ERRORS: More errors were reported then could be recorded."},
      {-7, "Unknown error code was encountered"},
  };
  for (const auto& c : cases) EXPECT_STREQ(GetErrorText3ds(c.code), c.text) << c.code;
}

TEST_F(ErrorStack, PushingZeroChangesNothingAndAnUnknownCodeIsRecorded) {
  EXPECT_EQ(PushError3ds(0), nullptr);
  EXPECT_FALSE(ErrorsPending3ds());
  EXPECT_STREQ(PushError3ds(21), "Unknown error code was encountered");
  EXPECT_TRUE(ErrorsPending3ds());
  EXPECT_EQ(GetErrorList3ds()[0].code, 21);
}

TEST_F(ErrorStack, OverflowSlotTakesTheTwentiethAndThenCountsTooMany) {
  for (int i = 0; i < kErrorSlots3ds; ++i) PushError3ds(ERR_READING_FILE);
  EXPECT_EQ(ErrorStack3ds.overflow.code, 0);
  PushError3ds(ERR_NO_MEM);
  EXPECT_EQ(ErrorStack3ds.overflow.code, ERR_NO_MEM);
  PushError3ds(ERR_NO_MEM);
  EXPECT_EQ(ErrorStack3ds.overflow.code, N_ERRORS);

  ClearErrors3ds();
  EXPECT_FALSE(ErrorsPending3ds());
  EXPECT_TRUE(test3ds::PendingCodes().empty());
  EXPECT_EQ(ErrorStack3ds.overflow.code, N_ERRORS);
}

TEST_F(ErrorStack, DumpWritesNewestFirst) {
  PushError3ds(ERR_READING_FILE);
  PushError3ds(ERR_CREATING_DATABASE);
  FILE* stream = std::tmpfile();
  DumpErrors3ds(stream);
  std::rewind(stream);
  char text[512] = {};
  std::string dumped;
  while (std::fgets(text, sizeof(text), stream) != nullptr) dumped += text;
  std::fclose(stream);
  EXPECT_EQ(dumped, std::string(GetErrorText3ds(ERR_CREATING_DATABASE)) + "\n" +
                        GetErrorText3ds(ERR_READING_FILE) + "\n");
}

}  // namespace
