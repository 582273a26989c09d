#include "platform/win/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// The locale variables belong to the whole process: what a test sets, its fixture puts back.
class RegionalSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    for (Saved& variable : saved_) {
      const char* value = std::getenv(variable.name);
      if (value != nullptr) variable.value = value;
    }
  }
  void TearDown() override {
    for (const Saved& variable : saved_) {
      if (variable.value) {
        ::setenv(variable.name, variable.value->c_str(), 1);
      } else {
        ::unsetenv(variable.name);
      }
    }
  }

 private:
  struct Saved {
    const char* name;
    std::optional<std::string> value;
  };
  Saved saved_[2] = {{"LC_ALL", std::nullopt}, {"LANG", std::nullopt}};
};

using SystemLocaleId = RegionalSettings;
using SystemDecimalSeparator = RegionalSettings;

TEST_F(SystemLocaleId, FollowsLcAllThenLang) {
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

TEST_F(SystemDecimalSeparator, IsAPointForALocaleThatIsNotInstalled) {
  // Only the C locales are sure to be installed; a locale that is not must not stop the program.
  for (const char* name : {"C", "POSIX", "de_DE.NOT-INSTALLED", "xx_YY"}) {
    ::setenv("LC_ALL", name, 1);
    EXPECT_EQ(win::SystemDecimalSeparator(), '.') << name;
  }
}

}  // namespace
