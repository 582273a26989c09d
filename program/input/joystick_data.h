// The command and axis bindings: their defaults, the key texts and key codes, and the assignment
// files that hold them.
//
// Assignment files. Two INI files of the same form lie in the program folder, "\JoyAssign" and
// "\KeyBoardOnly", each followed by the language suffix and ".ini", with one section
// [Assignments]:
//   <axis> Axis / Joystick / Reverse   the physical axis (0..7, -1 none), the 1-based joystick
//                                      (-1 none) and the reverse flag of each of the seven flight
//                                      axes ("Pitch Axis", "Translate Joystick X", ...)
//   POV Joystick                       the joystick whose hat turns the view
//   <command> Key                      the key text of the command, e.g. "CTRL+D", "NUMLK+NPAD5"
//   <command> Button / JoyStick        the 0-based button and the 1-based joystick of the command
// All values are decimal integers except the key texts. Axis entries and "POV Joystick" always
// come from JoyAssign; the command entries from JoyAssign when the joystick is the chosen control,
// else from KeyBoardOnly. Only JoyAssign is written, and only its Button, Joystick and axis
// entries: the Key entries are edited by hand.
//
// Key text: tokens joined by "+", each upper-cased and looked up: "NUMLK" (+1100000, a keypad key
// typed with Num Lock on), "SHIFT" (+1000000), "CTRL" (+100000), "WINFLAG" (+10000), "NA" (drops
// what was summed so far) or a key name whose scan code is added. Blanks belong to the token; at
// most eight tokens count.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "program/input/input_state.h"

// Key-code offsets of the modifiers.
inline constexpr int32_t KeyCodeNumLock = 1100000;
inline constexpr int32_t KeyCodeShift = 1000000;
inline constexpr int32_t KeyCodeCtrl = 100000;
inline constexpr int32_t KeyCodeWindows = 10000;

inline constexpr int MaxKeyTokens = 8;

// How a joystick button bound to a command fires it: once per repeat block of the key timer, for
// as long as it is held (the movement and switch commands and the DSKY keys), or not at all.
enum class ButtonFiring : uint8_t { None, OneShot, Held };

// One command: its index, the name its entries stand under, what it is bound to when a file is
// silent, and how its button fires it.
struct ActionDefinition {
  ActionIndex Index;
  const char* KeyName;
  const char* DefaultKeyText;
  int16_t DefaultButton;
  int16_t DefaultJoystick;
  ButtonFiring Firing;
};

// The 107 commands in the order of ControlAssignments.
extern const std::array<ActionDefinition, ControlAssignmentCount> ActionDefinitions;

// Fills AxisAssignments, POVJoystick and every ControlAssignments record from the assignment files
// of the current language, with the defaults where a file or an entry is missing.
void LoadJoyAssignments();

// Fills one command record from the assignment file chosen by UseJoystick.
void ParseAssignment(ControlAssignment& record, const std::string& keyName,
                     const std::string& defaultKeyText, int16_t defaultButton,
                     int16_t defaultJoystick);

// Cuts a key text into at most eight upper-cased tokens; returns their number.
int SplitKeyTokens(std::string_view text, std::array<std::string, MaxKeyTokens>& tokens);

// The key code of a key text, and the scan code of one key name (0 when the name is unknown).
int32_t KeyTextToCode(std::string_view text);
int32_t KeyNameToCode(std::string_view name);

// Replaces KeyName by its German display form while the language is German.
void TranslateKeyNamesGerman(ControlAssignment& record);

// Unbinds an axis whose joystick or axis the last enumeration did not find.
void ValidateAxisAssignment(AxisAssignment& axis);

// Puts an unbound axis at its centre.
void CenterUnassignedAxis(AxisAssignment& axis);

// Marks the record pressed when it is bound to this button of this joystick; always raises
// CommandInputPending.
void MatchJoystickButton(ControlAssignment& record, int16_t button, int16_t joystick);

// True for the scan codes of the numeric keypad.
bool IsKeypadKey(int32_t scanCode);

// Writes the button binding of one command to the JoyAssign file.
void SaveButtonAssignment(const ControlAssignment& record, const std::string& keyName);

// Writes the axis, button and POV bindings to the JoyAssign file of the current language.
void SaveJoystickAssignments();

// The per-language file suffix of a language number.
std::string LanguageSuffixFor(int32_t language);

// Paths of the two assignment files of the current LanguageSuffix.
std::string JoyAssignPath();
std::string KeyBoardOnlyPath();
