// The engine start, the launcher's choices, the scene build and the reload of a later flight.
#include <cmath>
#include <exception>
#include <string>

#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "platform/win/numbers.h"
#include "platform/win/twips.h"
#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_canvas.h"
#include "program/cockpit/dsky_programs.h"
#include "program/cockpit/help_overlays.h"
#include "program/cockpit/hud_panel.h"
#include "program/cockpit/instruments.h"
#include "program/cockpit/landing_guidance.h"
#include "program/cockpit/small_readouts.h"
#include "program/cockpit/sound_setup.h"
#include "program/flight/attitude_control.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_run.h"
#include "program/flight/flight_state.h"
#include "program/flight/loading_screen.h"
#include "program/flight/main_display.h"
#include "program/flight/staging.h"
#include "program/input/flying.h"
#include "program/input/input_state.h"
#include "program/input/joystick_data.h"
#include "program/input/joystick_devices.h"
#include "program/input/key_dispatch.h"
#include "program/input/menu.h"
#include "program/input/mouse_input.h"
#include "program/missions/dev_tools.h"
#include "program/missions/ini.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/launcher_return.h"
#include "program/missions/launcher_services.h"
#include "program/missions/mission_file.h"
#include "program/missions/mission_lists.h"
#include "program/missions/mission_setup.h"
#include "program/missions/missions_state.h"
#include "program/missions/settings.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/engine_objects.h"
#include "program/scene/lm_models.h"
#include "program/scene/scene_resources.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"
#include "program/scene/textures_materials.h"
#include "program/scene/world_models.h"
#include "program/startup/startup_state.h"

namespace {

// Interface texts of the loading steps and the failure boxes.
enum LoadingText : int32_t {
  ColourDepthIsText = 258,
  WindowedModeText = 259,
  SixteenOrThirtyTwoText = 260,
  DisplayPropertiesText = 261,
  WrongColourDepthText = 262,
  ColoursText = 263,
  MathLibraryText = 271,
  Creating2DScreenText = 272,
  InputEngineText = 273,
  GraphicsText = 274,
  LargeMoonText = 275,
  CSMTexturesText = 276,
  CSMText = 277,
  LunarSurfaceText = 278,
  LandTexturesText = 279,
  CreatingLandText = 280,
  GatesText = 281,
  SurveyorText = 282,
  RocksText = 283,
  StarsText = 284,
  SceneText = 285,
  LightsText = 286,
  Screen2DTextText = 287,
  FontsText = 288,
  CameraText = 289,
  SoundsText = 291,
  EffectText = 292,
  MaterialsText = 293,
  RenderSurfacesText = 294,
  TexturesText = 295,
  ButtonTexturesText = 296,
  ParticlesText = 297,
  AtmosphereText = 298,
  HatchText = 299,
  CockpitText = 300,
  SwitchesText = 301,
  AscentStageText = 302,
  DescentStageText = 303,
  PlumesText = 304,
  PivotText = 305,
  DustText = 306,
  DebrisText = 307,
  FlagInitiatedText = 308,
  ExplosionText = 309,
  FDAIText = 310,
  CommandModuleText = 311,
  OrbitalMoonText = 312,
  ShadowText = 313,
  BigMoonText = 314,
  ButtonsText = 315,
  EngineDllsText = 316,
  FatalByeText = 317,
  FatalErrorText = 318,
};

constexpr int32_t DefaultModeWidth = 800;
constexpr int32_t DefaultModeHeight = 600;
constexpr int32_t DefaultModeBits = 16;
constexpr int32_t SmallestWindowWidth = 300;  // pixels
constexpr int32_t SmallestWindowHeight = 200;
constexpr double WindowHeightCut = 0.2;  // of the screen's height, left free
constexpr double WindowAspect = 0.81;    // height / width
constexpr double WindowTopShare = 0.05;  // of the form's inner height
// The window's size while the device is made on it, pixels: at 320 by 240 twips a bordered window
// has no drawing area left for the device.
constexpr int32_t HiddenFormWidth = 320;
constexpr int32_t HiddenFormHeight = 240;
constexpr float LandTextureSide = 2048.0f;  // pixels at full texture quality
constexpr int32_t MoonPictureWidth = 12306;
constexpr int32_t MoonPictureHeight = 5110;
constexpr uint32_t CMOverlayColourKey = static_cast<uint32_t>(-327764);
constexpr float CameraDefaultDistance = 45.0f;
constexpr float CameraDefaultYaw = 90.0f;
constexpr float DefaultFieldOfView = 60.0f;
constexpr int32_t RockSliderDivisor = 8;
constexpr float LandScaleIncrement = 50.0f;
constexpr float LandMoveIncrement = 1.0f;

// The view cameras beside the engine's main camera.
std::array<engine::EngineCamera, ViewCameraCount - 1> extraCameras;

// The interface text of an id; a progress text shows its id's text.
void Step(int32_t text, bool draw = false, int32_t step = 0) {
  ShowLoadingStep(UiText[static_cast<size_t>(text)], draw, step);
}

bool Ticked(const forms::Control& box) { return box.Value() == forms::Control::kChecked; }

// Where the engine log goes, by the "GraphicsDebug" setting.
void ApplyDebugLog() {
  if (!Engine) return;
  Engine->SetDebugFile(GraphicsDebug ? ProgramFolder() + "\\GraphicDebug.txt" : "");
  Engine->SetDebugMode(GraphicsDebug, -1, 0);
}

void StoreScreenScale() { StoreWindowSize(*Main_Display); }

}  // namespace

