#include "program/missions/launcher.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/forms/dialogs.h"
#include "platform/forms/event_pump.h"
#include "platform/win/app_path.h"
#include "platform/win/numbers.h"
#include "program/flight/flight_run.h"
#include "program/flight/flight_state.h"
#include "program/flight/loading_screen.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/input/joystick_assign.h"
#include "program/input/joystick_data.h"
#include "program/input/joystick_devices.h"
#include "program/missions/ini.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/launcher_services.h"
#include "program/missions/mission_lists.h"
#include "program/missions/missions_state.h"
#include "program/missions/missions_texts.h"
#include "program/missions/pilot_list.h"
#include "program/missions/registry_query.h"
#include "program/missions/settings.h"
#include "program/scene/engine_objects.h"
#include "program/startup/form_helpers.h"
#include "program/startup/form_translation.h"
#include "program/startup/help_page.h"
#include "program/startup/language_change.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t LoadingIniFileTextId = 319;
// The joystick preview's camera, on the x axis beside the small LM at the origin.
constexpr float PreviewCameraDistance = 10.0f;  // world units
constexpr float PreviewViewAngle = 60.0f;       // degrees
constexpr float PreviewFarPlane = 1000.0f;
constexpr float PreviewNearPlane = 1.0f;

// The interface texts of the scroll bars' captions, by the first value of each band.
struct CaptionBand {
  int16_t first;
  int16_t last;
  int32_t textId;
};
constexpr CaptionBand TextureCaptions[] = {{0, 0, 219}, {1, 1, 220}, {2, 2, 221}};
constexpr CaptionBand ShadowCaptions[] = {{0, 0, 222}, {1, 1, 223}, {2, 2, 224}, {3, 3, 225}};
constexpr CaptionBand LandscapeCaptions[] = {{0, 0, 226}, {1, 1, 227}, {2, 2, 228}};
constexpr CaptionBand RockGraphicCaptions[] = {
    {0, 60, 229}, {61, 120, 230}, {121, 180, 231}, {181, 240, 232}, {241, 299, 233}};
constexpr CaptionBand RockCaptions[] = {
    {0, 20, 234}, {21, 40, 235}, {41, 60, 236}, {61, 80, 237}, {81, 100, 238}};

// A value outside every band leaves the caption as it was.
template <size_t N>
void ShowBandCaption(forms::Control& label, int16_t value, const CaptionBand (&bands)[N]) {
  for (const CaptionBand& band : bands) {
    if (value >= band.first && value <= band.last) {
      label.SetCaption(UiText[static_cast<size_t>(band.textId)]);
      return;
    }
  }
}

}  // namespace

void DriverDialog_Form_Load() {
  DriverDialogForm& form = *DriverDialog;
  // A flight starts only from a launcher made whole: the engine set up, the lists filled.
  form.Command_Continue.SetEnabled(false);
  try {
    TranslateOnLoad(form);
    forms::DoEvents();
    LoadJoyAssignments();
    CheckDirectXVersion();
    form.SetCaption(" Marovin Ver " MAROVIN_VERSION);
    form.ImageLogo.SetPicture(
        win::ResolvePath(ProgramFolder() + "\\Textures\\marovinlogo.png").string());
    const forms::ScreenInfo screen = forms::Screen();
    DesktopCaps = {screen.widthPixels, screen.heightPixels, screen.bitsPerPixel, screen.refreshHz};
    UpdateAdapter();
    UpdateVideoModes(form.AdapterIndex);
    ShowLoadingStep(UiText[LoadingIniFileTextId], false, 0);
    LoadSettings();
    // Each bar's caption names its value from the start, also a value the settings left unchanged.
    for (void (*caption)() :
         {DriverDialog_HScroll1_Change, DriverDialog_HScroll2_Change,
          DriverDialog_HScrollLandscape_Change, DriverDialog_HScrollRockGraphic_Change,
          DriverDialog_HScrollRocks_Change})
      caption();
    FillMissionList();
    for (int id = FirstViewNameId; id < FirstViewNameId + ViewNameCount; ++id)
      form.Combo3.AddItem(UiText[static_cast<size_t>(id)]);
    InitEngineAndWindow();
  } catch (const std::exception& error) {
    // The launcher stays for Quit and the other dialogs; Continue stays off.
    forms::MsgBox(error.what(), forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Critical);
    return;
  }
  form.LoadFinished = true;
  ShowContinueState();
}

