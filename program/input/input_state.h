// Program-wide state of the input subsystem: the command and axis bindings that every input step
// reads, and the joystick enumeration figures that validate them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "program/flight/vector3.h"

// One command bound to a keyboard key combination and to one joystick button.
struct ControlAssignment {
  bool Pressed = false;   // the bound button was seen down and the command not yet consumed
  int16_t Joystick = -1;  // 1-based joystick number; -1 = none
  int16_t Button = -1;    // 0-based button index on that joystick; -1 = none
  int32_t KeyCode = 0;    // scan code plus modifier offsets; 0 = no key
  std::string KeyName;    // the key text as read (German display form for language 2)
};

// One flight axis bound to a physical joystick axis.
struct AxisAssignment {
  float Value = 0.0f;     // last polled position 0..1, 0.5 = centre
  int16_t Joystick = -1;  // 1-based joystick number; -1 = unbound
  int32_t AxisType = -1;  // 0 X, 1 Y, 2 slider 1, 3 Z rotation, 4 Z, 5 slider 2, 6 X rot., 7 Y rot.
  int16_t Reverse = 0;    // 0 = normal, any other value = reversed
};

inline constexpr int ControlAssignmentCount = 107;
inline constexpr int AxisAssignmentCount = 7;

// Indices of AxisAssignments.
enum AxisIndex : int {
  AxisPitch,
  AxisRoll,
  AxisYaw,
  AxisThrottle,
  AxisTranslateX,
  AxisTranslateY,
  AxisTranslateZ
};

// Indices of ControlAssignments, in the declaration order of the commands.
enum ActionIndex : int {
  ActionRateOfDescentUp,
  ActionRateOfDescentDown,
  ActionCockpitView1,
  ActionCockpitView2,
  ActionCockpitView3,
  ActionSpotView1,
  ActionSpotView2,
  ActionGroundView,
  ActionVirtualCockpit1,
  ActionVirtualCockpit2,
  ActionVirtualCockpit3,
  ActionEVAView,
  ActionRollLeft,
  ActionRollRight,
  ActionPitchUp,
  ActionPitchDown,
  ActionYawLeft,
  ActionYawRight,
  ActionVirtualLeft,
  ActionVirtualRight,
  ActionVirtualUp,
  ActionVirtualDown,
  ActionEscape,
  ActionStartFlying,
  ActionPause,
  ActionKillEngine,
  ActionPlantFlag,
  ActionScreenDump,
  ActionExitIntroScreen,
  ActionShowMenu,
  ActionUndock,
  ActionStartReplay,
  ActionSaveReplay,
  ActionCenterControls,
  ActionStrafeLeft,
  ActionStrafeRight,
  ActionWalkForward,
  ActionWalkBackward,
  ActionLowerCamera,
  ActionRaiseCamera,
  ActionWiderCameraAngle,
  ActionNarrowerCameraAngle,
  ActionResetSpotView,
  ActionATTMONPGNS,
  ActionATTMONAGS,
  ActionThrottleUp,
  ActionThrottleDown,
  ActionKeyXpointerUp,
  ActionKeyXpointerDown,
  ActionAGSOff,
  ActionAGSHold,
  ActionAGSAuto,
  ActionPGNSOff,
  ActionPGNSHold,
  ActionPGNSAuto,
  ActionYawModeOff,
  ActionYawModePulse,
  ActionYawModeAuto,
  ActionPitchModeOff,
  ActionPitchModePulse,
  ActionPitchModeAuto,
  ActionRollModeOff,
  ActionRollModePulse,
  ActionRollModeAuto,
  ActionDeadbandLarge,
  ActionDeadbandSmall,
  ActionRatescaleHigh,
  ActionRatescaleLow,
  ActionThrottleAuto,
  ActionThrottleMan,
  ActionAutManThrottleToggle,
  ActionRatescaleToggle,
  ActionDeadbandToggle,
  ActionRollModeToggle,
  ActionPitchModeToggle,
  ActionYawModeToggle,
  ActionAGSToggle,
  ActionPGNSToggle,
  ActionATTMONToggle,
  ActionXPointerScaleToggle,
  ActionKeyPad0,
  ActionKeyPad1,
  ActionKeyPad2,
  ActionKeyPad3,
  ActionKeyPad4,
  ActionKeyPad5,
  ActionKeyPad6,
  ActionKeyPad7,
  ActionKeyPad8,
  ActionKeyPad9,
  ActionKeyPadPlus,
  ActionKeyPadMinus,
  ActionKeyPadEntr,
  ActionKeyPadClr,
  ActionKeyPadRset,
  ActionKeyPadPro,
  ActionKeyPadNoun,
  ActionKeyPadVerb,
  ActionKeyPadRelease,
  ActionKeyTranslatePX,
  ActionKeyTranslateMX,
  ActionKeyTranslatePY,
  ActionKeyTranslateMY,
  ActionKeyTranslatePZ,
  ActionKeyTranslateMZ,
  ActionKeyAbortAscent,
  ActionKeyAbortDescent,
};
static_assert(ActionKeyAbortDescent + 1 == ControlAssignmentCount);

inline std::array<ControlAssignment, ControlAssignmentCount> ControlAssignments;
inline std::array<AxisAssignment, AxisAssignmentCount> AxisAssignments;
inline int16_t SelectedJoystick = 0;   // the joystick the assignment dialog shows, 1-based
inline bool JoystickTestStop = false;  // ends the joystick test's loop

