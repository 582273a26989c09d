// Any bytes as every INI file the program reads at once (settings, layout, assignments, scenario):
// each reader takes what it can and never fails.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// One program folder for the whole run, holding the input under every file name; removed at exit.
class FuzzFolder {
 public:
  FuzzFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "marovin-fuzz-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(path_ / "Missions" / "Fuzz");
    win::SetAppPath(path_.string());
    MissionName = "Fuzz";
    FlightFile = "Flight";
  }
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void Write(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static const FuzzFolder fuzzFolder;
  const std::filesystem::path& folder = fuzzFolder.Path();
  for (const char* name : {"Marovin.ini", "Instruments.ini", "JoyAssign.ini", "KeyBoardOnly.ini",
                           "Missions/Fuzz/Flight.sit"}) {
    Write(folder / name, data, size);
  }
  LoadSettings();
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
