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
constexpr int16_t MagnitudeSteps = 1000;  // thousandths of the magnitude cut

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

void Place(forms::Control& control, int32_t left, int32_t top, int32_t width, int32_t height) {
  control.Move(left, top, width, height);
}

}  // namespace

StarOptionsForm::StarOptionsForm() : Form("StarForm") {
  SetCaption("Star Options");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  Move(0, 0, 4800, 3900);
  HScroll3.SetMin(MagnitudeSteps);
  HScroll3.SetMax(0);
  HScroll1.SetMin(1);
  HScroll1.SetMax(10);
  HScroll2.SetMin(0);
  HScroll2.SetMax(10);
  const struct {
    forms::Label* title;
    forms::Label* left;
    forms::Label* right;
    forms::HScrollBar* bar;
    const char* titleText;
    const char* leftText;
    const char* rightText;
  } rows[] = {{&Label1, &Label2, &Label3, &HScroll3, "Magnitude Contrast", "Less", "More"},
              {&Label4, &Label5, &Label6, &HScroll1, "Size", "Small", "Large"},
              {&Label7, &Label8, &Label9, &HScroll2, "Amount", "Natural", "Bright"}};
  int32_t top = 120;
  for (const auto& row : rows) {
    row.title->SetCaption(row.titleText);
    row.left->SetCaption(row.leftText);
    row.right->SetCaption(row.rightText);
    Place(*row.title, 240, top, 4200, 255);
    Place(*row.left, 240, top + 300, 1080, 255);
    Place(*row.bar, 1380, top + 300, 2040, 255);
    Place(*row.right, 3480, top + 300, 1080, 255);
    top += 720;
  }
  Check1.SetCaption("Mouse-over Information");
  Place(Check1, 240, top, 4200, 300);
  Command1.SetCaption("OK");
  Command2.SetCaption("Cancel");
  Place(Command1, 960, top + 480, 1200, 375);
  Place(Command2, 2520, top + 480, 1200, 375);
  Command2.SetCancel(true);
}

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
