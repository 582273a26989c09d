// Every test of the toolkit ends with its databases released and its files closed.
#include <gtest/gtest.h>

#include "tests/library/toolkit3ds/chunk_bytes.h"

namespace {

[[maybe_unused]] testing::Environment* const kReleaseToolkitState =
    testing::AddGlobalTestEnvironment(new test3ds::ReleaseToolkitState);

}  // namespace
