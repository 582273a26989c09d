#include "program/input/key_dispatch.h"

#include <algorithm>
#include <vector>

#include "platform/engine/scan_codes.h"
#include "platform/forms/dialogs.h"
#include "platform/forms/event_pump.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_keys.h"
#include "program/cockpit/dsky_programs.h"
#include "program/cockpit/screen_messages.h"
#include "program/cockpit/sound_setup.h"
#include "program/flight/docking.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/flight/staging.h"
#include "program/input/flying.h"
#include "program/input/joystick_data.h"
#include "program/input/joystick_devices.h"
#include "program/missions/dev_tools.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_state.h"
#include "program/missions/replay_file.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_resources.h"
#include "program/scene/scene_services.h"
#include "program/scene/views.h"
#include "program/startup/help_page.h"
#include "program/startup/startup_state.h"

namespace {

namespace scan = engine::scan;

constexpr int32_t BareAltCode = 1000;  // a held Alt key, in the held-key poll
constexpr int32_t HighestPlainCode = 999;
constexpr int32_t KeyDelayMs = 200;
constexpr int32_t HudStepDelayMs = 500;
constexpr int32_t ModeChangeSettleMs = 500;
constexpr int32_t ShortMessageMs = 1000;
constexpr int32_t LongMessageMs = 2000;
constexpr int32_t PathStartMessageMs = 500;
constexpr int32_t CockpitWrittenMessageMs = 3000;
constexpr uint32_t RedBackground = 0xFFFF0000;
constexpr uint32_t GreenBackground = 0xFF00FF00;
constexpr uint32_t BlackLetters = 0xFF000000;
constexpr uint32_t WhiteLetters = 0xFFFFFFFF;
constexpr int32_t HelpPageCount = 2;
constexpr int16_t LastHudMode = 6;
constexpr float SpotViewDistance = 45.0f;  // world units
constexpr float SpotViewYaw = 90.0f;       // degrees
constexpr int32_t EVAFadeMs = 1000;
constexpr int32_t IntroFadeMs = 2000;
constexpr float FlagHeightBelowEye = 2.5f;  // world units
constexpr float Apollo11FlagTurn = 1.57f;   // radians about the vertical
constexpr float FlagTurn = 3.76f;           // radians

// The cabin's inside, world units of the virtual cockpit.
constexpr Vector3 CabinLow{-4.3f, 0.0f, -2.06f};
constexpr Vector3 CabinHigh{-1.88f, 6.26f, 2.06f};

constexpr float EyeStep = 0.01f;       // world units per frame at factor 1 and 1 frame/s
constexpr float RotationStep = 0.05f;  // radians, likewise
constexpr float OrbitYawStep = 2.0f;   // degrees
constexpr float OrbitDistanceStep = 0.02f;
constexpr float FieldOfViewStep = 0.4f;  // degrees
constexpr float KeepStart = -1.0f;
constexpr float MinimumKeyHoldStart = 1.0f;  // the factor of a hold's first frame

// The key-code offsets of the developer keys: Ctrl and the key.
constexpr int32_t CtrlN = KeyCodeCtrl + scan::kN;
constexpr int32_t CtrlC = KeyCodeCtrl + scan::kC;
constexpr int32_t CtrlW = KeyCodeCtrl + scan::kW;
constexpr int32_t CtrlM = KeyCodeCtrl + scan::kM;
constexpr int32_t CtrlV = KeyCodeCtrl + scan::kV;

// The keyboard command messages of the interface text table.
constexpr int32_t PGNSOffText = 178;  // 179 attitude hold, 180 auto follow
constexpr int32_t ReplayStartedText = 181;
constexpr int32_t ReplaySavedText = 182;
constexpr int32_t SpotViewResetText = 183;
constexpr int32_t NoEVAText = 184;
constexpr int32_t NoAbortInReplayText = 186;

MainDisplayForm& Display() { return *Main_Display; }
ControlAssignment& Record(ActionIndex action) {
  return ControlAssignments[static_cast<size_t>(action)];
}

void RepeatBlock() { Display().TimerKeyPress.SetEnabled(true); }

// A command fires on its key code or its Pressed flag; firing takes the flag.
bool Fires(ActionIndex action) {
  ControlAssignment& record = Record(action);
  const bool byKey = record.KeyCode != 0 && record.KeyCode == CurrentKeyCode;
  if (!byKey && !record.Pressed) return false;
  record.Pressed = false;
  return true;
}

// Steps a switch to its next position, the first after the last.
void StepSwitch(PanelItem& item, int32_t positions, void (*showModel)(int32_t&)) {
  StepSwitchPosition(item, positions, showModel);
  RepeatBlock();
  PlaySwitchClick();
}

void SetSwitch(PanelItem& item, int32_t position, void (*showModel)(int32_t&)) {
  item.SwitchPosition = position;
  showModel(item.SwitchPosition);
}

// Hands ExitRequest to the exit timer, which carries it out after this frame.
void RequestExit(int16_t request) {
  ExitRequest = request;
  Display().Timer_Test_Exit.SetEnabled(true);
  RunFlag = false;
  forms::DoEvents();
}

// The key code of one key that went down (0 in the pass a button or click asks for).
void ComposeKeyCode(int32_t scanCode) {
  MainDisplayForm& display = Display();
  CurrentKeyCode = scanCode;
  if (NumLockOn && IsKeypadKey(scanCode)) CurrentKeyCode = scanCode + KeyCodeNumLock;
  const struct {
    bool& latch;
    int32_t offset;
  } latches[] = {{ShiftPending, KeyCodeShift},
                 {CtrlPending, KeyCodeCtrl},
                 {WindowsKeyPending, KeyCodeWindows}};
  for (const auto& latch : latches) {
    if (!latch.latch) continue;
    CurrentKeyCode = scanCode + latch.offset;
    latch.latch = false;
    display.TimerSpecialCharacter.SetEnabled(false);
  }
  if (scanCode == scan::kNumLock) {
    NumLockOn = IsNumLockOn();
    if (NumLockOn) CurrentKeyCode = KeyCodeNumLock;
  }
  const struct {
    int32_t left, right;
    bool& latch;
    int32_t offset;
  } modifiers[] = {{scan::kLeftShift, scan::kRightShift, ShiftPending, KeyCodeShift},
                   {scan::kLeftControl, scan::kRightControl, CtrlPending, KeyCodeCtrl},
                   {scan::kLeftWindows, scan::kRightWindows, WindowsKeyPending, KeyCodeWindows}};
  for (const auto& modifier : modifiers) {
    if (scanCode != modifier.left && scanCode != modifier.right) continue;
    modifier.latch = true;
    CurrentKeyCode = modifier.offset;
    display.TimerSpecialCharacter.SetEnabled(true);
  }
}

void ShowLongRefusal(int32_t text, uint32_t letters) {
  ShowMessage(UiText[static_cast<size_t>(text)], LongMessageMs, RedBackground, letters);
}

void PlantFlag() {
  RepeatBlock();
  if (!Landed) return;
  FlagPlanted = true;
  const float turn = MissionType == 11 ? Apollo11FlagTurn : FlagTurn;
  if (FlagMesh) FlagMesh->SetRotation(0.0f, turn, 0.0f);
  if (ShadowFlags[0] && FlagDarkMesh) FlagDarkMesh->SetRotation(0.0f, turn, 0.0f);
  FlagPosition = {LMMeshPosition.x + EVAOffset.x, EVAEye.y - FlagHeightBelowEye + LMMeshPosition.y,
                  LMMeshPosition.z + EVAOffset.z};
}

void ShowHelpOrFile() {
  RepeatBlock();
  if (++HelpPage <= HelpPageCount) return;
  HelpPage = 0;
  if (FullScreen) {
    LeaveFullScreenDisplay();
    RecreateFonts();
    Engine->RefreshAfterModeChange(ModeChangeSettleMs);
  }
  ShowHelpPage();
}

void StepHudModes() {
  for (const ViewIndex view : {CockpitView1, CockpitView2, CockpitView3, VirtualView1, VirtualView2,
                               VirtualView3, SpotView1, SpotView2, ExteriorView})
    CycleHudMode(ViewRecords[static_cast<size_t>(view)]);
  CycleHudMode(CurrentView);
  Display().TimerKeyPress.SetInterval(HudStepDelayMs);
  RepeatBlock();
}

void StartPath() {
  SceneHelper->Clear();
  PathNodeCount = 0;
  ShowMessage("STARTING PATH", PathStartMessageMs, 0, 0);
}

void DeveloperKeys() {
  MainDisplayForm& display = Display();
  if (NodeMakeMode) {
    if (CurrentKeyCode == CtrlN) {
      AddPathNode();
      RepeatBlock();
    } else if (CurrentKeyCode == CtrlC) {
      StartPath();
    } else if (CurrentKeyCode == CtrlW) {
      SavePathNodes();
    } else if (CurrentKeyCode == CtrlM) {
      if (display.TimerAutoNode.Enabled()) {
        display.TimerAutoNode.SetEnabled(false);
        SavePathNodes();
        ShowMessage("Path Nodes Written", LongMessageMs, 0, 0);
      } else {
        StartPath();
        display.TimerAutoNode.SetEnabled(true);
      }
    }
  }
  if (CurrentKeyCode == CtrlV && WriteVCPositionsMode) {
    SaveViewSetup();
    ShowMessage("Virtual Cockpit Positions Written", CockpitWrittenMessageMs, GreenBackground,
                BlackLetters);
    RepeatBlock();
  }
  if (CurrentKeyCode == CtrlN && WriteLMMatrixMode) {
    ShowMessage("LM Position Updated", LongMessageMs, RedBackground, BlackLetters);
    const d3dx::D3DXMATRIX pivot = CameraPivot->GetMatrix();
    std::array<float, 16> matrix{};
    std::copy(&pivot.m[0][0], &pivot.m[0][0] + 16, matrix.begin());
    SaveStartPosition(matrix);
  }
  if (CurrentKeyCode == CtrlM) {
    MovieCapture = !MovieCapture;
    ShowMessage(MovieCapture ? "Start Capture" : "End Capture", LongMessageMs, RedBackground,
                BlackLetters);
    RepeatBlock();
  }
}

void AbortToAscent() {
  RepeatBlock();
  if (MissionType == OrbitalMission) {
    StageAndAscend();
  } else if (!Landed) {
    if (ReplayPlayback)
      ShowLongRefusal(NoAbortInReplayText, WhiteLetters);
    else
      StartP71();
  }
}

enum class Pass { Goes, Ends };

// Escape closes whatever is open; with nothing open it shows the exit box, and in the box it
// leaves the flight.
Pass Escape() {
  RepeatBlock();
  if (HelpPage == 0 && !SettingsOverlayShown && !ProgramHelpShown) {
    Display().TimerAverage.SetEnabled(false);
    if (ExitDialogShown) {
      ControlsActive = false;
      RequestExit(1);
      return Pass::Ends;
    }
    ExitDialogShown = MenuShown = true;
    ControlsActive = false;
    return Pass::Ends;
  }
  SettingsOverlayShown = false;
  ApplySoundVolumes();
  HelpPage = 0;
  ProgramHelpShown = false;
  return Pass::Goes;
}

void ChangeDescentRate(float change) {
  Display().TimerKeyPress.SetInterval(KeyDelayMs);
  RepeatBlock();
  CommandedVerticalRate += change;
  PlaySwitchClick();
  DescentRateChanged = true;
}

void Select(ViewIndex view) {
  SelectView(view);
  RepeatBlock();
}

// The one-shot commands of one key event, in their order.
Pass DispatchCommands() {
  MainDisplayForm& display = Display();
  if (Fires(ActionEscape) && Escape() == Pass::Ends) return Pass::Ends;
  if (Fires(ActionScreenDump)) {
    RepeatBlock();
    ScreenshotRequest = true;
  }
  if (Fires(ActionRateOfDescentUp)) ChangeDescentRate(1.0f);
  if (Fires(ActionRateOfDescentDown)) ChangeDescentRate(-1.0f);
  if (Fires(ActionXPointerScaleToggle)) StepSwitch(XPointerSwitch, 2, SetSwitchModelI);
  if (Fires(ActionAutManThrottleToggle)) StepSwitch(AutoThrottleSwitch, 2, SetSwitchModelG);
  if (Fires(ActionDeadbandToggle)) StepSwitch(DeadbandSwitch, 2, SetSwitchModelH);
  if (Fires(ActionRatescaleToggle)) StepSwitch(RateScaleSwitch, 2, SetSwitchModelC);
  if (Fires(ActionPGNSToggle)) {
    StepSwitch(PGNSSwitch, 3, SetSwitchModelB);
    ShowMessage(UiText[static_cast<size_t>(PGNSOffText + PGNSSwitch.SwitchPosition)],
                ShortMessageMs, 0, 0);
  }
  if (Fires(ActionAGSToggle)) StepSwitch(AGSSwitch, 3, SetSwitchModelA);
  if (Fires(ActionRollModeToggle)) StepSwitch(RollRCSSwitch, 3, SetSwitchModelF);
  if (Fires(ActionYawModeToggle)) StepSwitch(YawRCSSwitch, 3, SetSwitchModelD);
  if (Fires(ActionPitchModeToggle)) StepSwitch(PitchRCSSwitch, 3, SetSwitchModelE);
  if (Fires(ActionStartReplay)) {
    RequestExit(2);
    RepeatBlock();
    ShowMessage(UiText[ReplayStartedText], ShortMessageMs, 0, 0);
    return Pass::Ends;
  }
  if (Fires(ActionSaveReplay)) {
    ReplayPlayback = false;
    SaveReplay(0);
    RepeatBlock();
    ShowMessage(UiText[ReplaySavedText], ShortMessageMs, 0, 0);
  }
  if (Fires(ActionPlantFlag)) PlantFlag();
  if (!IntroFlyby && !display.TimerKeyPress.Enabled() && (Fires(ActionShowMenu) || AltPending)) {
    SettingsOverlayShown = !SettingsOverlayShown;
    RepeatBlock();
  }
  if (!display.TimerKeyPress.Enabled() && Fires(ActionStartFlying)) {
    RepeatBlock();
    RequestExit(3);
    HelpPage = 0;
  }
  if (!IntroFlyby && Fires(ActionPause)) {
    RepeatBlock();
    ControlsActive = !ControlsActive;
    MenuShown = !ControlsActive;
  }
  if (Fires(ActionCenterControls)) {
    RepeatBlock();
    KeyHandController = {};
  }
  ControlAssignment& resetSpot = Record(ActionResetSpotView);
  if ((resetSpot.KeyCode != 0 && resetSpot.KeyCode == CurrentKeyCode) ||
      (resetSpot.Pressed && SpotViewFlag)) {
    resetSpot.Pressed = false;
    RepeatBlock();
    CameraOrbitDistance = SpotViewDistance;
    CameraOrbitYaw = SpotViewYaw;
    CameraOrbitPitch = 0.0f;
    ShowMessage(UiText[SpotViewResetText], ShortMessageMs, 0, 0);
  }
  if (CurrentKeyCode == scan::kF1 && !display.TimerKeyPress.Enabled()) ShowHelpOrFile();
  if (CurrentKeyCode == scan::kF1 + 1) {
    RepeatBlock();
    ProgramHelpShown = !ProgramHelpShown;
  }
  if (CurrentKeyCode == scan::kF1 + 2) {
    ShowGroundMarkers = !ShowGroundMarkers;
    RepeatBlock();
  }
  if (CurrentKeyCode == scan::kF1 + 3) {
    ToggleFullScreen();
    RepeatBlock();
  }
  if (Fires(ActionVirtualCockpit1)) Select(VirtualView1);
  if (Fires(ActionVirtualCockpit2)) Select(VirtualView2);
  if (Fires(ActionVirtualCockpit3)) Select(VirtualView3);
  if (Fires(ActionEVAView)) {
    RepeatBlock();
    if (Landed) {
      PendingFadeTime = EVAFadeMs;
      GraphicEffect->Start(EVAFadeMs);
    } else {
      ShowLongRefusal(NoEVAText, BlackLetters);
    }
  }
  if (Fires(ActionCockpitView1)) Select(CockpitView1);
  if (Fires(ActionCockpitView2)) Select(CockpitView2);
  if (Fires(ActionCockpitView3)) Select(CockpitView3);
  if (Fires(ActionSpotView1)) Select(SpotView1);
  if (Fires(ActionSpotView2)) Select(SpotView2);
  if (Fires(ActionGroundView)) Select(ExteriorView);
  if (Fires(ActionUndock)) {
    Undock();
    RepeatBlock();
  }
  if (Fires(ActionExitIntroScreen)) {
    RepeatBlock();
    if (IntroFlyby) {
      SettingsOverlayShown = true;
      IntroFlyby = false;
      PathNodeCount = 0;
      GraphicEffect->Start(IntroFadeMs);
    } else {
      StepHudModes();
    }
  }
  DeveloperKeys();
  if (Fires(ActionKeyAbortAscent)) AbortToAscent();
  return Pass::Goes;
}

// The modifiers held now; any of them holds back the held commands of this frame.
void PollHeldModifiers() {
  const struct {
    int32_t left, right;
    bool& latch;
    int32_t code;
  } modifiers[] = {{scan::kLeftShift, scan::kRightShift, ShiftPending, KeyCodeShift},
                   {scan::kLeftControl, scan::kRightControl, CtrlPending, KeyCodeCtrl},
                   {scan::kLeftWindows, scan::kRightWindows, WindowsKeyPending, KeyCodeWindows},
                   {scan::kLeftAlt, scan::kRightAlt, AltPending, BareAltCode}};
  for (const auto& modifier : modifiers) {
    if (!InputEngine->IsKeyPressed(modifier.left) && !InputEngine->IsKeyPressed(modifier.right))
      continue;
    modifier.latch = true;
    CurrentKeyCode = modifier.code;
    Display().TimerSpecialCharacter.SetEnabled(true);
  }
}

void HeldSwitches() {
  const struct {
    ActionIndex action;
    PanelItem& item;
    int32_t position;
    void (*showModel)(int32_t&);
  } switches[] = {
      {ActionThrottleAuto, AutoThrottleSwitch, 1, SetSwitchModelG},
      {ActionThrottleMan, AutoThrottleSwitch, 0, SetSwitchModelG},
      {ActionKeyXpointerUp, XPointerSwitch, 1, SetSwitchModelI},
      {ActionKeyXpointerDown, XPointerSwitch, 0, SetSwitchModelI},
      {ActionAGSOff, AGSSwitch, 0, SetSwitchModelA},
      {ActionAGSHold, AGSSwitch, 1, SetSwitchModelA},
      {ActionAGSAuto, AGSSwitch, 2, SetSwitchModelA},
      {ActionPGNSOff, PGNSSwitch, 0, SetSwitchModelB},
      {ActionPGNSHold, PGNSSwitch, 1, SetSwitchModelB},
      {ActionPGNSAuto, PGNSSwitch, 2, SetSwitchModelB},
      {ActionYawModeOff, YawRCSSwitch, 0, SetSwitchModelD},
      {ActionYawModePulse, YawRCSSwitch, 1, SetSwitchModelD},
      {ActionYawModeAuto, YawRCSSwitch, 2, SetSwitchModelD},
      {ActionPitchModeOff, PitchRCSSwitch, 0, SetSwitchModelE},
      {ActionPitchModePulse, PitchRCSSwitch, 1, SetSwitchModelE},
      {ActionPitchModeAuto, PitchRCSSwitch, 2, SetSwitchModelE},
      {ActionRollModeOff, RollRCSSwitch, 0, SetSwitchModelF},
      {ActionRollModePulse, RollRCSSwitch, 1, SetSwitchModelF},
      {ActionRollModeAuto, RollRCSSwitch, 2, SetSwitchModelF},
      // The large deadband is the switch's position 1, as the deadband toggle steps it.
      {ActionDeadbandLarge, DeadbandSwitch, 1, SetSwitchModelH},
      {ActionDeadbandSmall, DeadbandSwitch, 0, SetSwitchModelH},
      {ActionRatescaleHigh, RateScaleSwitch, 1, SetSwitchModelC},
      {ActionRatescaleLow, RateScaleSwitch, 0, SetSwitchModelC},
  };
  for (const auto& s : switches)
    if (IsCommandHeld(s.action)) SetSwitch(s.item, s.position, s.showModel);
  if (IsCommandHeld(ActionKillEngine)) EngineOff = true;
  const struct {
    ActionIndex plus, minus;
  } translations[] = {{ActionKeyTranslatePX, ActionKeyTranslateMX},
                      {ActionKeyTranslatePY, ActionKeyTranslateMY},
                      {ActionKeyTranslatePZ, ActionKeyTranslateMZ}};
  for (size_t axis = 0; axis < TranslationCommand.size(); ++axis) {
    TranslationCommand[axis] = 0;
    if (IsCommandHeld(translations[axis].plus)) TranslationCommand[axis] = 1;
    if (IsCommandHeld(translations[axis].minus)) TranslationCommand[axis] = -1;
  }
}

bool InVirtualCockpit() { return CurrentViewIndex <= VirtualView3 && InteriorViewFlag; }

void MoveEye(Vector3& eye, float Vector3::*axis, float change) {
  eye.*axis += change;
  if (InVirtualCockpit()) ClampCockpitEye(eye);
  CurrentCockpitEye = eye;
}

void TurnEye(float Vector3::*axis, float change) {
  Vector3* rotation = CurrentCockpitRotationSource();
  if (rotation == nullptr) return;
  rotation->*axis += change;
  CurrentCockpitRotation = *rotation;
}

// A movement key: it sets the ramp and counts as held.
bool Moves(ActionIndex action, const RampSettings& ramp) {
  if (!IsCommandHeld(action)) return false;
  KeyDelayActive = true;
  SetKeyHoldRamp(ramp);
  return true;
}

// The movement commands; an EVA strafe takes the rest of the pass.
void HeldMovement() {
  const float f = FlyingFrameRate();
  const float s = MouseSensitivity;
  const bool cockpit = InVirtualCockpit();
  const bool eva = EVAViewFlag && !cockpit;
  Vector3* eye = CurrentCockpitEyeSource();

  const RampSettings strafeRamp = cockpit ? RampSettings{KeepStart, 4.0f, 1.1f, 4.0f, 4.0f, 30.0f}
                                          : RampSettings{2.0f, 3.0f, 1.5f, 4.0f, 5.0f, 20.0f};
  if (cockpit) SetKeyHoldRamp(strafeRamp);
  // A step to the side lasts while its key is down, as a step forward does.
  WalkSide = 0.0f;
  for (const float side : {-1.0f, 1.0f}) {
    if (!Moves(side < 0.0f ? ActionStrafeLeft : ActionStrafeRight, strafeRamp)) continue;
    if (cockpit) {
      MoveEye(*eye, &Vector3::z, side * s * EyeStep / f);
    } else if (eva) {
      WalkSide = side;
      return;
    } else {
      CameraOrbitYaw -= side * OrbitYawStep * s / f;
    }
  }

  WalkForward = 0.0f;
  for (const float way : {-1.0f, 1.0f}) {
    const bool forward = way < 0.0f;
    if (!Moves(forward ? ActionWalkForward : ActionWalkBackward,
               {2.0f, 2.0f, 1.2f, forward ? 2.0f : 4.0f, 4.0f, 20.0f}))
      continue;
    if (cockpit)
      MoveEye(*eye, &Vector3::x, way * s * EyeStep / f);
    else if (eva)
      WalkForward = -way;
    else
      ChangeCameraPitch(way, f);
  }

  for (const float way : {-1.0f, 1.0f}) {
    if (!Moves(way < 0.0f ? ActionLowerCamera : ActionRaiseCamera,
               {KeepStart, 3.0f, 1.1f, 2.0f, 4.0f, 50.0f}))
      continue;
    if (eye != nullptr) {
      MoveEye(*eye, &Vector3::y, way * s * EyeStep / f);
    } else {
      CameraOrbitDistance += way * CameraOrbitDistance * OrbitDistanceStep * s / f;
    }
  }

  KeyHoldStart = 2.0f;
  const RampSettings turnRamp{2.0f, 3.0f, 1.1f, 4.0f, 4.0f, 10.0f};
  const struct {
    ActionIndex action;
    float Vector3::*axis;
    float way;
  } turns[] = {{ActionVirtualLeft, &Vector3::y, -1.0f},
               {ActionVirtualRight, &Vector3::y, 1.0f},
               {ActionVirtualUp, &Vector3::x, 1.0f},
               {ActionVirtualDown, &Vector3::x, -1.0f}};
  for (const auto& turn : turns)
    if (Moves(turn.action, turnRamp)) TurnEye(turn.axis, turn.way * s * RotationStep / f);

  if (!ViewRecords[CockpitView1].Active && !ViewRecords[CockpitView2].Active) {
    for (const float way : {1.0f, -1.0f}) {
      if (!Moves(way > 0.0f ? ActionWiderCameraAngle : ActionNarrowerCameraAngle,
                 {KeepStart, 3.0f, 1.1f, 4.0f, 4.0f, 80.0f}))
        continue;
      FieldOfView += way * s * FieldOfViewStep / f;
      StoreViewAngle();
    }
  }
}

}  // namespace

