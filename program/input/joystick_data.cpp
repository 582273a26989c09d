#include "program/input/joystick_data.h"

#include <algorithm>
#include <optional>
#include <type_traits>
#include <utility>

#include "platform/win/ascii_case.h"
#include "platform/win/profile.h"
#include "program/missions/ini.h"
#include "program/startup/startup_state.h"

constexpr std::array<ActionDefinition, ControlAssignmentCount> ActionDefinitions = {{
    {ActionRateOfDescentUp, "Rate of Descent UP", "O", 1, 1, ButtonFiring::OneShot},
    {ActionRateOfDescentDown, "Rate of Descent DOWN", "I", 0, 1, ButtonFiring::OneShot},
    {ActionCockpitView1, "Cockpit View 1", "4", -1, -1, ButtonFiring::OneShot},
    {ActionCockpitView2, "Cockpit View 2", "5", -1, -1, ButtonFiring::OneShot},
    {ActionCockpitView3, "Cockpit View 3", "6", -1, -1, ButtonFiring::OneShot},
    {ActionSpotView1, "Spot View 1", "7", -1, -1, ButtonFiring::OneShot},
    {ActionSpotView2, "Spot View 2", "8", -1, -1, ButtonFiring::OneShot},
    {ActionGroundView, "Ground View", "9", -1, -1, ButtonFiring::OneShot},
    {ActionVirtualCockpit1, "Virtual Cockpit 1", "1", -1, -1, ButtonFiring::OneShot},
    {ActionVirtualCockpit2, "Virtual Cockpit 2", "2", -1, -1, ButtonFiring::OneShot},
    {ActionVirtualCockpit3, "Virtual Cockpit 3", "3", -1, -1, ButtonFiring::OneShot},
    {ActionEVAView, "EVA View", "0", -1, -1, ButtonFiring::Held},
    {ActionRollLeft, "Roll Left", "LEFTARROW", -1, -1, ButtonFiring::None},
    {ActionRollRight, "Roll Right", "RIGHTARROW", -1, -1, ButtonFiring::None},
    {ActionPitchUp, "Pitch Up", "UPARROW", -1, -1, ButtonFiring::None},
    {ActionPitchDown, "Pitch Down", "DOWNARROW", -1, -1, ButtonFiring::None},
    {ActionYawLeft, "Yaw Left", "COLON", -1, -1, ButtonFiring::None},
    {ActionYawRight, "Yaw Right", "COMMA", -1, -1, ButtonFiring::None},
    {ActionVirtualLeft, "Virtual Left", "LEFTARROW", -1, -1, ButtonFiring::Held},
    {ActionVirtualRight, "Virtual Right", "RIGHTARROW", -1, -1, ButtonFiring::Held},
    {ActionVirtualUp, "Virtual Up", "UPARROW", -1, -1, ButtonFiring::Held},
    {ActionVirtualDown, "Virtual Down", "DOWNARROW", -1, -1, ButtonFiring::Held},
    {ActionEscape, "Escape", "ESCAPE", -1, -1, ButtonFiring::OneShot},
    {ActionStartFlying, "Start Flying", "F6", -1, -1, ButtonFiring::OneShot},
    {ActionPause, "Pause", "P", -1, -1, ButtonFiring::OneShot},
    {ActionKillEngine, "Kill Engine", "K", -1, -1, ButtonFiring::OneShot},
    {ActionPlantFlag, "Plant Flag", "F", -1, -1, ButtonFiring::OneShot},
    {ActionScreenDump, "Screen Dump", "M", -1, -1, ButtonFiring::OneShot},
    {ActionExitIntroScreen, "Exit Intro Screen", "SPACE", -1, -1, ButtonFiring::OneShot},
    {ActionShowMenu, "Show Menu", "ALT", -1, -1, ButtonFiring::OneShot},
    {ActionUndock, "Undock", "CTRL+D", -1, -1, ButtonFiring::OneShot},
    {ActionStartReplay, "Start Replay", "SHIFT+R", -1, -1, ButtonFiring::OneShot},
    {ActionSaveReplay, "Save Replay", "SHIFT+S", -1, -1, ButtonFiring::OneShot},
    {ActionCenterControls, "Center Controls", "NUMPAD5", -1, -1, ButtonFiring::OneShot},
    {ActionStrafeLeft, "Strafe Left", "A", -1, -1, ButtonFiring::Held},
    {ActionStrafeRight, "Strafe Right", "D", -1, -1, ButtonFiring::Held},
    {ActionWalkForward, "Walk Forward", "W", -1, -1, ButtonFiring::Held},
    {ActionWalkBackward, "Walk Backward", "X", -1, -1, ButtonFiring::Held},
    {ActionLowerCamera, "Lower Camera", "Q", -1, -1, ButtonFiring::Held},
    {ActionRaiseCamera, "Raise Camera", "E", -1, -1, ButtonFiring::Held},
    {ActionWiderCameraAngle, "Wider Camera Angle", "COMMA", -1, -1, ButtonFiring::Held},
    {ActionNarrowerCameraAngle, "Narrower Camera Angle", "PERIOD", -1, -1, ButtonFiring::Held},
    {ActionResetSpotView, "Reset Spot View", "S", -1, -1, ButtonFiring::Held},
    {ActionATTMONPGNS, "ATTMON PGNS", "", -1, -1, ButtonFiring::Held},
    {ActionATTMONAGS, "ATTMON AGS", "", -1, -1, ButtonFiring::Held},
    {ActionThrottleUp, "Throttle Up", "RIGHTBRACKET", -1, -1, ButtonFiring::None},
    {ActionThrottleDown, "Throttle Down", "LEFTBRACKET", -1, -1, ButtonFiring::None},
    {ActionKeyXpointerUp, "KeyXpointerUp", "G", -1, -1, ButtonFiring::Held},
    {ActionKeyXpointerDown, "KeyXpointerDown", "G", -1, -1, ButtonFiring::Held},
    {ActionAGSOff, "AGS Off", "", -1, -1, ButtonFiring::Held},
    {ActionAGSHold, "AGS Hold", "", -1, -1, ButtonFiring::Held},
    {ActionAGSAuto, "AGS Auto", "", -1, -1, ButtonFiring::Held},
    {ActionPGNSOff, "PGNS Off", "", -1, -1, ButtonFiring::Held},
    {ActionPGNSHold, "PGNS Hold", "", -1, -1, ButtonFiring::Held},
    {ActionPGNSAuto, "PGNS Auto", "", -1, -1, ButtonFiring::Held},
    {ActionYawModeOff, "Yaw Mode Off", "", -1, -1, ButtonFiring::Held},
    {ActionYawModePulse, "Yaw Mode Pulse", "", -1, -1, ButtonFiring::Held},
    {ActionYawModeAuto, "Yaw Mode Auto", "", -1, -1, ButtonFiring::Held},
    {ActionPitchModeOff, "Pitch Mode Off", "", -1, -1, ButtonFiring::Held},
    {ActionPitchModePulse, "Pitch Mode Pulse", "", -1, -1, ButtonFiring::Held},
    {ActionPitchModeAuto, "Pitch Mode Auto", "", -1, -1, ButtonFiring::Held},
    {ActionRollModeOff, "Roll Mode Off", "", -1, -1, ButtonFiring::Held},
    {ActionRollModePulse, "Roll Mode Pulse", "", -1, -1, ButtonFiring::Held},
    {ActionRollModeAuto, "Roll Mode Auto", "", -1, -1, ButtonFiring::Held},
    {ActionDeadbandLarge, "Deadband Large", "", -1, -1, ButtonFiring::Held},
    {ActionDeadbandSmall, "Deadband Small", "", -1, -1, ButtonFiring::Held},
    {ActionRatescaleHigh, "Ratescale High", "", -1, -1, ButtonFiring::Held},
    {ActionRatescaleLow, "Ratescale Low", "", -1, -1, ButtonFiring::Held},
    {ActionThrottleAuto, "Throttle Auto", "T", -1, -1, ButtonFiring::Held},
    {ActionThrottleMan, "Throttle Man", "T", -1, -1, ButtonFiring::Held},
    {ActionAutManThrottleToggle, "Aut Man Throttle Toggle", "L", -1, -1, ButtonFiring::OneShot},
    {ActionRatescaleToggle, "Ratescale Toggle", "", -1, -1, ButtonFiring::OneShot},
    {ActionDeadbandToggle, "Deadband Toggle", "", -1, -1, ButtonFiring::OneShot},
    {ActionRollModeToggle, "RollMode Toggle", "", -1, -1, ButtonFiring::OneShot},
    {ActionPitchModeToggle, "PitchMode Toggle", "", -1, -1, ButtonFiring::OneShot},
    {ActionYawModeToggle, "YawMode Toggle", "", -1, -1, ButtonFiring::OneShot},
    {ActionAGSToggle, "AGS Toggle", "", -1, -1, ButtonFiring::OneShot},
    {ActionPGNSToggle, "PGNS Toggle", "", -1, -1, ButtonFiring::OneShot},
    {ActionATTMONToggle, "ATTMON Toggle", "", -1, -1, ButtonFiring::OneShot},
    {ActionXPointerScaleToggle, "X-Pointer Scale Toggle", "H", -1, -1, ButtonFiring::OneShot},
    {ActionKeyPad0, "Key Pad 0", "NUMPAD0", -1, -1, ButtonFiring::Held},
    {ActionKeyPad1, "Key Pad 1", "NUMPAD1", -1, -1, ButtonFiring::Held},
    {ActionKeyPad2, "Key Pad 2", "NUMPAD2", -1, -1, ButtonFiring::Held},
    {ActionKeyPad3, "Key Pad 3", "NUMPAD3", -1, -1, ButtonFiring::Held},
    {ActionKeyPad4, "Key Pad 4", "NUMPAD4", -1, -1, ButtonFiring::Held},
    {ActionKeyPad5, "Key Pad 5", "NUMPAD5", -1, -1, ButtonFiring::Held},
    {ActionKeyPad6, "Key Pad 6", "NUMPAD6", -1, -1, ButtonFiring::Held},
    {ActionKeyPad7, "Key Pad 7", "NUMPAD7", -1, -1, ButtonFiring::Held},
    {ActionKeyPad8, "Key Pad 8", "NUMPAD8", -1, -1, ButtonFiring::Held},
    {ActionKeyPad9, "Key Pad 9", "NUMPAD9", -1, -1, ButtonFiring::Held},
    {ActionKeyPadPlus, "Key Pad Plus", "NUMPADPLUS", -1, -1, ButtonFiring::Held},
    {ActionKeyPadMinus, "Key Pad Minus", "NUMPADMINUS", -1, -1, ButtonFiring::Held},
    {ActionKeyPadEntr, "Key Pad Entr", "NUMPADENTER", -1, -1, ButtonFiring::Held},
    {ActionKeyPadClr, "Key Pad Clr", "NUMPADCLR", -1, -1, ButtonFiring::Held},
    {ActionKeyPadRset, "Key Pad Rset", "NUMPADSLASH", -1, -1, ButtonFiring::Held},
    {ActionKeyPadPro, "Key Pad Pro", "NUMPADSTAR", -1, -1, ButtonFiring::Held},
    {ActionKeyPadNoun, "Key Pad Noun", "N", -1, -1, ButtonFiring::Held},
    {ActionKeyPadVerb, "Key Pad Verb", "V", -1, -1, ButtonFiring::Held},
    {ActionKeyPadRelease, "Key Pad Release", "L", -1, -1, ButtonFiring::Held},
    {ActionKeyTranslatePX, "KeyTranslatePX", "F12", -1, -1, ButtonFiring::Held},
    {ActionKeyTranslateMX, "KeyTranslateMX", "F11", -1, -1, ButtonFiring::Held},
    {ActionKeyTranslatePY, "KeyTranslatePY", "F10", -1, -1, ButtonFiring::Held},
    {ActionKeyTranslateMY, "KeyTranslateMY", "F9", -1, -1, ButtonFiring::Held},
    {ActionKeyTranslatePZ, "KeyTranslatePZ", "F8", -1, -1, ButtonFiring::Held},
    {ActionKeyTranslateMZ, "KeyTranslateMZ", "F7", -1, -1, ButtonFiring::Held},
    {ActionKeyAbortAscent, "KeyAbortAscent", "CTRL+A", -1, -1, ButtonFiring::Held},
    {ActionKeyAbortDescent, "KeyAbortDescent", "CTRL+D", -1, -1, ButtonFiring::Held},
}};

