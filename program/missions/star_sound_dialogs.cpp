#include "program/missions/star_sound_dialogs.h"

#include <exception>
#include <filesystem>
#include <string>

#include "platform/win/app_path.h"
#include "program/flight/flight_state.h"
#include "program/missions/ini.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/launcher_services.h"
#include "program/missions/mission_lists.h"
#include "program/missions/missions_state.h"
#include "program/startup/form_helpers.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t MusicFilesText = 249;
constexpr int32_t ChooseMusicText = 248;

std::string ScenarioPath() {
  return ProgramFolder() + "\\Missions\\" + MissionName + "\\" + FlightFile + ".sit";
}

// The same folder, however the dialog and the program spell it.
bool SameFolder(const std::string& chosen, const std::string& programFolder) {
  const auto normal = [](std::filesystem::path p) {
    p = p.lexically_normal();
    return p.has_filename() ? p : p.parent_path();
  };
  return normal(std::filesystem::path(chosen)) == normal(win::ResolvePath(programFolder));
}

}  // namespace

void StarForm_Command1_Click() {
  StarOptionsForm& form = *StarForm;
  StarMagnitudeCut = static_cast<float>(form.HScroll3.Value()) / MagnitudeSteps;
  StarSize = form.HScroll1.Value();
  StarBrightness = form.HScroll2.Value();
  StarInformationFlag = form.Check1.Value() > 0;
  form.Hide();
}

void StarForm_Command2_Click() { StarForm->Hide(); }

void SoundSettings_Command1_Click() { SoundSettings->Hide(); }

void SoundSettings_Command2_Click() {
  DriverDialogForm& launcher = *DriverDialog;
  MissionName = launcher.Combo1.Text();
  FlightName = launcher.Combo2.Text();
  FlightFile = GetSelectedFlightName();
  const std::string soundFolder = ProgramFolder() + "\\Missions\\" + MissionName + "\\Sound\\";
  OpenDialogResult chosen;
  try {
    OpenDialogSettings settings;
    settings.filter = UiText[MusicFilesText] + " (*.wav,*.mp3)|*.wav;*.mp3";
    settings.title = UiText[ChooseMusicText];
    settings.initialFolder = ProgramFolder() + "\\";
    chosen = ShowOpenDialog(settings, &*SoundSettings, -1);
  } catch (const std::exception&) {
    return;
  }
  if (chosen.Cancelled || chosen.Count < 1) return;
  // A file of the mission's own sound folder is kept by its name, where the sound set-up looks
  // first; any other by its whole path.
  // Several files come with the folder alone, which still needs its separator.
  std::string folder = chosen.Directory;
  if (!folder.ends_with('/') && !folder.ends_with('\\')) folder += '/';
  FlyingTheme = SameFolder(folder, soundFolder) ? chosen.Files[1] : folder + chosen.Files[1];
  SoundSettings->Text1.SetText(FlyingTheme);
  SaveFlyingTheme();
}

void SaveFlyingTheme() { WriteINI("General", "Flying Theme", FlyingTheme, ScenarioPath()); }

void ConnectStarForm() {
  StarForm.Connect([](StarOptionsForm& form) {
    form.Command1.Click = StarForm_Command1_Click;
    form.Command2.Click = StarForm_Command2_Click;
    form.Load = [&form] { TranslateOnLoad(form); };
  });
}

void ConnectSoundSettings() {
  SoundSettings.Connect([](SoundSettingsForm& form) {
    form.Command1.Click = SoundSettings_Command1_Click;
    form.Command2.Click = SoundSettings_Command2_Click;
    form.Load = [&form] { TranslateOnLoad(form); };
  });
}
