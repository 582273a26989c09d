#include "program/input/joystick_assign.h"

#include <array>

#include "platform/win/numbers.h"
#include "program/flight/flight_state.h"
#include "program/input/input_state.h"
#include "program/input/joystick_data.h"
#include "program/input/joystick_devices.h"
#include "program/scene/engine_objects.h"
#include "program/startup/startup_state.h"

namespace {

// The flight axis of each item of a row's list; item 7 is "None".
constexpr std::array<AxisIndex, FlightAxisNoneItem> ItemAxes = {
    AxisRoll, AxisPitch, AxisThrottle, AxisYaw, AxisTranslateX, AxisTranslateY, AxisTranslateZ};
constexpr int32_t FirstFlightAxisText = 76;      // "Roll" .. "None" follow

// The action list: the text's id and the command of each position.
struct ListEntry {
  int32_t text;
  ActionIndex action;
};
constexpr std::array<ListEntry, ActionListCount> ActionList = {{
    {95, ActionRateOfDescentUp},
    {96, ActionRateOfDescentDown},
    {52, ActionCockpitView1},
    {53, ActionCockpitView2},
    {54, ActionCockpitView3},
    {55, ActionSpotView1},
    {56, ActionSpotView2},
    {57, ActionGroundView},
    {49, ActionVirtualCockpit1},
    {50, ActionVirtualCockpit2},
    {51, ActionVirtualCockpit3},
    {35, ActionStartFlying},
    {44, ActionPause},
    {105, ActionAutManThrottleToggle},
    {46, ActionKillEngine},
    {47, ActionPlantFlag},
    {106, ActionXPointerScaleToggle},
    {39, ActionScreenDump},
    {40, ActionExitIntroScreen},
    {41, ActionShowMenu},
    {36, ActionStartReplay},
    {244, ActionSaveReplay},
    {43, ActionCenterControls},
    {60, ActionStrafeLeft},
    {61, ActionStrafeRight},
    {62, ActionWalkForward},
    {63, ActionWalkBackward},
    {89, ActionLowerCamera},
    {90, ActionRaiseCamera},
    {91, ActionWiderCameraAngle},
    {92, ActionNarrowerCameraAngle},
    {93, ActionResetSpotView},
    {137, ActionAGSOff},
    {138, ActionAGSHold},
    {139, ActionAGSAuto},
    {140, ActionPGNSOff},
    {141, ActionPGNSHold},
    {142, ActionPGNSAuto},
    {143, ActionYawModeOff},
    {144, ActionYawModePulse},
    {145, ActionYawModeAuto},
    {146, ActionPitchModeOff},
    {147, ActionPitchModePulse},
    {148, ActionPitchModeAuto},
    {149, ActionRollModeOff},
    {150, ActionRollModePulse},
    {151, ActionRollModeAuto},
    {111, ActionKeyPad0},
    {112, ActionKeyPad1},
    {113, ActionKeyPad2},
    {114, ActionKeyPad3},
    {115, ActionKeyPad4},
    {116, ActionKeyPad5},
    {117, ActionKeyPad6},
    {118, ActionKeyPad7},
    {119, ActionKeyPad8},
    {120, ActionKeyPad9},
    {121, ActionKeyPadPlus},
    {122, ActionKeyPadMinus},
    {123, ActionKeyPadEntr},
    {124, ActionKeyPadClr},
    {125, ActionKeyPadRset},
    {126, ActionKeyPadPro},
    {127, ActionKeyPadNoun},
    {128, ActionKeyPadVerb},
    {129, ActionKeyPadRelease},
    {152, ActionDeadbandLarge},
    {153, ActionDeadbandSmall},
    {42, ActionEscape},
    {58, ActionEVAView},
    {70, ActionRollLeft},
    {71, ActionRollRight},
    {72, ActionPitchUp},
    {73, ActionPitchDown},
    {74, ActionYawLeft},
    {75, ActionYawRight},
    {131, ActionKeyXpointerUp},
    {132, ActionKeyXpointerDown},
    {64, ActionKeyTranslatePX},
    {65, ActionKeyTranslateMX},
    {66, ActionKeyTranslatePY},
    {67, ActionKeyTranslateMY},
    {68, ActionKeyTranslatePZ},
    {69, ActionKeyTranslateMZ},
    {107, ActionKeyAbortAscent},
    {108, ActionKeyAbortDescent},
    {155, ActionRatescaleLow},
    {154, ActionRatescaleHigh},
    {97, ActionRatescaleToggle},
    {98, ActionDeadbandToggle},
    {99, ActionRollModeToggle},
    {100, ActionPitchModeToggle},
    {101, ActionYawModeToggle},
    {102, ActionAGSToggle},
    {103, ActionPGNSToggle},
    {104, ActionATTMONToggle},
    {156, ActionThrottleAuto},
    {157, ActionThrottleMan},
    {45, ActionUndock},
}};

// The commands that may share a button with another: the attitude keys and the few the list
// does not offer.
bool MayShareButton(int action) {
  return (action >= ActionRollLeft && action <= ActionVirtualDown) || action == ActionATTMONPGNS ||
         action == ActionATTMONAGS || action == ActionThrottleUp || action == ActionThrottleDown;
}

int16_t FlagOf(const forms::Control& box) {
  return box.Value() == forms::Control::kChecked ? int16_t{-1} : int16_t{0};
}

AxisAssignment& ItemAxis(int16_t item) {
  return AxisAssignments[ItemAxes[static_cast<size_t>(item)]];
}

void UnbindRow(int16_t type, const AxisAssignment* keep) {
  for (AxisAssignment& axis : AxisAssignments) {
    if (&axis == keep || axis.AxisType != type || axis.Joystick != SelectedJoystick) continue;
    axis.AxisType = -1;
    axis.Joystick = -1;
  }
}

// Exit and closing save the bindings when there was a joystick to bind.
void FinishDialog() {
  JoystickTestStop = true;
  if (JoystickListCount > 0) SaveJoystickAssignments();
  // The frame takes the main window's size again, which the preview had taken.
  int32_t unused = 0;
  if (Engine && Engine->Initialised()) Engine->UpdateWindowSize(unused);
}

}  // namespace