// Each row stands at the place of its command, so that a command's index finds its names.
static_assert([] {
  for (size_t i = 0; i < ActionDefinitions.size(); ++i)
    if (ActionDefinitions[i].Index != static_cast<int>(i)) return false;
  return true;
}());

namespace {

const char* const AssignmentSection = "Assignments";

// The DirectInput keyboard scan codes by key name.
struct KeyNameEntry {
  std::string_view Name;
  int32_t Code;
};

constexpr KeyNameEntry KeyNames[] = {
    {"0", 11},
    {"1", 2},
    {"2", 3},
    {"3", 4},
    {"4", 5},
    {"5", 6},
    {"6", 7},
    {"7", 8},
    {"8", 9},
    {"9", 10},
    {"A", 30},
    {"ABNT_C1", 115},
    {"ABNT_C2", 126},
    {"KEY_ADD", 78},
    {"ALT_LEFT", 56},
    {"ALT_RIGHT", 184},
    {"APOSTROPHE", 40},
    {"KEY_APPS", 221},
    {"AT", 145},
    {"AX", 150},
    {"B", 48},
    {"BACKSLASH", 43},
    {"BACKSPACE", 14},
    {"C", 46},
    {"CALCULATOR", 161},
    {"CAPITAL", 58},
    {"CAPSLOCK", 58},
    {"CIRCUMFLEX", 144},
    {"COLON", 146},
    {"COMMA", 51},
    {"CONVERT", 121},
    {"D", 32},
    {"DECIMAL", 83},
    {"DELETE", 211},
    {"DIVIDE", 181},
    {"DOWN", 208},
    {"DOWNARROW", 208},
    {"E", 18},
    {"END", 207},
    {"EQUALS", 13},
    {"ESCAPE", 1},
    {"F", 33},
    {"F1", 59},
    {"F2", 60},
    {"F3", 61},
    {"F4", 62},
    {"F5", 63},
    {"F6", 64},
    {"F7", 65},
    {"F8", 66},
    {"F9", 67},
    {"F10", 68},
    {"F11", 87},
    {"F12", 88},
    {"F13", 100},
    {"F14", 101},
    {"F15", 102},
    {"G", 34},
    {"GRAVE", 41},
    {"H", 35},
    {"HOME", 199},
    {"I", 23},
    {"INSERT", 210},
    {"J", 36},
    {"K", 37},
    {"KANA", 112},
    {"KANJI", 148},
    {"L", 38},
    {"LEFT", 203},
    {"LEFTARROW", 203},
    {"LEFTBRACKET", 26},
    {"LEFTMENU", 219},
    {"M", 50},
    {"MAIL", 236},
    {"MEDIASELECT", 237},
    {"MEDIASTOP", 164},
    {"MINUS", 12},
    {"MULTIPLY", 55},
    {"MUTE", 160},
    {"MYCOMPUTER", 235},
    {"N", 49},
    {"NEXT", 209},
    {"NEXTTRACK", 153},
    {"NOCONVERT", 123},
    {"NUMLK", 69},
    {"NPAD0", 82},
    {"NPAD1", 79},
    {"NPAD2", 80},
    {"NPAD3", 81},
    {"NPAD4", 75},
    {"NPAD5", 76},
    {"NPAD6", 77},
    {"NPAD7", 71},
    {"NPAD8", 72},
    {"NPAD9", 73},
    {"NPADCOMMA", 179},
    {"NPADENTER", 156},
    {"NPADEQUALS", 141},
    {"NPADMINUS", 74},
    {"NPADPERIOD", 83},
    {"NPADPLUS", 78},
    {"NPADSLASH", 181},
    {"NPADSTAR", 55},
    {"O", 24},
    {"OEM_102", 86},
    {"P", 25},
    {"PAGEDOWN", 209},
    {"PAGEUP", 201},
    {"PAUSE", 197},
    {"PERIOD", 52},
    {"PLAYPAUSE", 162},
    {"POWER", 222},
    {"PREVTRACK", 144},
    {"PRIOR", 201},
    {"Q", 16},
    {"R", 19},
    {"RETURN", 28},
    {"RIGHT", 205},
    {"RIGHTARROW", 205},
    {"RIGHTBRACKET", 27},
    {"RIGHTMENU", 184},
    {"S", 31},
    {"SCROLL", 70},
    {"SEMICOLON", 39},
    {"SLASH", 53},
    {"SLEEP", 223},
    {"SPACE", 57},
    {"STOP", 149},
    {"SUBTRACT", 74},
    {"SYSRQ", 183},
    {"TAB", 15},
    {"T", 20},
    {"U", 22},
    {"UNDERLINE", 147},
    {"UNLABELED", 151},
    {"UP", 200},
    {"UPARROW", 200},
    {"V", 47},
    {"VOLUMEDOWN", 174},
    {"VOLUMEUP", 176},
    {"W", 17},
    {"WAKE", 227},
    {"WEBBACK", 234},
    {"WEBFAVORITES", 230},
    {"WEBFORWARD", 233},
    {"WEBHOME", 178},
    {"WEBREFRESH", 231},
    {"WEBSEARCH", 229},
    {"WEBSTOP", 232},
    {"X", 45},
    {"Y", 21},
    {"YEN", 125},
    {"Z", 44},
};
static_assert(std::size(KeyNames) == 153);

// German display forms of whole key texts.
constexpr std::pair<std::string_view, std::string_view> GermanKeyNames[] = {
    {"COMMA", "KOMMA"},
    {"PERIOD", "PUNKT"},
    {"EQUALS", "\xB4"},  // acute accent, in the 8-bit code page of the files
    {"MINUS", "\xDF"},   // sharp s
    {"NPADPERIOD", "NPADKOMMA"},
    {"NPADSTAR", "NPAD-MALZEICHEN"},
    {"NPADSLASH", "NPAD-GETEILTZEICHEN"},
    {"UPARROW", "HOCH"},
    {"DOWNARROW", "RUNTER"},
};

// The numeric-keypad scan codes.
constexpr int32_t KeypadScanCodes[] = {55, 71, 72, 73, 74, 75,  76,  77,  78,
                                       79, 80, 81, 82, 83, 141, 156, 179, 181};

// One axis: the names of its three entries and their defaults.
struct AxisDefinition {
  const char* AxisKey;
  const char* JoystickKey;
  const char* ReverseKey;
  int32_t DefaultAxis;
  int16_t DefaultJoystick;
  int16_t DefaultReverse;
};

constexpr AxisDefinition AxisDefinitions[AxisAssignmentCount] = {
    {"Pitch Axis", "Pitch Joystick", "Pitch Reverse", 1, 1, 0},
    {"Roll Axis", "Roll Joystick", "Roll Reverse", 0, 1, 0},
    {"Yaw Axis", "Yaw Joystick", "Yaw Reverse", 3, 1, 0},
    {"Throttle Axis", "Throttle Joystick", "Throttle Reverse", 2, 1, 0},
    {"Translate Axis X", "Translate Joystick X", "Translate Reverse X", 2, 2, 2},
    {"Translate Axis Y", "Translate Joystick Y", "Translate Reverse Y", 2, 2, 2},
    {"Translate Axis Z", "Translate Joystick Z", "Translate Reverse Z", 2, 2, 2},
};

// The order in which the axes are written back.
constexpr AxisIndex AxisSaveOrder[] = {AxisPitch,      AxisRoll,       AxisYaw,     AxisTranslateX,
                                       AxisTranslateY, AxisTranslateZ, AxisThrottle};

// The commands whose buttons are written back, in writing order: all but the two ATTMON ones.
constexpr ActionIndex ButtonSaveOrder[] = {
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
    ActionEscape,
    ActionStartFlying,
    ActionPause,
    ActionAutManThrottleToggle,
    ActionKillEngine,
    ActionPlantFlag,
    ActionXPointerScaleToggle,
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
    ActionRatescaleToggle,
    ActionDeadbandToggle,
    ActionRollModeToggle,
    ActionPitchModeToggle,
    ActionYawModeToggle,
    ActionAGSToggle,
    ActionPGNSToggle,
    ActionATTMONToggle,
    ActionThrottleAuto,
    ActionThrottleMan,
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
    ActionThrottleUp,
    ActionThrottleDown,
    ActionKeyXpointerUp,
    ActionKeyXpointerDown,
    ActionKeyTranslatePX,
    ActionKeyTranslateMX,
    ActionKeyTranslatePY,
    ActionKeyTranslateMY,
    ActionKeyTranslatePZ,
    ActionKeyTranslateMZ,
    ActionKeyAbortAscent,
    ActionKeyAbortDescent,
};
static_assert(std::size(ButtonSaveOrder) == ControlAssignmentCount - 2);

// A numeric entry by the leading-number rule. A value that is not finite or does not fit the field
// counts as absent, so the field takes its default rather than a wrapped number.
template <typename Integer>
Integer ReadNumberEntry(const std::string& path, const char* key, Integer fallback) {
  const ProfileFile file(path);
  if constexpr (std::is_same_v<Integer, int16_t>) {
    return file.Short(AssignmentSection, key, std::to_string(fallback));
  } else {
    return file.Whole(AssignmentSection, key, std::to_string(fallback));
  }
}

std::string AssignmentPath(const char* baseName) {
  return ProgramFolder() + "\\" + baseName + LanguageSuffix + ".ini";
}

}  // namespace

