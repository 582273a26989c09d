// Any bytes as one of the INI files the program reads, each reader taking what it can and never
// failing. The input's first byte chooses the reader (its value modulo 5: the settings, the
// assignments, the instrument layout, the scenario's flight state and description, the scenario's
// set-up and callout tables; for the assignments, the next bit chooses the joystick's file for
// the buttons). That byte stays in the file: a line before the first section is nobody's. One
// reader reads one parse of each input; the launcher's dialogs, which the settings fill, load at
// the first input only.
#include <array>
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

// The input as every file the readers open: each is a link to it.
struct ReadersFolder {
  ReadersFolder() {
    folder.Write("input.ini", "");
    std::filesystem::create_directories(folder.Path() / "Missions" / "Fuzz");
    for (const char* name : ReadNames)
      std::filesystem::create_symlink(folder.Path() / "input.ini", folder.Path() / name);
  }
  FuzzFolder folder;
};

void ReadSettings(uint8_t) {
  LoadSettings();
  // The boxes of values the settings refused: an input that leaves memory behind is checked for
  // leaks, which would set the pace.
  forms::script::ForgetShownMessageBoxes();
}

void ReadAssignments(uint8_t choice) {
  UseJoystick = choice % 2 == 1;
  LoadJoyAssignments();
}

void ReadLayout(uint8_t) { LoadInstrumentLayout(); }

void ReadFlightState(uint8_t) {
  LoadMissionFile();
  LoadMissionDescription();
}

void ReadSetup(uint8_t) {
  LoadMissionSetup();
  if (AltitudeCalls.size() > MaxCalloutCount || DescentCalls.size() > MaxCalloutCount) {
    __builtin_trap();
  }
}

constexpr std::array Readers = {ReadSettings, ReadAssignments, ReadLayout, ReadFlightState,
                                ReadSetup};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 20)) return 0;
  static ReadersFolder readers;
  readers.folder.Write("input.ini", std::string_view(reinterpret_cast<const char*>(data), size));
  // The scenario readers read the file of this mission and flight.
  MissionName = "Fuzz";
  FlightFile = "Flight";
  Readers[data[0] % Readers.size()](static_cast<uint8_t>(data[0] / Readers.size()));
  return 0;
}