bool IsNumLockOn() { return InputEngine->NumLockOn(); }

void ClampCockpitEye(Vector3& eye) {
  eye.x = std::clamp(eye.x, CabinLow.x, CabinHigh.x);
  eye.y = std::clamp(eye.y, CabinLow.y, CabinHigh.y);
  eye.z = std::clamp(eye.z, CabinLow.z, CabinHigh.z);
}

void CycleHudMode(ViewRecord& view) {
  if (!view.Active) return;
  if (++view.HudMode > LastHudMode) view.HudMode = 0;
}

bool IsCommandHeld(ActionIndex action) {
  ControlAssignment& record = Record(action);
  const bool down = record.KeyCode != 0 && InputEngine->IsKeyPressed(record.KeyCode);
  if (!down && !record.Pressed) return false;
  record.Pressed = false;
  return true;
}

void SetKeyHoldRamp(const RampSettings& ramp) {
  if (ramp.start >= 0.0f) KeyHoldStart = ramp.start;
  KeyHoldThreshold = ramp.threshold;
  KeyHoldRateLow = ramp.rateLow;
  KeyHoldRateHigh = ramp.rateHigh;
  KeyHoldCapLow = ramp.capLow;
  KeyHoldCapHigh = ramp.capHigh;
}

Vector3* CurrentCockpitEyeSource() {
  if (CurrentViewIndex <= VirtualView3 && InteriorViewFlag)
    return &VirtualCockpitEye[static_cast<size_t>(CurrentViewIndex)];
  return EVAViewFlag ? &EVAEye : nullptr;
}