std::string LanguageSuffixFor(int32_t language) {
  switch (language) {
    case 2:
      return " LDE";
    case 3:
      return " LFR";
    case 4:
      return " LES";
    case 5:
      return " LIT";
    case 6:
      return " LRU";
    case 7:
      return " LNL";
    case 8:
      return " LAR";
    default:
      return "";
  }
}

std::string JoyAssignPath() { return AssignmentPath("JoyAssign"); }
std::string KeyBoardOnlyPath() { return AssignmentPath("KeyBoardOnly"); }

void LoadJoyAssignments() {
  LanguageSuffix = LanguageSuffixFor(CurrentLanguage);
  const std::string joyAssign = JoyAssignPath();
  // Each file read once for all its keys.
  const win::ProfileReadScope joyAssignFile(joyAssign);
  const win::ProfileReadScope buttonsFile(UseJoystick ? joyAssign : KeyBoardOnlyPath());
  for (int i = 0; i < AxisAssignmentCount; ++i) {
    const AxisDefinition& definition = AxisDefinitions[i];
    AxisAssignment& axis = AxisAssignments[i];
    axis.AxisType = ReadNumberEntry<int32_t>(joyAssign, definition.AxisKey, definition.DefaultAxis);
    axis.Joystick =
        ReadNumberEntry<int16_t>(joyAssign, definition.JoystickKey, definition.DefaultJoystick);
    axis.Reverse =
        ReadNumberEntry<int16_t>(joyAssign, definition.ReverseKey, definition.DefaultReverse);
  }
  for (int i = 0; i < ControlAssignmentCount; ++i) {
    const ActionDefinition& action = ActionDefinitions[i];
    ParseAssignment(ControlAssignments[i], action.KeyName, action.DefaultKeyText,
                    action.DefaultButton, action.DefaultJoystick);
  }
  POVJoystick = ReadNumberEntry<int16_t>(joyAssign, "POV Joystick", 1);
}