void DriverDialog_Form_QueryUnload(bool&, int16_t) {
  // The language change unloads the launcher to load it again in the new language.
  if (!LanguageChanging) DriverDialog_Command_Quit_Click();
}

void DriverDialog_Command_Continue_Click() {
  if (SimulationInitialised) {
    ApplyMissionSelection();
    RestartFlight();
  } else {
    StartFlight();
  }
}

void DriverDialog_Command_Quit_Click() {
  // What was chosen since the last flight is kept for the next start.
  KeepLauncherChoices();
  if (SimulationInitialised) ShutDownSimulator();
  forms::End();
}

void EndAsQuit() {
  if (DriverDialog.Loaded() && DriverDialog->Visible()) DriverDialog_Command_Quit_Click();
  // In flight: the settings as the flight's end keeps them, then what closing its window does.
  if (SimulationInitialised) {
    SaveSettings();
    ShutDownSimulator();
  }
  forms::End();
}

void DriverDialog_Command_Help_Click() { ShowHelpPage(); }

void DriverDialog_Command2_Click() {
  Set_Music_Box();
  SoundSettings->Show();
}

void DriverDialog_Command1_Click() {
  JoystickTestStop = false;
  JoystickAssignForm& dialog = *JoystickAssign;
  Busy = true;
  // The test draws its preview into the dialog's own picture, so the frame it draws takes the
  // picture's size; the main window stays as it is, and the dialog's end gives the frame back its
  // size.
  Engine->ResizeDevice(dialog.Picture1.ScaleWidth(), dialog.Picture1.ScaleHeight());
  CenterForm(dialog);
  // Without a joystick the list still holds its one "No Joystick Connected" entry, for joystick 1.
  if (JoystickListCount == 0) forms::MsgBox(EnsureTralexa().GetTranslation(NoJoystickText));
  if (dialog.Combo1.ListCount() > 0) {
    dialog.Combo1.SetListIndex(0);
    SelectedJoystick = static_cast<int16_t>(
        win::RoundHalfEven(win::LeadingNumber(dialog.Combo1.List(0).substr(0, 2))));
  }
  dialog.Show();
  // A later match overrides an earlier one, in the order of the flight-axis box's entries.
  constexpr AxisIndex EntryAxes[] = {AxisRoll,       AxisPitch,      AxisThrottle,  AxisYaw,
                                     AxisTranslateX, AxisTranslateY, AxisTranslateZ};
  constexpr int16_t NoAxisEntry = 7;
  for (int16_t axis = 0; axis < 8; ++axis) {
    int16_t entry = NoAxisEntry;
    for (int16_t e = 0; e < NoAxisEntry; ++e) {
      const AxisAssignment& assignment = AxisAssignments[static_cast<size_t>(EntryAxes[e])];
      if (assignment.Joystick == SelectedJoystick && assignment.AxisType == axis) entry = e;
    }
    dialog.Combo2(axis).SetListIndex(entry);
  }
  Busy = false;
  // The preview is drawn through the main camera: beside the small LM, looking at it.
  engine::EngineCamera& preview = Engine->MainCamera();
  preview.SetPosition(PreviewCameraDistance, 0.0f, 0.0f);
  preview.LookAt(0.0f, 0.0f, 0.0f);
  preview.SetViewFrustum(PreviewViewAngle, PreviewFarPlane, PreviewNearPlane);
  DriverDialogForm& form = *DriverDialog;
  form.Command8.SetEnabled(false);
  const bool continueEnabled = form.Command_Continue.Enabled();
  form.Command_Continue.SetEnabled(false);
  RunJoystickTest();
  form.Command8.SetEnabled(true);
  form.Command_Continue.SetEnabled(continueEnabled);
}

void DriverDialog_Command6_Click() {
  StarOptionsForm& stars = *StarForm;
  // A hand-edited settings file may hold a value beyond a bar; the bar shows its nearest end.
  const auto show = [](forms::Control& bar, int32_t value) {
    const int32_t low = std::min(bar.Min(), bar.Max());
    const int32_t high = std::max(bar.Min(), bar.Max());
    bar.SetValue(static_cast<int16_t>(std::clamp(value, low, high)));
  };
  show(stars.HScroll3, win::RoundHalfEven(StarMagnitudeCut * 1000.0));
  show(stars.HScroll1, StarSize);
  show(stars.HScroll2, StarBrightness);
  stars.Check1.SetValue(StarInformationFlag ? forms::Control::kChecked
                                            : forms::Control::kUnchecked);
  stars.Show();
}

