#include "program/missions/mission_lists.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
#include "program/flight/flight_state.h"
#include "program/input/input_state.h"
#include "program/input/joystick_data.h"
#include "program/missions/ini.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr char Test11FlightName[] = "Short Flight P66";
constexpr char NativeDescriptionSection[] = "Mission Description 1";

std::string MissionsFolder() { return ProgramFolder() + "\\Missions\\"; }

// The scenario file of the mission and flight chosen last.
std::string ChosenScenario() { return MissionsFolder() + MissionName + "\\" + FlightFile + ".sit"; }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const std::string foldedA = win::FoldAsciiCase(a);
  const std::string foldedB = win::FoldAsciiCase(b);
  return foldedA != foldedB ? foldedA < foldedB : a < b;
}

// The names of the folder's entries that pass the test, sorted.
template <class Test>
std::vector<std::string> EntryNames(const std::string& programFolder, Test test) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(win::ResolvePath(programFolder), error)) {
    if (test(entry)) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

void ShowContinueState() {
  DriverDialogForm& form = *DriverDialog;
  form.Command_Continue.SetEnabled(form.Combo2.ListIndex() >= 0);
}

}  // namespace

bool IsDirectory(const std::string& programPath) {
  if (programPath.ends_with(".") || programPath.ends_with("..")) return false;
  std::error_code error;
  return std::filesystem::is_directory(win::ResolvePath(programPath), error);
}

void FillMissionList() {
  DriverDialogForm& form = *DriverDialog;
  form.Combo1.SetEnabled(true);
  form.Combo2.SetEnabled(true);
  Busy = true;
  form.Combo1.Clear();
  const std::string folder = MissionsFolder();
  for (const std::string& name :
       EntryNames(folder, [&](const std::filesystem::directory_entry& entry) {
         return IsDirectory(folder + entry.path().filename().string());
       }))
    form.Combo1.AddItem(name);
  int16_t chosen = form.Combo1.ListCount() > 0 ? 0 : -1;
  for (int16_t i = 0; i < form.Combo1.ListCount(); ++i) {
    if (form.Combo1.List(i) == MissionName) chosen = i;
  }
  form.Combo1.SetListIndex(chosen);
  LoadScenarioList();
  Busy = false;
}

void LoadScenarioList() {
  DriverDialogForm& form = *DriverDialog;
  const std::string section = "Mission Description " + std::to_string(CurrentLanguage);
  Busy = true;
  form.Combo2.Clear();
  FlightFiles.clear();
  LanguageSuffix = LanguageSuffixFor(CurrentLanguage);
  const std::string folder = MissionsFolder() + form.Combo1.Text() + "\\";
  std::vector<std::string> files =
      form.Combo1.Text().empty()
          ? std::vector<std::string>()
          : EntryNames(folder, [](const std::filesystem::directory_entry& entry) {
              return entry.is_regular_file() &&
                     win::EndsWithIgnoringCase(entry.path().filename().string(), ".sit");
            });
  std::vector<std::pair<std::string, std::string>> flights;  // shown name, file
  for (const std::string& file : files) {
    const std::string stem = file.substr(0, file.size() - 4);
    const std::string name = ReadProfileValue(section, "Scenario Name", "", folder + file);
    flights.emplace_back(name.empty() ? stem : name, stem);
  }
  std::stable_sort(flights.begin(), flights.end(),
                   [](const auto& a, const auto& b) { return LessIgnoringCase(a.first, b.first); });
  for (const auto& [name, stem] : flights) {
    form.Combo2.AddItem(name);
    FlightFiles.push_back(stem);
  }
  int16_t chosen = form.Combo2.ListCount() > 0 ? 0 : -1;
  for (int16_t i = form.Combo2.ListCount() - 1; i >= 0; --i) {
    if (form.Combo2.List(i) == FlightName) chosen = i;
  }
  if (chosen >= 0) form.Combo2.SetListIndex(chosen);
  ShowContinueState();
  Busy = false;
}

void Set_Music_Box() {
  DriverDialogForm& form = *DriverDialog;
  MissionName = form.Combo1.Text();
  FlightName = form.Combo2.Text();
  FlightFile = GetSelectedFlightName();
  FlyingTheme = ReadProfileValue("General", "Flying Theme", "", ChosenScenario());
  SoundSettings->Text1.SetText(FlyingTheme);
}

std::string GetSelectedFlightName() {
  const int16_t index = DriverDialog->Combo2.ListIndex();
  if (index < 0 || static_cast<size_t>(index) >= FlightFiles.size()) return {};
  return FlightFiles[static_cast<size_t>(index)];
}

void DriverDialog_Combo1_Change() {
  if (!Busy) LoadScenarioList();
}

void DriverDialog_Combo1_Click() {
  if (!Busy) LoadScenarioList();
}

void DriverDialog_Combo2_Click() {
  Set_Music_Box();
  DriverDialogForm& form = *DriverDialog;
  // The box belongs to one flight, known by its name in the native language whichever language
  // shows it; hidden for another flight, it holds no tick for that one to fly with.
  const std::string nativeName =
      ReadProfileValue(NativeDescriptionSection, "Scenario Name", "", ChosenScenario());
  const bool test11 = (nativeName.empty() ? FlightFile : nativeName) == Test11FlightName;
  form.Check1.SetVisible(test11);
  if (!test11) form.Check1.SetValue(forms::Control::kUnchecked);
  ShowContinueState();
}