void ConnectJoystickAssign() {
  JoystickAssign.Connect([](JoystickAssignForm& form) {
    form.Load = [&form] { JoystickAssign_Form_Load(form); };
    form.Combo1.Click = [] { JoystickAssign_Combo1_Click(); };
    form.Combo2.Click = [](int16_t i) { JoystickAssign_Combo2_Click(i); };
    form.Check1.Click = [](int16_t i) { JoystickAssign_Check1_Click(i); };
    form.Check2.Click = [] { JoystickAssign_Check2_Click(); };
    form.Option2.Click = [](int16_t n) { JoystickAssign_Option2_Click(n); };
    form.List2.Click = [] { JoystickAssign_List2_Click(); };
    form.Command1.Click = [] { JoystickAssign_Command1_Click(); };
    form.Command2.Click = [&form] { InputEngine->Calibrate(form.hWnd()); };
    form.QueryUnload = [](bool&, forms::UnloadMode) { FinishDialog(); };
  });
}

void JoystickAssign_Form_Load(JoystickAssignForm& form) {
  EnsureTralexa().TranslateForm(form);
  for (int16_t k = 1; k < HatPictureCount; ++k)
    form.Image1(k).Move(form.Image1(0).Left(), form.Image1(0).Top(), form.Image1(k).Width(),
                        form.Image1(k).Height());
  // Choosing the first joystick sets no rows yet: they are filled below and set by Setup.
  const bool busy = Busy;
  Busy = true;
  EnumerateJoysticks();
  Busy = busy;
  Load_List2(form);
  for (int16_t i = 0; i < PhysicalAxisCount; ++i) {
    form.Combo2(i).Clear();
    for (int32_t item = 0; item <= FlightAxisNoneItem; ++item)
      form.Combo2(i).AddItem(UiText[static_cast<size_t>(FirstFlightAxisText + item)]);
  }
}

