// A save killed at any moment: a child process saves in turn the two states save(0) and save(1)
// until it is killed, at a later moment each round, and after each kill the file must hold wholly
// what one of the two saves writes. Temporaries the kills leave are the caller's to look at.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

inline void ExpectWholeAfterKilledSaves(const std::filesystem::path& file,
                                        const std::function<void(int)>& save) {
  constexpr int Rounds = 16;
  constexpr auto RoundStep = std::chrono::microseconds(1700);
  const auto contents = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  std::string whole[2];
  for (int n : {0, 1}) {
    save(n);
    whole[n] = contents();
  }
  ASSERT_NE(whole[0], whole[1]);
  for (int round = 0; round < Rounds; ++round) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 0;; n = 1 - n) save(n);
    }
    std::this_thread::sleep_for(RoundStep * (round + 1));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string now = contents();
    EXPECT_TRUE(now == whole[0] || now == whole[1]) << file << ", round " << round << ":\n" << now;
  }
}
