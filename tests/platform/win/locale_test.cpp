#include "platform/win/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(SystemLocaleId, FollowsLcAllThenLang) {
  const struct {
    const char* lcAll;
    const char* lang;
    int32_t expected;
  } cases[] = {{"", "de_DE.UTF-8", 1031},
               {"", "fr_CA.UTF-8", 3084},
               {"", "fr_XX", 1036},
               {"", "es", 3082},
               {"", "ru_RU.KOI8-R", 1049},
               {"", "nl_BE@euro", 2067},
               {"", "C.UTF-8", 1033},
               {"", "POSIX", 1033},
               {"", "xx_YY", 0},
               {"", "", 0},
               {"it_IT.UTF-8", "de_DE", 1040},
               {"ar_EG.UTF-8", "", 3073}};
  for (const auto& c : cases) {
    ::setenv("LC_ALL", c.lcAll, 1);
    ::setenv("LANG", c.lang, 1);
    EXPECT_EQ(win::SystemLocaleId(), c.expected) << "LC_ALL=" << c.lcAll << " LANG=" << c.lang;
  }
}

}  // namespace