void Load_List2(JoystickAssignForm& form) {
  for (const ListEntry& entry : ActionList)
    form.List2.AddItem(UiText[static_cast<size_t>(entry.text)]);
}

void JoystickAssign_Combo1_Click() {
  if (Busy) return;
  Busy = true;
  JoystickAssignForm& form = *JoystickAssign;
  SelectedJoystick =
      static_cast<int16_t>(win::RoundHalfEven(win::LeadingNumber(form.Combo1.Text().substr(0, 2))));
  for (int16_t i = 0; i < PhysicalAxisCount; ++i) form.Combo2(i).SetListIndex(FlightAxisNoneItem);
  for (int16_t item = 0; item < FlightAxisNoneItem; ++item) {
    const AxisAssignment& axis = ItemAxis(item);
    if (axis.Joystick == SelectedJoystick && axis.AxisType >= 0 &&
        axis.AxisType < PhysicalAxisCount)
      form.Combo2(static_cast<int16_t>(axis.AxisType)).SetListIndex(item);
  }
  Busy = false;
}

void JoystickAssign_Combo2_Click(int16_t i) {
  if (Busy) return;
  Busy = true;
  JoystickAssignForm& form = *JoystickAssign;
  const int16_t item = form.Combo2(i).ListIndex();
  if (item >= 0 && item < FlightAxisNoneItem) {
    AxisAssignment& chosen = ItemAxis(item);
    chosen.AxisType = i;
    chosen.Joystick = SelectedJoystick;
    UnbindRow(i, &chosen);
    chosen.Reverse = FlagOf(form.Check1(i));
  } else if (item == FlightAxisNoneItem) {
    UnbindRow(i, nullptr);
  }
  Busy = false;
}

void JoystickAssign_Check1_Click(int16_t i) {
  if (Busy) return;
  JoystickAssignForm& form = *JoystickAssign;
  const int16_t item = form.Combo2(i).ListIndex();
  if (item >= 0 && item < FlightAxisNoneItem) ItemAxis(item).Reverse = FlagOf(form.Check1(i));
}

void JoystickAssign_Check2_Click() {
  if (Busy) return;
  POVJoystick =
      JoystickAssign->Check2.Value() == forms::Control::kChecked ? SelectedJoystick : int16_t{-1};
}

void JoystickAssign_Option2_Click(int16_t n) {
  Busy = true;
  CapturedButton = n;
  forms::ListBox& list = JoystickAssign->List2;
  list.SetListIndex(-1);
  for (int16_t p = 0; p < ActionListCount; ++p)
    SelectAssignmentInList(ControlAssignments[ActionList[static_cast<size_t>(p)].action], n, p);
  Busy = false;
}

void JoystickAssign_List2_Click() {
  if (Busy) return;
  const int16_t p = JoystickAssign->List2.ListIndex();
  if (p < 0 || p >= ActionListCount) return;
  ClearDuplicateButton();
  AssignCapturedButton(ControlAssignments[ActionList[static_cast<size_t>(p)].action]);
}

void JoystickAssign_Command1_Click() {
  FinishDialog();
  JoystickAssign->Hide();
}

void ClearButtonIfCaptured(ControlAssignment& record) {
  if (record.Button != CapturedButton || record.Joystick != SelectedJoystick) return;
  record.Button = -1;
  record.Joystick = -1;
}

void ClearDuplicateButton() {
  for (size_t action = 0; action < ControlAssignments.size(); ++action)
    if (!MayShareButton(static_cast<int>(action)))
      ClearButtonIfCaptured(ControlAssignments[action]);
}

void AssignCapturedButton(ControlAssignment& record) {
  record.Button = static_cast<int16_t>(CapturedButton);
  record.Joystick = SelectedJoystick;
}

void SelectAssignmentInList(const ControlAssignment& record, int16_t button, int16_t position) {
  if (record.Joystick == SelectedJoystick && record.Button == button)
    JoystickAssign->List2.SetListIndex(position);
}
