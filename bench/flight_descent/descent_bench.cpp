// A scripted powered descent flown headlessly from 50,000 ft to touchdown under the automatic
// throttle, its figures printed beside the historical first landing's, and the cost of one
// simulated frame against the time a 60 Hz frame allows: the physics alone, and the whole frame of
// the surface loop near the ground (stars, rocks, shadows, dust) through the program's entry.
//
// The script is simpler than the real guidance: a purely vertical descent whose commanded rate is
// the altitude / 55 s, between 3 and 100 ft/s.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

#include "bench/program_start.h"
#include "platform/forms/script.h"
#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_programs.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/main_display.h"
#include "program/missions/launcher_forms.h"
#include "program/scene/scene_state.h"
#include "program/startup/program_entry.h"
#include "tests/program/flight/headless_lm.h"
#include "tests/program/flight/stand_in_folder.h"

namespace {

constexpr float IgnitionFeet = 50000.0f;
constexpr float LowGateFeet = 7000.0f;
constexpr float DescentTimeConstant = 55.0f;  // s: commanded rate = altitude / this
constexpr float FastestDescent = 100.0f;      // ft/s
constexpr float SlowestDescent = 3.0f;        // ft/s
constexpr int FramesPerThrottleTick = 6;      // 100 ms at 60 frames per second
constexpr double LongestFlight = 2000.0;      // s

struct Figures {
  double lowGateSeconds = 0.0;
  double lowGateRate = 0.0;  // ft/s downward
  double touchdownSeconds = 0.0;
  float fuelLeft = 0.0f;  // pounds
  bool crashed = false;
};

void StartDescent() {
  headless::ResetLM(IgnitionFeet);
  RunFlag = ControlsActive = true;
  AutoThrottleOn = true;
  ThrustAverageLength = 5;
  CurrentProgram = 0;
  Smoothing = {};
}

Figures FlyScriptedDescent() {
  StartDescent();
  Figures figures;
  double seconds = 0.0;
  for (int frame = 0; !Landed && seconds < LongestFlight; ++frame) {
    CommandedVerticalRate =
        -std::clamp(AltitudeAboveGround / DescentTimeConstant, SlowestDescent, FastestDescent);
    headless::FlyFrame();
    if (frame % FramesPerThrottleTick == 0) AverageTick();
    seconds += FrameTimeSec;
    if (figures.lowGateSeconds == 0.0 && AltitudeAboveGround <= LowGateFeet) {
      figures.lowGateSeconds = seconds;
      figures.lowGateRate = -LMVelocity.y;
    }
  }
  figures.touchdownSeconds = seconds;
  figures.fuelLeft = Fuel;
  figures.crashed = Crashed;
  return figures;
}

void BM_ScriptedDescent(benchmark::State& state) {
  Figures figures;
  for (auto _ : state) {
    figures = FlyScriptedDescent();
    benchmark::DoNotOptimize(figures);
  }
  static bool printed = false;
  if (!printed) {
    printed = true;
    std::printf("                      scripted   first landing\n");
    std::printf("low gate (7000 ft)   %7.0f s        ~506 s\n", figures.lowGateSeconds);
    std::printf("descent rate there   %7.0f ft/s     ~125 ft/s\n", figures.lowGateRate);
    std::printf("touchdown            %7.0f s        ~756 s%s\n", figures.touchdownSeconds,
                figures.crashed ? "  (crashed)" : "");
    std::printf("fuel left            %7.0f lb\n", static_cast<double>(figures.fuelLeft));
  }
}
BENCHMARK(BM_ScriptedDescent)->Unit(benchmark::kMillisecond);

// One frame of the physics near the ground, where the footpads are checked too; the peer is the
// 16.7 ms that a 60 Hz frame allows, of which this should take well under 1 %.
void BM_SurfaceFrame(benchmark::State& state) {
  headless::ResetLM(15.0f);
  AutoThrottleOn = true;
  for (auto _ : state) {
    CommandedVerticalRate = 0.0f;
    headless::FlyFrame();
    AverageTick();
    Landed = false;
  }
}
BENCHMARK(BM_SurfaceFrame);

constexpr int32_t TimedBelowFeet = 150;  // the frames timed fly below this, with dust and rocks
constexpr int16_t MostRocks = 100;       // the launcher's rock slider at its end
constexpr int16_t RealShadows = 3;       // the launcher's shadow slider at its end

// Flies an Apollo 11 flight through the program's entry on a program folder, with rocks and
// shadows, calling `frame` once per frame of the loop while the LM flies until it returns false;
// then the flight goes back to the launcher and the program ends.
void FlyThroughTheLoop(const char* flight, const std::function<bool()>& frame) {
  // The default program folder once the build has made its scene files, whose landscape reaches
  // as far as the P63 descent flies; else the stand-in folder.
  TempFolder copy;
  forms::VirtualClock clock;
  bench::StartProgram(MAROVIN_PROGRAM_FOLDER, copy, clock);
  DriverDialogForm& launcher = *DriverDialog;
  for (auto [list, text] : {std::pair{&launcher.Combo1, "Apollo 11"}, {&launcher.Combo2, flight}})
    for (int16_t i = 0; i < list->ListCount(); ++i)
      if (list->List(i) == std::string(text)) list->UserChoose(i);
  launcher.HScrollRocks.SetValue(MostRocks);
  launcher.HScroll2.SetValue(RealShadows);
  forms::script::PostUserAction([&launcher] { launcher.Command_Continue.UserClick(); });
  bool leaving = false;
  bench::RunWatched(clock, [&] {
    if (leaving && DriverDialog->Visible()) {
      launcher.Command_Quit.UserClick();
      return false;
    }
    if (!leaving && RunFlag && ControlsActive && !IntroFlyby && !frame()) {
      leaving = true;
      bench::LeaveFlight();
    }
    return true;
  });
}

// Whole frames of the surface loop in Short Flight P66, each timed from one yield of the loop to
// the next once the LM is near the ground.
void BM_WholeSurfaceFrame(benchmark::State& state) {
  FlyThroughTheLoop("Short Flight P66", [&state] {
    if (AltitudeFeet >= TimedBelowFeet) return true;
    if (Landed) {
      state.SkipWithError("the LM landed before the frames were timed");
      return false;
    }
    return state.KeepRunning();
  });
}
BENCHMARK(BM_WholeSurfaceFrame)->Iterations(2000);

// The P63 descent through the real loop with a scripted pilot: the commanded rate as above, P64
// near 7,000 ft and the low gate to P66, its figures printed beside the first landing's.
void BM_P63DescentThroughTheLoop(benchmark::State& state) {
  for (auto _ : state) {
    Figures figures;
    FlyThroughTheLoop("Powered Descent P63", [&figures] {
      const double seconds = MissionTime / 1000.0;
      CommandedVerticalRate =
          -std::clamp(AltitudeAboveGround / DescentTimeConstant, SlowestDescent, FastestDescent);
      if (CurrentProgram == P63 && AltitudeAboveGround <= LowGateFeet) {
        StartP64();
        figures.lowGateSeconds = seconds;
        figures.lowGateRate = -LMVelocity.y;
      }
      figures.touchdownSeconds = seconds;
      figures.fuelLeft = Fuel;
      figures.crashed = Crashed;
      return !Landed && seconds < LongestFlight;
    });
    std::printf("                      P63 loop   first landing\n");
    std::printf("P64 (7000 ft)        %7.0f s        ~506 s\n", figures.lowGateSeconds);
    std::printf("descent rate there   %7.0f ft/s     ~125 ft/s\n", figures.lowGateRate);
    std::printf("touchdown            %7.0f s        ~756 s%s\n", figures.touchdownSeconds,
                figures.crashed ? "  (crashed)" : "");
    std::printf("fuel left            %7.0f lb\n", static_cast<double>(figures.fuelLeft));
  }
}
BENCHMARK(BM_P63DescentThroughTheLoop)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
