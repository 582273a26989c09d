// Measures our step against its peer's in alternating blocks, so that both see the same machine:
// a load that comes and goes while the benchmark runs falls on both alike, and the ratio holds.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace bench {

template <class Step>
double SecondsFor(Step step, int64_t times) {
  const auto start = std::chrono::steady_clock::now();
  for (int64_t i = 0; i < times; ++i) step();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline constexpr int64_t kWarmUpSteps = 3;  // each side, before the timing starts
inline constexpr int64_t kStepsPerBlock = 2;

// Times ours (manual time, per step), with the peer's blocks in between; the counter plain_ratio
// is ours over the peer's.
template <class Ours, class Peer>
void Alternate(benchmark::State& state, Ours ours, Peer peer) {
  SecondsFor(ours, kWarmUpSteps);
  SecondsFor(peer, kWarmUpSteps);
  double oursSeconds = 0;
  double peerSeconds = 0;
  for (auto _ : state) {
    const double block = SecondsFor(ours, kStepsPerBlock);
    oursSeconds += block;
    state.SetIterationTime(block / kStepsPerBlock);
    state.PauseTiming();
    peerSeconds += SecondsFor(peer, kStepsPerBlock);
    state.ResumeTiming();
  }
  state.counters["plain_ratio"] = oursSeconds / peerSeconds;
}

}  // namespace bench