// A window stored under 300 by 200 pixels, or none, is placed anew: 80 percent of the screen's
// height, a little wider than high, centred.
void PlaceWindowAtStart(MainDisplayForm& form) {
  const int32_t screenHeight = forms::ScreenHeightTwips();
  const auto h80 =
      static_cast<int32_t>(win::RoundHalfEven(screenHeight - WindowHeightCut * screenHeight));
  const std::string file = ProgramFolder() + "\\Marovin.ini";
  const auto stored = [&](const char* key) {
    return static_cast<int32_t>(win::RoundHalfEven(ToValue(ReadINI("Window", key, "0", file))));
  };
  int32_t left = stored("Left");
  int32_t top = stored("Top");
  int32_t width = stored("Width");
  int32_t height = stored("Height");
  Busy = true;
  if (win::PixelsToTwips(SmallestWindowWidth) >= width ||
      win::PixelsToTwips(SmallestWindowHeight) >= height) {
    top = static_cast<int32_t>(
        win::RoundHalfEven(form.ScaleHeight() * WindowTopShare * win::TwipsPerPixel));
    form.SetHeight(h80);
    height = form.Height();
    width = static_cast<int32_t>(win::RoundHalfEven(height / WindowAspect));
    left = static_cast<int32_t>(win::RoundHalfEven((forms::ScreenWidthTwips() - width) / 2.0));
  }
  Busy = false;
  StoreScreenScale();
  WindowWidth = width;
  WindowHeight = height;
  WindowTop = top;
  WindowLeft = left;
  Busy = true;
  form.Move(0, 0, win::PixelsToTwips(HiddenFormWidth), win::PixelsToTwips(HiddenFormHeight));
  Busy = false;
}

