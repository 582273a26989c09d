// Any bytes as every INI file the program reads at once (settings, layout, assignments, scenario):
// each reader takes what it can and never fails. The launcher's dialogs, which the settings fill,
// load at the first input only; each input is then one parse, shared by every reader.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "fuzz/fuzz_folder.h"
#include "platform/forms/script.h"
#include "program/flight/flight_state.h"
#include "program/input/joystick_data.h"
#include "program/missions/instrument_layout.h"
#include "program/missions/mission_file.h"
#include "program/missions/mission_setup.h"
#include "program/missions/missions_state.h"
#include "program/missions/settings.h"

namespace {

constexpr const char* ReadNames[] = {"Marovin.ini", "Instruments.ini", "JoyAssign.ini",
                                     "KeyBoardOnly.ini", "Missions/Fuzz/Flight.sit"};

// The input as every file the readers open: each is a link to it, so that they share one parse.
struct ReadersFolder {
  ReadersFolder() {
    folder.Write("input.ini", "");
    std::filesystem::create_directories(folder.Path() / "Missions" / "Fuzz");
    for (const char* name : ReadNames)
      std::filesystem::create_symlink(folder.Path() / "input.ini", folder.Path() / name);
  }
  FuzzFolder folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static ReadersFolder readers;
  readers.folder.Write("input.ini", std::string_view(reinterpret_cast<const char*>(data), size));
  LoadSettings();
  // The settings name the mission; the scenario readers are to read the fuzzed file.
  MissionName = "Fuzz";
  FlightFile = "Flight";
  // Both assignment files hold the input: one load, the buttons' file chosen by the input's size.
  UseJoystick = size % 2 == 1;
  LoadJoyAssignments();
  LoadInstrumentLayout();
  LoadMissionFile();
  LoadMissionDescription();
  LoadMissionSetup();
  if (AltitudeCalls.size() > MaxCalloutCount || DescentCalls.size() > MaxCalloutCount) {
    __builtin_trap();
  }
  // The boxes of values the settings refused: an input that leaves memory behind is checked for
  // leaks, which would set the pace.
  forms::script::ForgetShownMessageBoxes();
  return 0;
}