Vector3* CurrentCockpitRotationSource() {
  if (CurrentViewIndex <= VirtualView3 && InteriorViewFlag)
    return &VirtualCockpitRotation[static_cast<size_t>(CurrentViewIndex)];
  return EVAViewFlag ? &EVARotation : nullptr;
}

void StepSwitchPosition(PanelItem& item, int32_t positions, void (*showModel)(int32_t&)) {
  item.SwitchPosition = item.SwitchPosition + 1 >= positions ? 0 : item.SwitchPosition + 1;
  showModel(item.SwitchPosition);
}

void PlaySwitchClick() {
  if (SoundOn && ClickSound) ClickSound->Play();
}

void ToggleFullScreen() {
  for (const LightIndex light : {SunLight, NearPointLight, InstrumentPointLight, FillLight})
    LightEngine->SetLight(LightIds[light], LightRecords[light]);
  if (!Engine->IsWindowed()) {
    LeaveFullScreenDisplay();
    RecreateFonts();
    return;
  }
  MainDisplayForm& display = Display();
  DriverDialog->chkWindowed.SetValue(forms::Control::kUnchecked);
  WindowHeight = display.Height();
  WindowWidth = display.Width();
  WindowTop = display.Top();
  WindowLeft = display.Left();
  FullScreen = true;
  Engine->EnterFullScreen(DisplayModeWidth, DisplayModeHeight, DisplayModeBits, SetDepthBuffer);
  ScreenWidth = DisplayModeWidth;
  ScreenHeight = DisplayModeHeight;
  ScreenScaleY = static_cast<float>(ScreenHeight) / ReferenceHeight;
  ScreenScaleX = static_cast<float>(ScreenWidth) / ReferenceWidth;
  Engine->SetWindowedState(false);
  RecreateFonts();
  forms::DoEvents();
  Engine->RefreshAfterModeChange(ModeChangeSettleMs);
}