namespace {

int32_t MissionTypeOf(const std::string& name) {
  if (name == "Orbital") return OrbitalMission;
  if (name == "LM Race") return LMRaceMission;
  for (int32_t n = 11; n <= 17; ++n)
    if (name == "Apollo " + std::to_string(n)) return n;
  return 0;
}

void ReadFlightChoice() {
  DriverDialogForm& launcher = *DriverDialog;
  FlightFile = GetSelectedFlightName();
  MissionName = launcher.Combo1.Text();
  FlightName = launcher.Combo2.Text();
  MissionType = MissionTypeOf(MissionName);
}

// Choices A to G of the launcher; C and D only on the first flight.
void ReadChoicesAToG(bool first) {
  DriverDialogForm& launcher = *DriverDialog;
  AdvancedForm& advanced = *Advanced;
  GraphicsDebug = Ticked(advanced.Check6);
  ApplyDebugLog();
  Test11Mode = Ticked(launcher.Check1);
  if (first) {
    SimpleLM = Ticked(advanced.Check2);
    SimpleCockpit = Ticked(advanced.Check1);
  }
  StartupView = 4;
  for (int16_t k = 0; k < ViewNameCount; ++k)
    if (launcher.Combo3.Text() == UiText[static_cast<size_t>(FirstViewNameId + k)])
      StartupView = static_cast<int16_t>(k + 1);
  SetValueByText(DetailTextureMode, advanced.Combo6.Text(), DetailTextureTexts);
  DisplayModeWidth = VideoWidth;
  DisplayModeHeight = VideoHeight;
  DisplayModeBits = VideoBits;
}

// Choices H to Q of the launcher (R, and M only on the first flight).
void ReadChoicesHToR(bool first) {
  DriverDialogForm& launcher = *DriverDialog;
  AdvancedForm& advanced = *Advanced;
  constexpr int32_t precisions[] = {1, 2, 4};
  LandPrecision = precisions[std::clamp<int16_t>(launcher.HScrollLandscape.Value(), 0, 2)];
  if (launcher.Option_Joystick.Value() != 0 && JoystickCount > 0) {
    UseJoystick = MenuJoystickChoice = true;
    UseKeyboard = UseMouse = false;
  } else {
    UseKeyboard = true;
    UseMouse = UseJoystick = MenuJoystickChoice = false;
    launcher.Command1.SetEnabled(false);
    launcher.Option_KeyBoard.SetValue(-1);
  }
  SetValueByText(TextureFilter3D, advanced.Combo1.Text(), FilterTexts);
  SetValueByText(TextureFilter2D, advanced.Combo7.Text(), FilterTexts);
  constexpr std::array<std::array<bool, 3>, 4> shadows{
      {{false, false, false}, {false, true, false}, {true, false, true}, {true, false, false}}};
  ShadowFlags = shadows[static_cast<size_t>(std::clamp<int16_t>(launcher.HScroll2.Value(), 0, 3))];
  if (first) {
    constexpr float qualities[] = {0.25f, 0.5f, 1.0f};
    TextureQuality = qualities[std::clamp<int16_t>(launcher.HScroll1.Value(), 0, 2)];
  }
  SoundOn = MenuSoundChoice = Ticked(launcher.Check_Sound);
  MasterVolume = launcher.HScroll_MasterVolume.Value();
  SoundSettingsForm& sounds = *SoundSettings;
  RCSVolume = sounds.HScroll_RCSVolume.Value();
  EngineVolume = sounds.HScroll_EngineVolume.Value();
  MusicVolume = sounds.HScroll_MusicVolume.Value();
  SetValueByText(TextureMode, advanced.Combo2.Text(), TextureModeTexts);
  RenderDetail = advanced.Combo5.ListIndex();
  if (first && Scene) Scene->SetSixteenBitTextures(TextureMode == 0);
}

// A windowed flight needs a desktop of 16 or 32 bits (24 bits are kept in 32); any other shows
// the box and the program ends.
void CheckColourDepth() {
  const int32_t bits = DesktopCaps.BitsPerPixel;
  if (FullScreen || bits == 16 || bits == 24 || bits == 32) return;
  const auto text = [](int32_t id) { return UiText[static_cast<size_t>(id)]; };
  std::string suffix;
  if (bits == 4) suffix = " (16 " + text(ColoursText) + ")";
  if (bits == 8) suffix = " (256 " + text(ColoursText) + ")";
  forms::MsgBox(text(ColourDepthIsText) + std::to_string(bits) + " bit" + suffix + "\r\r" +
                    text(WindowedModeText) + "\r" + text(SixteenOrThirtyTwoText) + "\r" +
                    text(DisplayPropertiesText),
                forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::None, text(WrongColourDepthText));
  forms::End();
}

void ChooseRocks() {
  RockGraphic = DriverDialog->HScrollRockGraphic.Value();
  const int32_t slider = DriverDialog->HScrollRocks.Value();
  RockCount = static_cast<int32_t>(
      win::RoundHalfEven(static_cast<double>(slider) * slider / RockSliderDivisor));
}

void ValidateAxes() {
  for (AxisAssignment& axis : AxisAssignments) ValidateAxisAssignment(axis);
}

// The camera, the mission the scene now holds and the flight's first state, then the flight.
void FlyPreparedFlight() {
  CameraOrbitDistance = CameraDefaultDistance;
  CameraOrbitYaw = CameraDefaultYaw;
  CameraOrbitPitch = 0.0f;
  FieldOfView = DefaultFieldOfView;
  PreviousMissionType = MissionType;
  IntroFlyby = true;
  StarForm->Hide();
  Advanced->Hide();
  DriverDialog->Hide();
  forms::DoEvents();
  SaveSettings();
  MenuShown = true;
  ControlsActive = false;
  // The display mode is applied once in every flight.
  DisplayModePending = true;
  RunFlight();
}

void LoadEarthTexture() {
  const std::string number = std::to_string(MissionType < LMRaceMission ? MissionType : 11);
  TextureFactory->LoadTexture(ProgramFolder() + "\\Textures\\earth" + number + ".png", "earth");
}

// The window is put back to its windowed place and size.
void RestoreWindow(MainDisplayForm& form) {
  form.SetWindowState(forms::WindowState::Normal);
  Busy = true;
  form.Move(WindowLeft, WindowTop, WindowWidth, WindowHeight);
  forms::DoEvents();
  Busy = false;
  int32_t unused = 0;
  Engine->UpdateWindowSize(unused);
}

// What the process exits with after a fatal error.
constexpr int FatalErrorExitCode = 1;

// Any failure of the scene's set-up is fatal: the box says so and the program ends.
template <class Build>
void BuildOrEnd(Build build) {
  try {
    build();
  } catch (const std::exception& error) {
    const auto text = [](int32_t id) { return UiText[static_cast<size_t>(id)]; };
    forms::MsgBox(
        std::string(error.what()) + "\r" + text(EngineDllsText) + "\r" + text(FatalByeText),
        forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Critical, text(FatalErrorText));
    forms::End(FatalErrorExitCode);
  }
}

// The flight's services that the guidance programs call.
void InstallDSKYNeighbours() {
  InstallSceneDSKYServices();
  DSKYNeighbours.StopAllSounds = StopAllSounds;
  DSKYNeighbours.ResetAttitudeAxes = [] {
    for (AttitudeAxis* axis : {&RollAxis, &PitchAxis, &YawAxis}) ResetAttitudeAxis(*axis);
  };
  DSKYNeighbours.StartStaging = [] { StagingEffect = {true, 0.0f, StagingSeconds}; };
  DSKYNeighbours.StageAndAscend = StageAndAscend;
  DSKYNeighbours.StartAscentEngine = StartAscentEngine;
  DSKYNeighbours.StartDescentEngine = StartDescentEngine;
}

}  // namespace

