// A test's program folder: a fresh temporary one, or the shipped data folder.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/win/app_path.h"
#include "tests/platform/win/temp_folder.h"

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { win::SetAppPath(folder_.Path().string()); }
  static void UseShippedData() { win::SetAppPath(std::getenv("MAROVIN_DATA")); }

  TempFolder folder_;
};
