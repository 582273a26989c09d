#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "program/scene/star_catalogue.h"
#include "tools/star_catalogue/bright_star_list.h"

namespace {

struct NameCase {
  const char* line;
  const char* ext;
  const char* constellation;
};

TEST(BrightStarList, SplitsEachNameIntoDesignationAndConstellation) {
  const NameCase cases[] = {
      {R"(-16.7161  6.7525 -1.46 "  9Alp CMa" 2491  48915 151881)", "9Alp", "CMa"},
      {R"(-52.6958  6.3992 -0.72 "   Alp Car" 2326  45348 234480)", "Alp", "Car"},
      {R"( 64.3278  8.6702  4.60 "  4Pi 2UMa" 3403  73108  14616)", "4Pi 2", "UMa"},
      {R"( 35.7911  3.9828  4.04 " 46Xi  Per" 1228  24912  56856)", "46Xi", "Per"},
      {R"( 10.0000  1.0000  6.40 "          " 7001 100000 100001)", "", ""},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.line);
    std::istringstream list(std::string("# a comment\n\n") + c.line + "\n");
    std::vector<BrightStar> stars;
    std::string error;
    ASSERT_TRUE(ReadBrightStarList(list, stars, error)) << error;
    ASSERT_EQ(stars.size(), 1u);
    EXPECT_EQ(stars[0].Ext, c.ext);
    EXPECT_EQ(stars[0].Constellation, c.constellation);
  }
}

TEST(BrightStarList, ALineThatIsNoStarIsRefusedByItsNumber) {
  for (const char* bad : {R"(-16.7 6.75 -1.46 2491)", R"(-16.7 6.75 -1.46 "  9Alp CMa 2491)",
                          R"(-16.7 6.75 -1.46 "  9Alp CMa")", "x"}) {
    SCOPED_TRACE(bad);
    std::istringstream list(std::string("# header\n") + bad + "\n");
    std::vector<BrightStar> stars;
    std::string error;
    EXPECT_FALSE(ReadBrightStarList(list, stars, error));
    EXPECT_EQ(error.rfind("line 2 ", 0), 0u) << error;
  }
}

TEST(ProgramFolderStars, TheCatalogueHoldsTheWholeBrightStarCatalogue) {
  std::vector<BrightStar> stars;
  ASSERT_TRUE(ReadStarCatalogue(MAROVIN_PROGRAM_FOLDER "/bsb.dat", stars));
  EXPECT_EQ(stars.size(), 9096u);
  const auto sirius = std::find_if(stars.begin(), stars.end(),
                                   [](const BrightStar& star) { return star.Number == 2491; });
  ASSERT_NE(sirius, stars.end());
  EXPECT_NEAR(sirius->RightAscension * 24.0f, 6.7525f, 1e-4f);
  EXPECT_NEAR(sirius->Declination * 90.0f, -16.72f, 0.005f);
  EXPECT_FLOAT_EQ(sirius->Magnitude, -1.46f);
  EXPECT_EQ(sirius->Ext, "9Alp");
  EXPECT_EQ(sirius->Constellation, "CMa");
}

}  // namespace