void InitEngineAndWindow() {
  if (EngineInitialised) return;
  EngineInitialised = true;
  Step(GraphicsText);
  InitKeyCodeTable();
  MainDisplayForm& form = *Main_Display;
  form.SetWindowState(forms::WindowState::Normal);
  Engine = std::make_unique<engine::Engine>(EngineBackendMaker ? EngineBackendMaker()
                                                               : engine::MakeNullBackend());
  Globals = std::make_unique<engine::EngineGlobals>(*Engine);
  ApplyDebugLog();
  Engine->PreInitSwitchA(true);
  Engine->SetVSync(SetVsync);
  Engine->PreInitSwitchB(true);
  if (DisplayModeWidth == 0) {
    DisplayModeWidth = DefaultModeWidth;
    DisplayModeHeight = DefaultModeHeight;
    DisplayModeBits = DefaultModeBits;
  }
  PlaceWindowAtStart(form);
  int32_t result = 0;
  Engine->Init(form, true, result);
  Engine->PostInitSwitch(0);
  Step(InputEngineText);
  InputEngine = std::make_unique<engine::EngineInput>(*Engine);
  InputDevices = std::make_unique<engine::EngineInputDevices>(*Engine);
  UseSdlJoysticks();
  EnumerateJoysticks();
  Step(MathLibraryText);
  MathLibrary = std::make_unique<engine::EngineMathLibrary>();
  TextureFactory = std::make_unique<engine::EngineTextureFactory>(*Engine);
  JoystickTestPicture =
      TextureFactory->LoadTexture(ProgramFolder() + "\\Textures\\joyback.jpg", "");
  Step(SceneText);
  Scene = std::make_unique<engine::EngineScene>(*Engine);
  Step(LightsText);
  LightEngine = std::make_unique<engine::EngineLights>(*Engine);
  CreateLights();
  Step(Screen2DTextText);
  Engine->WriteLog(UiText[Screen2DTextText]);
  Screen2DText = std::make_unique<engine::EngineScreen2DText>(*Engine);
  forms::DoEvents();
  Step(CameraText);
  ViewCameras = {nullptr, &Engine->MainCamera(), &extraCameras[0], &extraCameras[1],
                 &extraCameras[2]};
  Step(Creating2DScreenText);
  Engine->WriteLog(UiText[Creating2DScreenText]);
  Screen2DDraw = std::make_unique<engine::EngineScreen2DDraw>(*Engine);
  Step(EffectText, false, 1);
  Engine->WriteLog(UiText[EffectText]);
  GraphicEffect = std::make_unique<engine::EngineGraphicEffect>();
  Step(MaterialsText, false, 1);
  MaterialFactory = std::make_unique<engine::EngineMaterialFactory>(*Engine);
  CreateMaterials();
  CreateMiniLM();
  InstallDSKYNeighbours();
}

