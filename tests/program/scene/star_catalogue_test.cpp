#include "program/scene/star_catalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/win/byte_writer.h"

namespace {

class StarCatalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("bsb_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             ".dat");
  }
  void TearDown() override { std::filesystem::remove(path_); }

  void Write(const std::vector<uint8_t>& bytes) { ASSERT_TRUE(win::WriteFileBytes(path_, bytes)); }

  std::filesystem::path path_;
};

const std::vector<BrightStar> kStars = {
    {0.28135f, -0.18573f, -1.46f, 2491, "9Alp", "CMa"},
    {0.5f, 1.0f, 7.5f, 1, "", ""},
    {0.0f, -1.0f, 2.0f, -7, "46Xi", "Per"},
};

TEST_F(StarCatalogue, RecordsReadBackInOrderWithEmptyTextsAsTheirLengthsAlone) {
  const auto bytes = EncodeStarCatalogue(kStars);
  ASSERT_TRUE(bytes);
  // 20 bytes a record and its texts: 7, 0 and 7 characters.
  EXPECT_EQ(bytes->size(), 3 * 20u + 7 + 0 + 7);
  Write(*bytes);
  std::vector<BrightStar> stars;
  EXPECT_TRUE(ReadStarCatalogue(path_, stars));
  EXPECT_EQ(stars, kStars);
}

TEST_F(StarCatalogue, AnEmptyFileHoldsNoStarsAndAMissingOneIsRefused) {
  Write({});
  std::vector<BrightStar> stars = kStars;
  EXPECT_TRUE(ReadStarCatalogue(path_, stars));
  EXPECT_TRUE(stars.empty());
  std::filesystem::remove(path_);
  EXPECT_FALSE(ReadStarCatalogue(path_, stars));
  EXPECT_TRUE(stars.empty());
}

TEST_F(StarCatalogue, ACutRecordIsRefusedAndTheWholeOnesBeforeItAreKept) {
  auto bytes = *EncodeStarCatalogue(kStars);
  for (size_t cut : {size_t{1}, size_t{9}}) {
    SCOPED_TRACE(cut);
    Write({bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut)});
    std::vector<BrightStar> stars;
    EXPECT_FALSE(ReadStarCatalogue(path_, stars));
    EXPECT_EQ(stars, std::vector<BrightStar>(kStars.begin(), kStars.begin() + 2));
  }
}

TEST_F(StarCatalogue, MoreRecordsThanTheStarFieldHoldsAreRefusedAfterItsShare) {
  std::vector<BrightStar> many(MaxBrightStars + 1, kStars[0]);
  Write(*EncodeStarCatalogue(many));
  std::vector<BrightStar> stars;
  EXPECT_FALSE(ReadStarCatalogue(path_, stars));
  EXPECT_EQ(stars.size(), MaxBrightStars);
}

TEST(StarCatalogueEncoding, ATextTooLongForItsLengthIsRefused) {
  EXPECT_FALSE(EncodeStarCatalogue({{0, 0, 0, 1, std::string(70000, 'x'), ""}}));
}

}  // namespace