void ParseAssignment(ControlAssignment& record, const std::string& keyName,
                     const std::string& defaultKeyText, int16_t defaultButton,
                     int16_t defaultJoystick) {
  const std::string path = UseJoystick ? JoyAssignPath() : KeyBoardOnlyPath();
  record.Button = ReadNumberEntry<int16_t>(path, (keyName + " Button").c_str(), defaultButton);
  record.Joystick =
      ReadNumberEntry<int16_t>(path, (keyName + " JoyStick").c_str(), defaultJoystick);
  record.KeyName = ReadProfileValue(AssignmentSection, keyName + " Key", defaultKeyText, path);
  record.KeyCode = KeyTextToCode(record.KeyName);
  TranslateKeyNamesGerman(record);
}

int SplitKeyTokens(std::string_view text, std::array<std::string, MaxKeyTokens>& tokens) {
  const int count = SplitFields(text, '+', tokens);
  for (std::string& token : tokens) token = win::UpperAsciiCase(token);
  return count;
}

int32_t KeyTextToCode(std::string_view text) {
  std::array<std::string, MaxKeyTokens> tokens;
  const int count = SplitKeyTokens(text, tokens);
  int32_t code = 0;
  for (int i = 0; i < count; ++i) {
    const std::string& token = tokens[i];
    if (token == "NUMLK") {
      code += KeyCodeNumLock;
    } else if (token == "SHIFT") {
      code += KeyCodeShift;
    } else if (token == "CTRL") {
      code += KeyCodeCtrl;
    } else if (token == "WINFLAG") {
      code += KeyCodeWindows;
    } else if (token == "NA") {
      code = 0;
    } else {
      code += KeyNameToCode(token);
    }
  }
  return code;
}