void StartFlight() {
  ConnectLauncherReturn();
  TextureFactory->SetTextureMode(TextureMode);
  const std::string textures = ProgramFolder() + "\\Textures\\";
  TextureFactory->LoadTexture(textures + "progress.png", "progress");
  TextureFactory->LoadTexture(textures + "marovinlogo.png", "marovinlogo");
  TextureFactory->LoadTexture(textures + "earthrise.png", "earthrise");
  TextureFactory->LoadTexture(textures + "moonbottomofintro.png", "moonbot");
  InitProgramNames();
  LoadMissionDescription();
  DriverDialog->SetTag("OK");
  DriverDialog->Hide();
  forms::DoEvents();
  ReadChoicesAToG(true);

  MainDisplayForm& form = *Main_Display;
  Busy = true;
  if (MovieMode) {
    form.SetBorderStyle(forms::BorderStyle::None);
    form.Move(0, 0, win::PixelsToTwips(MovieWidth), win::PixelsToTwips(MovieHeight));
  } else {
    form.SetBorderStyle(forms::BorderStyle::Sizable);
    form.SetCaption("Marovin");
    form.Move(WindowLeft, WindowTop, WindowWidth, WindowHeight);
  }
  Busy = false;
  form.Show();
  form.SetFocus();
  int32_t unused = 0;
  Engine->UpdateWindowSize(unused);
  FullScreen = !Ticked(DriverDialog->chkWindowed);
  forms::DoEvents();
  ReadChoicesHToR(true);
  CheckColourDepth();
  StoreScreenScale();
  ReadFlightChoice();
  ChooseRocks();
  ValidateAxes();
  LoadMissionDescription();
  LoadMissionSetup();
  BuildOrEnd(BuildScene);
  forms::DoEvents();
  FlyPreparedFlight();
}

void KeepLauncherChoices() {
  const bool first = !SimulationInitialised;
  ReadChoicesAToG(first);
  FullScreen = !Ticked(DriverDialog->chkWindowed);
  ReadChoicesHToR(first);
  ReadFlightChoice();
  ChooseRocks();
  SaveSettings();
}

void ApplyMissionSelection() {
  ReadFlightChoice();
  if (PreviousMissionType == 12 && MissionType != 12 && SurveyorMesh) {
    SurveyorMesh->Destroy();
    forms::DoEvents();
    forms::DoEvents();
  }
  if (PreviousMissionType == LMRaceMission && MissionType != LMRaceMission) {
    for (MeshPtr* gate : {&StartMesh, &FinishMesh}) {
      if (*gate) (*gate)->Destroy();
      gate->reset();
      forms::DoEvents();
    }
    forms::DoEvents();
    forms::DoEvents();
  }
  if (PreviousMissionType == OrbitalMission && MissionType != OrbitalMission) {
    TextureFactory->DeleteTexture(Globals->GetTextureId("halfmoonbackground"));
    forms::DoEvents();
  }
  if (PreviousMissionType != OrbitalMission) {
    for (auto* rocks : {&RockMeshes, &FakeRockMeshes}) {
      for (MeshPtr& rock : *rocks)
        if (rock) rock->Destroy();
      rocks->clear();
    }
  }
  ReleaseSounds();
  forms::DoEvents();
  forms::DoEvents();
  if (SceneHelper) SceneHelper->Clear();
  if (LandTilesCreated) {
    for (auto& tile : LandTiles) {
      if (tile) tile->Destroy();
      tile.reset();
    }
    LandTilesCreated = false;
  }
}