void LeaveFullScreenDisplay() {
  MainDisplayForm& display = Display();
  DriverDialog->chkWindowed.SetValue(forms::Control::kChecked);
  Engine->LeaveFullScreen();
  FullScreen = false;
  display.SetWindowState(forms::WindowState::Normal);
  Busy = true;
  display.Move(WindowLeft, WindowTop, WindowWidth, WindowHeight);
  Busy = false;
  Engine->SetWindowedState(true);
  // The move's resize came while Busy was set: the 2D scale and the back buffer are brought back
  // to the window here, or the picture stays laid out for the display mode and is cut off.
  StoreWindowSize(display);
  UpdateEngineWindowSize();
}

void ProcessKeyCommands() {
  if (NameEntryItem.Selected) return;
  if (UseJoystick) PollJoysticks();
  KeyRepeatBlocked = Display().TimerKeyPress.Enabled();
  // The window system's Num Lock: a desktop that starts with it on types keypad digits at once.
  NumLockOn = IsNumLockOn();
  KeyHoldStart = 0.0f;
  std::vector<engine::KeyEvent> buffer;
  InputEngine->GetKeyBuffer(buffer);
  // Only keys that went down dispatch; a release neither fires a command nor latches a modifier.
  std::vector<int32_t> keysDown;
  for (const engine::KeyEvent& event : buffer)
    if (event.state == -1) keysDown.push_back(event.scanCode);
  if (CommandInputPending && !KeyRepeatBlocked) {
    if (keysDown.empty()) keysDown.push_back(0);
    CommandInputPending = false;
  }
  CurrentKeyCode = 0;
  for (const int32_t scanCode : keysDown) {
    ComposeKeyCode(scanCode);
    ProcessDSKYKeys(CurrentKeyCode);
    if (KeyRepeatBlocked) continue;
    if (DispatchCommands() == Pass::Ends) return;
  }
  PollHeldModifiers();
  if (CurrentKeyCode > HighestPlainCode) return;
  HeldSwitches();
  HeldMovement();
}

void UpdateKeyHoldRamp() {
  if (!KeyDelayActive) {
    MouseSensitivity = 1.0f;
    KeyHoldValue = KeyHoldStart;
    return;
  }
  // A frame cut short (a held modifier, an EVA strafe) or the flight's first leaves no start: a
  // ramp from 0 would hold a key that goes on being held at a standstill.
  KeyHoldValue = std::max(KeyHoldValue, MinimumKeyHoldStart);
  const float f = FlyingFrameRate();
  if (KeyHoldValue < KeyHoldThreshold)
    KeyHoldValue = std::min(KeyHoldValue + KeyHoldRateLow * KeyHoldValue / f, KeyHoldCapLow);
  else
    KeyHoldValue = std::min(KeyHoldValue + KeyHoldRateHigh * KeyHoldValue / f, KeyHoldCapHigh);
  MouseSensitivity = KeyHoldValue;
  KeyDelayActive = false;
}
