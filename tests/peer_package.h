// Tests measured against a peer package skip where the package is missing, so that a developer can
// build without it; in CI (CI set) the set-up script installs every peer, so a missing one is a
// broken set-up and fails the test instead of hiding it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tests {

// True when `path`, installed by `package`, is missing; use as
// `if (PeerMissing(path, "package")) GTEST_SKIP() << ...;`.
inline bool PeerMissing(const std::filesystem::path& path, const char* package) {
  if (std::filesystem::exists(path)) return false;
  if (std::getenv("CI") != nullptr) {
    ADD_FAILURE() << package << " is not installed (" << path
                  << " is missing); scripts/setup-debian.sh installs it";
  }
  return true;
}

}  // namespace tests
