// Reads a settings file and a scenario of growing size through the program's readers: the
// settings grow by one comment line, the scenario by one value, the shapes that once made every
// key cost a pass over the file. The fitted complexity shows the time growing with the size.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win/app_path.h"
#include "program/flight/flight_state.h"
#include "program/missions/mission_file.h"
#include "program/missions/mission_setup.h"
#include "program/missions/settings.h"

namespace {

class ProgramFolder {
 public:
  ProgramFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "marovin-bench-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(path_ / "Missions" / "Bench");
    win::SetAppPath(path_.string());
  }
  ~ProgramFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  // Writes text of about size bytes: head, then filler up to the size, then tail.
  std::filesystem::path Write(const char* name, const std::string& head, char filler,
                              const std::string& tail, size_t size) const {
    std::filesystem::path path = path_ / name;
    std::ofstream file(path, std::ios::binary);
    file << head;
    const size_t fill = size > head.size() + tail.size() ? size - head.size() - tail.size() : 0;
    file << std::string(fill, filler) << tail;
    return path;
  }

 private:
  std::filesystem::path path_;
};

// An edit of one byte of the filler, dated long past, as a change made before the program
// started: the next read parses the file again.
void Edit(const std::filesystem::path& path, size_t offset) {
  static char mark = 'a';
  mark = mark == 'a' ? 'b' : 'a';
  std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(offset).put(mark);
  static auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  stamp += std::chrono::milliseconds(1);
  std::filesystem::last_write_time(path, stamp);
}

// Reads the file of state.range(0) bytes, head, filler and tail, with load at each iteration.
void ReadGrowing(benchmark::State& state, const char* name, const std::string& head, char filler,
                 const std::string& tail, void (*load)()) {
  const ProgramFolder folder;
  const size_t size = static_cast<size_t>(state.range(0));
  const std::filesystem::path path = folder.Write(name, head, filler, tail, size);
  Edit(path, head.size());
  for (auto _ : state) {
    load();
    state.PauseTiming();
    Edit(path, head.size());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetComplexityN(state.range(0));
}

// The settings with one long comment line.
void Settings(benchmark::State& state) {
  ReadGrowing(state, "Marovin.ini", "[Graphic Settings]\nVideo Mode=40\n; ", 'c',
              "\n[Miscellaneous]\nMission=Apollo 12\nGamma=1.5\n", LoadSettings);
}

// A scenario with one long value, through its three readers.
void Scenario(benchmark::State& state) {
  ReadGrowing(state, "Missions/Bench/Flight.sit", "[Static Parameters]\nGravity=5.2\nTitle=", 't',
              "\n[Flight Parameters]\nProgram Mode=P64\n", [] {
                MissionName = "Bench";
                FlightFile = "Flight";
                LoadMissionFile();
                LoadMissionDescription();
                LoadMissionSetup();
              });
}

constexpr int64_t Kilobyte = 1000;
constexpr int64_t FiftyMegabytes = 50'000'000;

}  // namespace

BENCHMARK(Settings)
    ->RangeMultiplier(8)
    ->Range(Kilobyte, FiftyMegabytes)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(Scenario)
    ->RangeMultiplier(8)
    ->Range(Kilobyte, FiftyMegabytes)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