void DriverDialog_Command7_Click() { ExportAppStrings(*DriverDialog); }
void DriverDialog_Command8_Click() { ChangeLanguage(); }

void DriverDialog_Option_Joystick_Click() { DriverDialog->Command1.SetEnabled(true); }
void DriverDialog_Option_KeyBoard_Click() { DriverDialog->Command1.SetEnabled(false); }

void DriverDialog_HScroll1_Change() {
  ShowBandCaption(DriverDialog->Label5, DriverDialog->HScroll1.Value(), TextureCaptions);
}
void DriverDialog_HScroll2_Change() {
  ShowBandCaption(DriverDialog->Label3, DriverDialog->HScroll2.Value(), ShadowCaptions);
}
void DriverDialog_HScrollLandscape_Change() {
  ShowBandCaption(DriverDialog->Label14, DriverDialog->HScrollLandscape.Value(), LandscapeCaptions);
}
void DriverDialog_HScrollRockGraphic_Change() {
  ShowBandCaption(DriverDialog->Label18, DriverDialog->HScrollRockGraphic.Value(),
                  RockGraphicCaptions);
}
void DriverDialog_HScrollRocks_Change() {
  ShowBandCaption(DriverDialog->Label15, DriverDialog->HScrollRocks.Value(), RockCaptions);
}

void DriverDialog_Command3_Click() { PilotList->Show(); }
void DriverDialog_Command5_Click() { Advanced->Show(); }

void ConnectDriverDialog() {
  DriverDialog.Connect([](DriverDialogForm& form) {
    form.Combo1.Change = DriverDialog_Combo1_Change;
    form.Combo1.Click = DriverDialog_Combo1_Click;
    form.Combo2.Click = DriverDialog_Combo2_Click;
    form.cboGroup.Click = DriverDialog_cboGroup_Click;
    form.chkWindowed.Click = DriverDialog_chkWindowed_Click;
    form.Option_Joystick.Click = DriverDialog_Option_Joystick_Click;
    form.Option_KeyBoard.Click = DriverDialog_Option_KeyBoard_Click;
    form.HScroll1.Change = DriverDialog_HScroll1_Change;
    form.HScroll2.Change = form.HScroll2.Scroll = DriverDialog_HScroll2_Change;
    form.HScrollLandscape.Change = DriverDialog_HScrollLandscape_Change;
    form.HScrollRockGraphic.Change = form.HScrollRockGraphic.Scroll =
        DriverDialog_HScrollRockGraphic_Change;
    form.HScrollRocks.Change = form.HScrollRocks.Scroll = DriverDialog_HScrollRocks_Change;
    form.Command3.Click = DriverDialog_Command3_Click;
    form.Command5.Click = DriverDialog_Command5_Click;
    form.Command_Continue.Click = DriverDialog_Command_Continue_Click;
    form.Command_Quit.Click = DriverDialog_Command_Quit_Click;
    form.Command_Help.Click = DriverDialog_Command_Help_Click;
    form.Command2.Click = DriverDialog_Command2_Click;
    form.Command1.Click = DriverDialog_Command1_Click;
    form.Command6.Click = DriverDialog_Command6_Click;
    form.Command7.Click = DriverDialog_Command7_Click;
    form.Command8.Click = DriverDialog_Command8_Click;
    form.Load = DriverDialog_Form_Load;
    form.QueryUnload = [](bool& cancel, forms::UnloadMode mode) {
      DriverDialog_Form_QueryUnload(cancel, static_cast<int16_t>(mode));
    };
  });
}

void ConnectAdvanced() {
  Advanced.Connect([](AdvancedForm& form) {
    form.Command1.Click = Advanced_Command1_Click;
    form.Command2.Click = Advanced_Command2_Click;
    form.Load = [&form] {
      form.Combo4.AddItem("None");
      for (int samples = 1; samples <= 10; ++samples) form.Combo4.AddItem(std::to_string(samples));
      TranslateOnLoad(form);
    };
  });
}
