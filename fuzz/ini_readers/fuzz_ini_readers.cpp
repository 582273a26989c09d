// Any bytes as every INI file the program reads at once (settings, layout, assignments, scenario):
// each reader takes what it can and never fails. The launcher's dialogs, which the settings fill,
// load at the first input only; each input is then one parse, shared by every reader.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/win/app_path.h"
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

// Memory, where the system has it: the input is written once per run of the readers.
std::filesystem::path FastFolder() {
  std::error_code error;
  return std::filesystem::is_directory("/dev/shm", error) ? std::filesystem::path("/dev/shm")
                                                          : std::filesystem::temp_directory_path();
}

// One program folder for the whole run, in which every file the readers open is a link to the one
// input file, so that the readers share one parse of it; removed at exit.
class FuzzFolder {
 public:
  FuzzFolder() {
    std::string pattern = (FastFolder() / "marovin-fuzz-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(path_ / "Missions" / "Fuzz");
    for (const char* name : ReadNames) std::filesystem::create_symlink(Input(), path_ / name);
    win::SetAppPath(path_.string());
    // The readers' log lines are not what is fuzzed, and hundreds of them an input would set the
    // pace.
    std::clog.rdbuf(nullptr);
  }
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  // Writes the input once. Each input is dated one step further into a past long gone, so that
  // its stamp tells it from the one before and the readers parse it once, as a file the program
  // did not just write.
  void Write(const uint8_t* data, size_t size) {
    std::ofstream(Input(), std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    stamp_ += std::chrono::seconds(1);
    std::filesystem::last_write_time(Input(), stamp_);
  }

 private:
  std::filesystem::path Input() const { return path_ / "input.ini"; }

  std::filesystem::path path_;
  std::filesystem::file_time_type stamp_ =
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365);
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static FuzzFolder fuzzFolder;
  fuzzFolder.Write(data, size);
  LoadSettings();
  // The settings name the mission; the scenario readers are to read the fuzzed file.
  MissionName = "Fuzz";
  FlightFile = "Flight";
  for (const bool joystick : {false, true}) {
    UseJoystick = joystick;
    LoadJoyAssignments();
  }
  LoadInstrumentLayout();
  LoadMissionFile();
  LoadMissionDescription();
  LoadMissionSetup();
  if (AltitudeCalls.size() > MaxCalloutCount || DescentCalls.size() > MaxCalloutCount) {
    __builtin_trap();
  }
  return 0;
}