void RestartFlight() {
  InitProgramNames();
  StarForm->Hide();
  Advanced->Hide();
  DriverDialog->Hide();
  ReadChoicesAToG(false);
  MainDisplayForm& form = *Main_Display;
  form.Show();
  form.SetFocus();
  FullScreen = !Ticked(DriverDialog->chkWindowed);
  ReadChoicesHToR(false);
  CheckColourDepth();
  StoreScreenScale();
  ReadFlightChoice();
  ChooseRocks();
  LoadMissionDescription();
  LoadMissionSetup();
  BuildOrEnd(LoadMissionWorld);
  FlyPreparedFlight();
}

void LoadMissionWorld() {
  TextureFactory->SetTextureMode(TextureMode);
  MainDisplayForm& form = *Main_Display;
  RestoreWindow(form);
  StoreScreenScale();
  Screen2DText->ResetFonts();
  forms::DoEvents();
  CreateFonts();
  RebuildRenderSurfaces();
  TextureFactory->DeleteTexture(Globals->GetTextureId("earth"));
  LoadEarthTexture();
  LoadMissionDescription();
  if (TextureMode == 0) Scene->SetSixteenBitTextures(true);
  if (DisplayModeWidth == 0) {
    DisplayModeWidth = DefaultModeWidth;
    DisplayModeHeight = DefaultModeHeight;
    DisplayModeBits = DefaultModeBits;
  }
  InputEngine->Reinitialise(true, 0);
  EnumerateJoysticks();
  LoadJoyAssignments();
  CreateSounds();
  if (MissionType != OrbitalMission) {
    Step(BigMoonText, true, 4);
    Init_AllMoon();
    Step(LandTexturesText, true, 5);
    const std::string folder = ProgramFolder() + "\\Missions\\" + MissionName + "\\Textures\\";
    const auto side = static_cast<int32_t>(win::RoundHalfEven(TextureQuality * LandTextureSide));
    for (int k = 0; k < LandTileCount; ++k) {
      const std::string name = "Tex" + std::to_string(k);
      // The previous mission's picture goes before this mission's takes its name.
      TextureFactory->DeleteTexture(Globals->GetTextureId(name));
      TextureFactory->LoadTexture(folder + LandTileFiles[static_cast<size_t>(k)].TextureFile, name,
                                  side, side, 0);
    }
    Step(CreatingLandText, true, 6);
    CreateLand();
  } else if (PreviousMissionType != OrbitalMission) {
    const float f = TextureQuality == 0.25f ? 0.1f : TextureQuality == 0.5f ? 0.25f : 1.0f;
    Step(LargeMoonText, true, 1);
    TextureFactory->LoadTexture(ProgramFolder() + "\\Textures\\moonbackground.jpg",
                                "halfmoonbackground",
                                static_cast<int32_t>(win::RoundHalfEven(f * MoonPictureWidth)),
                                static_cast<int32_t>(win::RoundHalfEven(f * MoonPictureHeight)), 0);
    Step(CSMTexturesText, true, 1);
    if (Globals->GetTextureId("CMOverlay") == 0)
      TextureFactory->LoadTexture(ProgramFolder() + "\\Textures\\CMOverlay.png", "CMOverlay", -1,
                                  -1, CMOverlayColourKey);
    if (OrbitalObjectsLoaded) {
      // The orbital Moon keeps the whole-Moon picture; the slice lost its picture with the last
      // mission.
      if (HalfMoonMesh) TextureMoonSlice();
    } else {
      OrbitalObjectsLoaded = true;
      Step(CSMText, true, 2);
      CreateCommandModule();
      Step(LunarSurfaceText, true, 3);
      CreateOrbitalMoon();
    }
  }
  if (MissionType == LMRaceMission && PreviousMissionType != LMRaceMission) {
    CreateStartFinishGates();
    Step(GatesText, true, 6);
  }
  if (SoundOn && LoadingSound) LoadingSound->Play();
  if (MissionType == 12 && PreviousMissionType != 12) {
    CreateSurveyor();
    Step(SurveyorText, true, 7);
  }
  if (MissionType != OrbitalMission && RockCount != 0) {
    Step(RocksText, true, 8);
    CreateRocks();
  }
  Step(StarsText, true, 9);
  Init_Stars_and_Planets();
  ValidateAxes();
  SceneHelper->Clear();
  SceneHelper->SetMode(3);
  if (!NodeMakeMode) LoadPathNodes(*SceneHelper);
  Scene->SetDepthBuffer(SetDepthBuffer);
  Engine->RestartTimer(0);
  Scene->SetSpecularLighting(SpecularLighting);
  ScaleIncrement.fill(LandScaleIncrement);
  MoveIncrement.fill(LandMoveIncrement);
  for (const MeshPtr* mesh :
       {&AscentBodyMesh, &AscentGoldFoilMesh, &AscentSilverFoilMesh, &AscentWindowsMesh,
        &DescentBodyMesh, &DescentPartsMesh, &DescentGoldFoilMesh, &DescentSilverFoilMesh})
    if (*mesh) (*mesh)->SetShadowCast(ShadowFlags[0], LightIds[SunLight], -1.0f);
  if (!SimpleLM && DescentLegFoilMesh)
    DescentLegFoilMesh->SetShadowCast(ShadowFlags[0], LightIds[SunLight], -1.0f);
}

