// The whole program in one process, headless, on a copy of the stand-in program folder: the
// virtual clock, the launcher's choice, and a watcher called at every pump of the program.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/forms/forms.h"
#include "platform/forms/script.h"
#include "platform/win/app_path.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_state.h"
#include "program/startup/form_connections.h"
#include "program/startup/program_entry.h"
#include "program/startup/startup_state.h"
#include "tests/platform/win/temp_folder.h"
#include "tests/program/flight/stand_in_folder.h"
#include "tests/program/saved_variables.h"

namespace flight_program {

// Starts the program with the engine's frames paced at 60 a second of the virtual clock.
inline void StartProgram() {
  Main();
  Engine->SetFramePacing(std::chrono::nanoseconds(std::chrono::seconds(1)) / 60);
}

// Asks to leave the flight as the exit command does.
inline void RequestExit(int16_t request) {
  ExitRequest = request;
  RunFlag = false;
  Main_Display->Timer_Test_Exit.SetEnabled(true);
}

// The fly-by ends in the menu with the flight held; the menu's Start flies it, unless the exit
// box is up, which the user answers first. The menu at the end of an ascent is no fly-by's.
// True when this pump pressed it.
inline bool StartFromTheMenu() {
  if (!RunFlag || !SettingsOverlayShown || ControlsActive || IntroFlyby || ExitDialogShown ||
      StagingFadeFlag)
    return false;
  RequestExit(3);
  return true;
}

// A test of the whole program: a fresh copy of the complete folder as the program folder, the
// virtual clock, and at the end the program ended and the window system afresh.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectForms();
    // Engine objects that other tests left are let go as the program's shutdown lets go of its own.
    if (Engine) EngineInitialised = true;
    EndProgram();
    CopyFolder(CompleteFolder(), folder_.Path());
    win::SetAppPath(folder_.Path().string());
    forms::UseClock(&clock_);
    forms::script::SetHeadlessScreen({1280, 1024, 32, 60});
    RunFlag = false;
  }
  void TearDown() override {
    EndProgram();
    forms::UseClock(nullptr);
  }

  // Chooses the mission and flight in the launcher by their list texts.
  static void Choose(const std::string& mission, const std::string& flight) {
    DriverDialogForm& launcher = *DriverDialog;
    for (int16_t i = 0; i < launcher.Combo1.ListCount(); ++i)
      if (launcher.Combo1.List(i) == mission) launcher.Combo1.UserChoose(i);
    for (int16_t i = 0; i < launcher.Combo2.ListCount(); ++i)
      if (launcher.Combo2.List(i) == flight) launcher.Combo2.UserChoose(i);
  }

  // The program folder becomes a copy of `folder` (without any executable in it).
  void UseProgramFolder(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
      std::filesystem::remove_all(entry.path());
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.path().filename() != "marovin")
        CopyFolder(entry.path(), folder_.Path() / entry.path().filename());
  }

  // A click that runs as the user's next action, after the watcher's turn: a click that starts a
  // flight returns only when the flight ends.
  static void ClickLater(forms::Control& button) {
    forms::script::PostUserAction([&button] { button.UserClick(); });
  }

  // Runs the program's idle loop, calling `watch` once per pump (every frame of a flight) until
  // it returns false or the program ends. Between flights the watcher lets a millisecond pass at
  // each pump, so that the timers come due as they would for a user.
  void RunWatching(const std::function<bool()>& watch) {
    // The step posts itself again; it holds itself weakly, so it goes when the run ends.
    auto step = std::make_shared<std::function<void()>>();
    *step = [this, watch, self = std::weak_ptr(step)] {
      if (!RunFlag) clock_.Advance(std::chrono::milliseconds(1));
      if (watch())
        if (const auto again = self.lock()) forms::script::PostUserAction(*again);
    };
    forms::script::PostUserAction(*step);
    forms::Run();
  }

  // Clicks the launcher's Continue, then runs the program as RunWatching does, from the pump
  // after the click, and starts the flight when the fly-by's menu opens.
  void ContinueAndWatch(const std::function<bool()>& watch) {
    bool continued = false;
    RunWatching([&] {
      if (continued) return StartFromTheMenu() || watch();
      continued = true;
      ClickLater(DriverDialog->Command_Continue);
      return true;
    });
  }

  // Continues from the launcher, calls `flying` at each frame of the flight until it returns
  // false, then leaves the flight and, back at the launcher with the main display gone, quits.
  void FlyFromTheLauncher(const std::function<bool()>& flying) {
    bool leaving = false;
    ContinueAndWatch([&] {
      if (leaving) {
        if (!DriverDialog->Visible()) return true;
        EXPECT_FALSE(Main_Display->Visible());
        EXPECT_FALSE(Main_Display->TimerAverage.Enabled());
        ClickLater(DriverDialog->Command_Quit);
        return false;
      }
      if (RunFlag && !flying()) {
        RequestExit(1);
        leaving = true;
      }
      return true;
    });
  }

  TempFolder folder_;
  forms::VirtualClock clock_;

 private:
  SavedVariables saved_ = SavedVariables(CurrentLanguage, MissionName, FlightFile, MissionType,
                                         LandPrecision, EngineBackendMaker);
};

}  // namespace flight_program