int32_t KeyNameToCode(std::string_view name) {
  const std::string upper = win::UpperAsciiCase(name);
  for (const KeyNameEntry& entry : KeyNames) {
    if (entry.Name == upper) return entry.Code;
  }
  return 0;
}

void TranslateKeyNamesGerman(ControlAssignment& record) {
  if (CurrentLanguage != GermanLanguage) return;
  for (const auto& [english, german] : GermanKeyNames) {
    if (record.KeyName == english) {
      record.KeyName = german;
      return;
    }
  }
}

void ValidateAxisAssignment(AxisAssignment& axis) {
  // Joystick numbers come from hand-edited files: anything the enumeration did not list unbinds
  // the axis instead of indexing past the table.
  const int32_t joystick = axis.Joystick;
  const bool listed = joystick >= 1 && joystick <= JoystickCount &&
                      static_cast<size_t>(joystick) < JoystickAxisLimit.size() &&
                      JoystickAxisLimit[joystick] >= 0;
  if (!listed || axis.AxisType > JoystickAxisLimit[joystick]) {
    axis.AxisType = -1;
    axis.Joystick = -1;
  }
}

void CenterUnassignedAxis(AxisAssignment& axis) {
  if (axis.AxisType == -1) axis.Value = 0.5f;
}

void MatchJoystickButton(ControlAssignment& record, int16_t button, int16_t joystick) {
  if (record.Button == button && record.Joystick == joystick) record.Pressed = true;
  CommandInputPending = true;
}