inline int32_t POVValue = 0;      // hat direction of the POV joystick, hundredths of a degree
inline int16_t POVJoystick = -1;  // joystick whose hat turns the view; -1 = none

// Text appended to the names of the per-language files (" LDE" for German, "" for the native one).
inline std::string LanguageSuffix;

// A joystick button or a mouse click produced a command: the key dispatch runs its checks once.
inline bool CommandInputPending = false;

// The control choice of the launcher and of the in-flight menu.
inline bool UseMouse = false;
inline bool UseJoystick = false;
inline bool UseKeyboard = false;
inline bool MenuJoystickChoice = false;
inline bool MenuSoundChoice = false;

// Controllers gone through by the last enumeration, addressed by their 1-based position.
inline int32_t JoystickCount = 0;
// Number of axes minus 1 of each listed controller, indexed by controller number; a controller
// that the enumeration skipped has no entry or a negative one.
inline std::vector<int32_t> JoystickAxisLimit;

// Key-command timing flags that the main display's timers clear.
inline bool KeyDelayActive = false;  // a key command waits for its repeat delay
// The modifier keys of the key-code scheme seen within the last 500 ms.
inline bool ShiftPending = false;
inline bool CtrlPending = false;
inline bool WindowsKeyPending = false;
inline bool AltPending = false;

// The in-flight settings menu is asked for.
inline bool SettingsOverlayShown = false;
// --- Keyboard command dispatch ----------------------------------------------------------------

// The key code of the event being dispatched: scan code plus the modifier offset.
inline int32_t CurrentKeyCode = 0;
// The window system's Num Lock state, taken again whenever Num Lock is pressed.
inline bool NumLockOn = false;
// TimerKeyPress was running when this pass began: no one-shot command fires in it.
inline bool KeyRepeatBlocked = false;
inline bool DescentRateChanged = false;  // a rate-of-descent key changed CommandedVerticalRate
inline bool ExitDialogShown = false;     // the exit confirmation box is up
// The keyboard hand controller: roll, pitch, yaw, -100 to 100.
inline std::array<float, 3> KeyHandController{};
inline float ThrottleKeyValue = 0.0f;  // keyboard throttle, 0 to 100
inline bool FlagPlanted = false;
inline Vector3 FlagPosition;  // world units

// The ramp that speeds up a movement key while it is held: MouseSensitivity (scene_state.h) is
// the factor the movement commands multiply by, KeyHoldValue its next value. Rates are per
// second, the others plain factors.
inline bool KeyHeld = false;  // a movement command acted in this frame
inline float KeyHoldValue = 0.0f;
inline float KeyHoldStart = 0.0f;
inline float KeyHoldThreshold = 0.0f;
inline float KeyHoldRateLow = 0.0f;
inline float KeyHoldRateHigh = 0.0f;
inline float KeyHoldCapLow = 0.0f;
inline float KeyHoldCapHigh = 0.0f;

// --- Mouse ------------------------------------------------------------------------------------

inline int32_t MouseX = 0;  // pixels of the main window's drawing area
inline int32_t MouseY = 0;
inline bool MouseButton1 = false;  // left, down
inline bool MouseButton2 = false;  // right, down

// --- Joystick flying --------------------------------------------------------------------------

// The P64 redesignation armed by a stick deflection, -1, 0 or +1, fired when the stick centres.
inline int32_t LPDRollArm = 0;
inline int32_t LPDPitchArm = 0;
// The joystick throttle's last five commands, averaged; the next slot to fill, 0 to 4.
inline std::array<float, 5> JoystickThrottleRing{};
inline int32_t JoystickThrottleIndex = 0;

// --- The in-flight menu -------------------------------------------------------------------------

// One button or list row of the in-flight menu; its place is in 1600 by 1200 reference units.
struct MenuItem {
  float X = 0.0f, Y = 0.0f, Width = 0.0f, Height = 0.0f;
  std::string Caption;
  int32_t TexOn = 0, TexOnRoll = 0, TexOff = 0, TexOffRoll = 0;  // texture ids
  bool Visible = true;
  bool ListStyle = false;  // caption at the left with a text cursor, else centred
  bool Selected = false;   // a page stays open while its button is selected
  bool Clicked = false;    // a click has not been handled yet
  bool MouseOver = false;
  int32_t CursorPos = 0;  // characters before the text cursor
};

inline constexpr int ReplayListRows = 15;
inline MenuItem StartItem, ExitItem, ReplayItem, SaveReplayItem, LoadItem, SaveOkItem,
    SaveCancelItem, LoadOkItem, LoadCancelItem, QuitItem, ContinueItem, NameEntryItem;
inline std::array<MenuItem, ReplayListRows + 1> ReplayListItems;  // rows 1 to 15

// The text entry of the save page: its text and the characters before its cursor.
inline std::string EditText;
inline int32_t EditCursor = 0;
inline bool MenuShiftDown = false;  // a Shift key is down while typing the name
// The character each scan code types in the text entry, 0 for none.
inline std::array<char, 256> KeyCharTable{};
// The texture ids of the menu's headings: "FLIGHT", "REPLAY", "Quit".
inline int32_t FlightHeaderTexture = 0;
inline int32_t ReplayHeaderTexture = 0;
inline int32_t QuitHeaderTexture = 0;
