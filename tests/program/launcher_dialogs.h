// What the launcher's dialogs leave behind in a test process: the dialogs stay loaded for the
// whole run, and the window system's script keeps every message box the process showed.
#pragma once

#include <cstddef>
#include <span>

#include "platform/forms/script.h"
#include "program/flight/flight_loop_state.h"
#include "program/input/joystick_assign.h"
#include "program/missions/launcher_services.h"
#include "program/startup/startup_state.h"

// Unloads every dialog of the launcher as a language change does, so that the next touch loads
// each of them afresh.
inline void UnloadLauncherDialogs() {
  LanguageChanging = true;
  DriverDialog.Unload();
  Advanced.Unload();
  PilotList.Unload();
  StarForm.Unload();
  SoundSettings.Unload();
  JoystickAssign.Unload();
  LanguageChanging = false;
}

// The launcher's load starts the engine, once in the program's life. A test of the dialogs has no
// scene to start it on, so while it holds one of these the engine counts as started already.
class EngineStartedElsewhere {
 public:
  EngineStartedElsewhere() : was_(EngineInitialised) { EngineInitialised = true; }
  ~EngineStartedElsewhere() { EngineInitialised = was_; }
  EngineStartedElsewhere(const EngineStartedElsewhere&) = delete;
  EngineStartedElsewhere& operator=(const EngineStartedElsewhere&) = delete;

 private:
  bool was_;
};

// The message boxes shown since it was made.
class MessageBoxesShown {
 public:
  std::span<const forms::MessageBox> operator()() const {
    return std::span(forms::script::ShownMessageBoxes()).subspan(before_);
  }

 private:
  size_t before_ = forms::script::ShownMessageBoxes().size();
};
