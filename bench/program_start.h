// The program as the benchmarks that fly through its real loop start it: its entry on a copy of
// the default program folder once the build has made its scene files (`built`), else of the
// stand-in folder, on a virtual clock, each frame moving it on by a 60th of a second.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/forms/script.h"
#include "platform/win/app_path.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/main_display.h"
#include "program/scene/engine_objects.h"
#include "program/startup/program_entry.h"
#include "tests/program/flight/flight_program.h"
#include "tests/program/flight/stand_in_folder.h"

namespace bench {

// Copies the folder into `copy` and runs the entry; the caller's clock stays in use until it
// ends the program.
inline void StartProgram(const std::filesystem::path& built, TempFolder& copy,
                         forms::VirtualClock& clock) {
  const bool useBuilt = std::filesystem::is_directory(built / "Models");
  const std::filesystem::path& folder = useBuilt ? built : flight_program::CompleteFolder();
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename() != "marovin")
      flight_program::CopyFolder(entry.path(), copy.Path() / entry.path().filename());
  win::SetAppPath(copy.Path().string());
  forms::UseClock(&clock);
  forms::script::StartAfresh();
  Main();
  Engine->SetFramePacing(std::chrono::nanoseconds(std::chrono::seconds(1)) / 60);
}

// Asks the flight under way to end: the program goes back to its launcher.
inline void LeaveFlight() {
  ExitRequest = 1;
  RunFlag = false;
  Main_Display->Timer_Test_Exit.SetEnabled(true);
}

// Runs the program with `watch` called at every turn of its event loop until it returns false
// (having asked the program to quit), the clock moved on by a millisecond in each turn that no
// flight runs; then ends the program as a test does and stops using the clock.
inline void RunWatched(forms::VirtualClock& clock, const std::function<bool()>& watch) {
  auto turn = std::make_shared<std::function<void()>>();
  *turn = [&clock, &watch, turn] {
    if (!watch()) return;
    if (!RunFlag) clock.Advance(std::chrono::milliseconds(1));
    forms::script::PostUserAction(*turn);
  };
  forms::script::PostUserAction(*turn);
  forms::Run();
  flight_program::EndProgram();
  forms::UseClock(nullptr);
  *turn = nullptr;  // it holds itself
}

}  // namespace bench