bool IsKeypadKey(int32_t scanCode) {
  return std::find(std::begin(KeypadScanCodes), std::end(KeypadScanCodes), scanCode) !=
         std::end(KeypadScanCodes);
}

void SaveButtonAssignment(const ControlAssignment& record, const std::string& keyName) {
  const std::string path = JoyAssignPath();
  WriteINI(AssignmentSection, keyName + " Button", std::to_string(record.Button), path);
  WriteINI(AssignmentSection, keyName + " Joystick", std::to_string(record.Joystick), path);
}

void SaveJoystickAssignments() {
  const std::string path = JoyAssignPath();
  INIWriteBatch batch(path);
  for (const AxisIndex index : AxisSaveOrder) {
    const AxisDefinition& definition = AxisDefinitions[index];
    const AxisAssignment& axis = AxisAssignments[index];
    WriteINI(AssignmentSection, definition.AxisKey, std::to_string(axis.AxisType), path);
    WriteINI(AssignmentSection, definition.JoystickKey, std::to_string(axis.Joystick), path);
    WriteINI(AssignmentSection, definition.ReverseKey, std::to_string(axis.Reverse), path);
  }
  for (const ActionIndex index : ButtonSaveOrder) {
    SaveButtonAssignment(ControlAssignments[index], ActionDefinitions[index].KeyName);
  }
  WriteINI(AssignmentSection, "POV Joystick", std::to_string(POVJoystick), path);
  batch.Commit();
}
