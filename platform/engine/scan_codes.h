// Keyboard scan codes as the program's key assignments store them: the make codes of the PC
// keyboard's first scan code set, with the keys that send an 0xE0 prefix (the grey cursor block,
// right-hand modifiers, keypad Enter and slash) as 0x80 + their code. A code names a key's place,
// not its letter, and the keypad keys keep their codes whether Num Lock is on or off.
#pragma once

#include <cstdint>

namespace engine::scan {

inline constexpr int32_t kEscape = 1;
inline constexpr int32_t k1 = 2;  // 2 to 0 follow: 3 to 11
inline constexpr int32_t k0 = 11;
inline constexpr int32_t kMinus = 12;
inline constexpr int32_t kEquals = 13;
inline constexpr int32_t kBackspace = 14;
inline constexpr int32_t kTab = 15;
inline constexpr int32_t kQ = 16;
inline constexpr int32_t kW = 17;
inline constexpr int32_t kE = 18;
inline constexpr int32_t kR = 19;
inline constexpr int32_t kT = 20;
inline constexpr int32_t kY = 21;
inline constexpr int32_t kU = 22;
inline constexpr int32_t kI = 23;
inline constexpr int32_t kO = 24;
inline constexpr int32_t kP = 25;
inline constexpr int32_t kLeftBracket = 26;
inline constexpr int32_t kRightBracket = 27;
inline constexpr int32_t kEnter = 28;
inline constexpr int32_t kLeftControl = 29;
inline constexpr int32_t kA = 30;
inline constexpr int32_t kS = 31;
inline constexpr int32_t kD = 32;
inline constexpr int32_t kF = 33;
inline constexpr int32_t kG = 34;
inline constexpr int32_t kH = 35;
inline constexpr int32_t kJ = 36;
inline constexpr int32_t kK = 37;
inline constexpr int32_t kL = 38;
inline constexpr int32_t kSemicolon = 39;
inline constexpr int32_t kApostrophe = 40;
inline constexpr int32_t kGrave = 41;
inline constexpr int32_t kLeftShift = 42;
inline constexpr int32_t kBackslash = 43;
inline constexpr int32_t kZ = 44;
inline constexpr int32_t kX = 45;
inline constexpr int32_t kC = 46;
inline constexpr int32_t kV = 47;
inline constexpr int32_t kB = 48;
inline constexpr int32_t kN = 49;
inline constexpr int32_t kM = 50;
inline constexpr int32_t kComma = 51;
inline constexpr int32_t kPeriod = 52;
inline constexpr int32_t kSlash = 53;
inline constexpr int32_t kRightShift = 54;
inline constexpr int32_t kKeypadMultiply = 55;
inline constexpr int32_t kLeftAlt = 56;
inline constexpr int32_t kSpace = 57;
inline constexpr int32_t kCapsLock = 58;
inline constexpr int32_t kF1 = 59;  // F2 to F10 follow: 60 to 68
inline constexpr int32_t kF10 = 68;
inline constexpr int32_t kNumLock = 69;
inline constexpr int32_t kScrollLock = 70;
inline constexpr int32_t kKeypad7 = 71;
inline constexpr int32_t kKeypad8 = 72;
inline constexpr int32_t kKeypad9 = 73;
inline constexpr int32_t kKeypadMinus = 74;
inline constexpr int32_t kKeypad4 = 75;
inline constexpr int32_t kKeypad5 = 76;
inline constexpr int32_t kKeypad6 = 77;
inline constexpr int32_t kKeypadPlus = 78;
inline constexpr int32_t kKeypad1 = 79;
inline constexpr int32_t kKeypad2 = 80;
inline constexpr int32_t kKeypad3 = 81;
inline constexpr int32_t kKeypad0 = 82;
inline constexpr int32_t kKeypadPeriod = 83;
inline constexpr int32_t kLessThan = 86;  // the extra key beside left Shift on European keyboards
inline constexpr int32_t kF11 = 87;
inline constexpr int32_t kF12 = 88;
inline constexpr int32_t kKeypadEnter = 156;
inline constexpr int32_t kRightControl = 157;
inline constexpr int32_t kKeypadDivide = 181;
inline constexpr int32_t kPrintScreen = 183;
inline constexpr int32_t kRightAlt = 184;
inline constexpr int32_t kPause = 197;
inline constexpr int32_t kHome = 199;
inline constexpr int32_t kUp = 200;
inline constexpr int32_t kPageUp = 201;
inline constexpr int32_t kLeft = 203;
inline constexpr int32_t kRight = 205;
inline constexpr int32_t kEnd = 207;
inline constexpr int32_t kDown = 208;
inline constexpr int32_t kPageDown = 209;
inline constexpr int32_t kInsert = 210;
inline constexpr int32_t kDelete = 211;
inline constexpr int32_t kLeftWindows = 219;
inline constexpr int32_t kRightWindows = 220;
inline constexpr int32_t kApplication = 221;

// One past the largest code.
inline constexpr int32_t kCount = 256;

// The scan code of a Qt key event: its key (a Qt::Key value), whether Qt marked it as a keypad
// key, and its native scan code, which tells the right-hand modifiers from the left-hand ones
// where the window system gives one (an X11 key code). 0 for a key with no scan code.
int32_t FromQtKey(int qtKey, bool keypad, uint32_t nativeScanCode);

}  // namespace engine::scan