void BuildScene() {
  SimulationInitialised = true;
  Step(FontsText);
  CreateFonts();
  Step(SoundsText, true, 0);
  int32_t unused = 0;
  SoundEngine.Init(Main_Display->hWnd(), unused);
  CreateSounds();
  Step(RenderSurfacesText, true, 1);
  CreateRenderSurfaces();
  Step(TexturesText, true, 1);
  LoadTextures();
  LoadEarthTexture();
  Step(ButtonTexturesText, true, 2);
  LoadMenuTextures();
  Step(ParticlesText, true, 2);
  InitParticleSystem();
  Step(AtmosphereText, true, 2);
  Atmosphere = std::make_unique<engine::EngineAtmosphere>(*Engine);
  CreateSunAndFlares();
  Step(CreatingLandText, true, 2);
  if (MissionType != OrbitalMission) CreateLand();
  Step(HatchText, true, 2);
  CreateHatch();
  if (MissionType == LMRaceMission) {
    CreateStartFinishGates();
    Step(GatesText, true, 3);
  }
  if (SoundOn && LoadingSound) LoadingSound->Play();
  Step(CockpitText, true, 3);
  BuildVirtualCockpit();
  Step(SwitchesText, true, 4);
  CreateSwitchModels();
  Step(AscentStageText, true, 5);
  BuildAscentStage();
  Step(DescentStageText, true, 6);
  BuildDescentStage();
  Step(PlumesText, true, 7);
  LoadRCSPlumes();
  Step(PivotText, true, 7);
  CreateCameraPivot();
  CreateDustSurface();
  Step(DustText, true, 7);
  CreateCraterDebris();
  Step(DebrisText, true, 7);
  CreateFlag();
  Step(FlagInitiatedText, true, 7);
  Step(ExplosionText, true, 7);
  CreateExplosion();
  CreateScoreMesh();
  CreateFDAIBall();
  Step(FDAIText, true, 7);
  if (MissionType == 12) {
    CreateSurveyor();
    Step(SurveyorText, true, 8);
  }
  if (MissionType == OrbitalMission) {
    OrbitalObjectsLoaded = true;
    Step(CommandModuleText, true, 8);
    CreateCommandModule();
    Step(OrbitalMoonText, true, 8);
    CreateOrbitalMoon();
  } else {
    Step(BigMoonText, true, 8);
    Init_AllMoon();
  }
  CreateOrientationMesh();
  CreateLandingMarker();
  CreateLMShadow();
  Step(ShadowText, true, 8);
  if (RockCount > 0 && MissionType != OrbitalMission) {
    Step(RocksText, true, 8);
    CreateRocks();
  }
  Step(StarsText, true, 8);
  Init_Stars_and_Planets();
  SceneHelper = std::make_unique<engine::EnginePath>(*Engine);
  SceneHelper->SetMode(3);
  if (!NodeMakeMode) LoadPathNodes(*SceneHelper);
  Step(ButtonsText, true, 9);
  CreateMenuItems();
  Engine->SetWindowTitle("Marovin");
  Scene->SetDepthBuffer(SetDepthBuffer);
  Engine->RestartTimer(0);
  Scene->SetSpecularLighting(SpecularLighting);
  ScaleIncrement.fill(LandScaleIncrement);
  MoveIncrement.fill(LandMoveIncrement);
}
