// A session of 20 flights of different missions in one process, headless, from the launcher: each
// flight flown a few seconds into its fly-by and left for the launcher, then the next. After each
// flight it prints what the engine holds (textures, materials, fonts, lights, meshes) and the
// process's resident memory; a session that does not grow shows the same figures after flight 20
// as after flight 2. The counters are flight 20's less flight 2's (goal: 0 each).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/program_start.h"
#include "platform/forms/script.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/main_display.h"
#include "program/missions/launcher_forms.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/startup/program_entry.h"
#include "tests/program/flight/flight_program.h"
#include "tests/program/flight/stand_in_folder.h"

namespace {

constexpr int kFlights = 20;
// Turns of the event loop a flight runs once started (a few seconds of its fly-by): the scene,
// cockpit and sounds of a flight are all made by then.
constexpr int kFlightSteps = 300;

struct Holdings {
  size_t textures = 0, materials = 0, fonts = 0, lights = 0, meshes = 0;
  double residentMb = 0;
};

Holdings Measure() {
  Holdings held;
  held.textures = Engine->Textures().Size();
  held.materials = Engine->Materials().Size();
  held.fonts = Engine->Fonts().Size();
  held.lights = Engine->Lights().size();
  held.meshes = Scene->MeshCount();
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  held.residentMb = static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
                    (1024.0 * 1024.0);
  return held;
}

void BM_TwentyFlights(benchmark::State& state) {
  for (auto _ : state) {
    TempFolder copy;
    forms::VirtualClock clock;
    bench::StartProgram(MAROVIN_PROGRAM_FOLDER, copy, clock);
    DriverDialogForm& launcher = *DriverDialog;
    std::vector<Holdings> after;
    int flown = 0;
    bool flying = false;
    int steps = 0;
    // Flight k: the k-th mission of the list, and its (k / missions)-th flight; the last two
    // flights are the first two again, so that after flight 20 the figures of flight 2 return.
    const auto choose = [&](int flight) {
      const int k = flight % (kFlights - 2);
      const int16_t missions = launcher.Combo1.ListCount();
      launcher.Combo1.UserChoose(static_cast<int16_t>(k % missions));
      const int16_t flights = launcher.Combo2.ListCount();
      launcher.Combo2.UserChoose(static_cast<int16_t>(k / missions % flights));
      std::printf("flight %2d: %s, %s\n", flight + 1,
                  launcher.Combo1.List(launcher.Combo1.ListIndex()).c_str(),
                  launcher.Combo2.List(launcher.Combo2.ListIndex()).c_str());
      std::fflush(stdout);
    };
    bench::RunWatched(clock, [&] {
      if (!flying && DriverDialog->Visible()) {
        if (flown > 0 && static_cast<int>(after.size()) < flown) after.push_back(Measure());
        if (flown == kFlights) {
          launcher.Command_Quit.UserClick();
          return false;
        }
        choose(flown++);
        flying = true;
        steps = 0;
        // Posted: the flight runs inside the click, and this watch goes on meanwhile.
        forms::script::PostUserAction([&launcher] { launcher.Command_Continue.UserClick(); });
      } else if (flying && RunFlag) {
        if (++steps >= kFlightSteps) {
          flying = false;
          bench::LeaveFlight();
        }
      }
      return true;
    });
    std::printf("after flight  textures  materials  fonts  lights  meshes  resident MB\n");
    for (size_t k = 0; k < after.size(); ++k)
      std::printf("%12zu  %8zu  %9zu  %5zu  %6zu  %6zu  %11.1f\n", k + 1, after[k].textures,
                  after[k].materials, after[k].fonts, after[k].lights, after[k].meshes,
                  after[k].residentMb);
    if (after.size() < 2) {
      state.SkipWithError("fewer than two flights were flown");
      continue;
    }
    const Holdings& second = after[1];
    const Holdings& last = after.back();
    const auto grown = [](size_t a, size_t b) {
      return static_cast<double>(a) - static_cast<double>(b);
    };
    state.counters["textures_grown"] = grown(last.textures, second.textures);
    state.counters["materials_grown"] = grown(last.materials, second.materials);
    state.counters["fonts_grown"] = grown(last.fonts, second.fonts);
    state.counters["lights_grown"] = grown(last.lights, second.lights);
    state.counters["meshes_grown"] = grown(last.meshes, second.meshes);
    state.counters["resident_mb_grown"] = last.residentMb - second.residentMb;
  }
}
BENCHMARK(BM_TwentyFlights)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
