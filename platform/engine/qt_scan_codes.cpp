#include <Qt>
#include <unordered_map>

#include "platform/engine/scan_codes.h"

namespace engine::scan {

namespace {

// X11 key codes are the Linux input codes plus 8; the right-hand modifiers there.
constexpr uint32_t kX11Offset = 8;
constexpr uint32_t kX11RightShift = 54 + kX11Offset;
constexpr uint32_t kX11RightControl = 97 + kX11Offset;
constexpr uint32_t kX11RightAlt = 100 + kX11Offset;
constexpr uint32_t kX11RightMeta = 126 + kX11Offset;

// Keys off the keypad. Letters and digits are those of the key's US place, which is what Qt
// reports for a Latin layout.
const std::unordered_map<int, int32_t>& MainKeys() {
  static const std::unordered_map<int, int32_t> table = {{Qt::Key_Escape, kEscape},
                                                         {Qt::Key_1, 2},
                                                         {Qt::Key_Exclam, 2},
                                                         {Qt::Key_2, 3},
                                                         {Qt::Key_At, 3},
                                                         {Qt::Key_3, 4},
                                                         {Qt::Key_NumberSign, 4},
                                                         {Qt::Key_4, 5},
                                                         {Qt::Key_Dollar, 5},
                                                         {Qt::Key_5, 6},
                                                         {Qt::Key_Percent, 6},
                                                         {Qt::Key_6, 7},
                                                         {Qt::Key_AsciiCircum, 7},
                                                         {Qt::Key_7, 8},
                                                         {Qt::Key_Ampersand, 8},
                                                         {Qt::Key_8, 9},
                                                         {Qt::Key_Asterisk, 9},
                                                         {Qt::Key_9, 10},
                                                         {Qt::Key_ParenLeft, 10},
                                                         {Qt::Key_0, k0},
                                                         {Qt::Key_ParenRight, k0},
                                                         {Qt::Key_Minus, kMinus},
                                                         {Qt::Key_Underscore, kMinus},
                                                         {Qt::Key_Equal, kEquals},
                                                         {Qt::Key_Plus, kEquals},
                                                         {Qt::Key_Backspace, kBackspace},
                                                         {Qt::Key_Tab, kTab},
                                                         {Qt::Key_Backtab, kTab},
                                                         {Qt::Key_Q, kQ},
                                                         {Qt::Key_W, kW},
                                                         {Qt::Key_E, kE},
                                                         {Qt::Key_R, kR},
                                                         {Qt::Key_T, kT},
                                                         {Qt::Key_Y, kY},
                                                         {Qt::Key_U, kU},
                                                         {Qt::Key_I, kI},
                                                         {Qt::Key_O, kO},
                                                         {Qt::Key_P, kP},
                                                         {Qt::Key_BracketLeft, kLeftBracket},
                                                         {Qt::Key_BraceLeft, kLeftBracket},
                                                         {Qt::Key_BracketRight, kRightBracket},
                                                         {Qt::Key_BraceRight, kRightBracket},
                                                         {Qt::Key_Return, kEnter},
                                                         {Qt::Key_Control, kLeftControl},
                                                         {Qt::Key_A, kA},
                                                         {Qt::Key_S, kS},
                                                         {Qt::Key_D, kD},
                                                         {Qt::Key_F, kF},
                                                         {Qt::Key_G, kG},
                                                         {Qt::Key_H, kH},
                                                         {Qt::Key_J, kJ},
                                                         {Qt::Key_K, kK},
                                                         {Qt::Key_L, kL},
                                                         {Qt::Key_Semicolon, kSemicolon},
                                                         {Qt::Key_Colon, kSemicolon},
                                                         {Qt::Key_Apostrophe, kApostrophe},
                                                         {Qt::Key_QuoteDbl, kApostrophe},
                                                         {Qt::Key_QuoteLeft, kGrave},
                                                         {Qt::Key_AsciiTilde, kGrave},
                                                         {Qt::Key_Shift, kLeftShift},
                                                         {Qt::Key_Backslash, kBackslash},
                                                         {Qt::Key_Bar, kBackslash},
                                                         {Qt::Key_Z, kZ},
                                                         {Qt::Key_X, kX},
                                                         {Qt::Key_C, kC},
                                                         {Qt::Key_V, kV},
                                                         {Qt::Key_B, kB},
                                                         {Qt::Key_N, kN},
                                                         {Qt::Key_M, kM},
                                                         {Qt::Key_Comma, kComma},
                                                         {Qt::Key_Less, kComma},
                                                         {Qt::Key_Period, kPeriod},
                                                         {Qt::Key_Greater, kPeriod},
                                                         {Qt::Key_Slash, kSlash},
                                                         {Qt::Key_Question, kSlash},
                                                         {Qt::Key_Alt, kLeftAlt},
                                                         {Qt::Key_Space, kSpace},
                                                         {Qt::Key_CapsLock, kCapsLock},
                                                         {Qt::Key_F1, kF1},
                                                         {Qt::Key_F2, 60},
                                                         {Qt::Key_F3, 61},
                                                         {Qt::Key_F4, 62},
                                                         {Qt::Key_F5, 63},
                                                         {Qt::Key_F6, 64},
                                                         {Qt::Key_F7, 65},
                                                         {Qt::Key_F8, 66},
                                                         {Qt::Key_F9, 67},
                                                         {Qt::Key_F10, kF10},
                                                         {Qt::Key_NumLock, kNumLock},
                                                         {Qt::Key_ScrollLock, kScrollLock},
                                                         {Qt::Key_F11, kF11},
                                                         {Qt::Key_F12, kF12},
                                                         {Qt::Key_AltGr, kRightAlt},
                                                         {Qt::Key_Print, kPrintScreen},
                                                         {Qt::Key_SysReq, kPrintScreen},
                                                         {Qt::Key_Pause, kPause},
                                                         {Qt::Key_Home, kHome},
                                                         {Qt::Key_Up, kUp},
                                                         {Qt::Key_PageUp, kPageUp},
                                                         {Qt::Key_Left, kLeft},
                                                         {Qt::Key_Right, kRight},
                                                         {Qt::Key_End, kEnd},
                                                         {Qt::Key_Down, kDown},
                                                         {Qt::Key_PageDown, kPageDown},
                                                         {Qt::Key_Insert, kInsert},
                                                         {Qt::Key_Delete, kDelete},
                                                         {Qt::Key_Meta, kLeftWindows},
                                                         {Qt::Key_Super_L, kLeftWindows},
                                                         {Qt::Key_Super_R, kRightWindows},
                                                         {Qt::Key_Menu, kApplication}};
  return table;
}

// Keypad keys, by what they send with Num Lock on and with it off.
const std::unordered_map<int, int32_t>& KeypadKeys() {
  static const std::unordered_map<int, int32_t> table = {
      {Qt::Key_7, kKeypad7},           {Qt::Key_Home, kKeypad7},
      {Qt::Key_8, kKeypad8},           {Qt::Key_Up, kKeypad8},
      {Qt::Key_9, kKeypad9},           {Qt::Key_PageUp, kKeypad9},
      {Qt::Key_Minus, kKeypadMinus},   {Qt::Key_4, kKeypad4},
      {Qt::Key_Left, kKeypad4},        {Qt::Key_5, kKeypad5},
      {Qt::Key_Clear, kKeypad5},       {Qt::Key_6, kKeypad6},
      {Qt::Key_Right, kKeypad6},       {Qt::Key_Plus, kKeypadPlus},
      {Qt::Key_1, kKeypad1},           {Qt::Key_End, kKeypad1},
      {Qt::Key_2, kKeypad2},           {Qt::Key_Down, kKeypad2},
      {Qt::Key_3, kKeypad3},           {Qt::Key_PageDown, kKeypad3},
      {Qt::Key_0, kKeypad0},           {Qt::Key_Insert, kKeypad0},
      {Qt::Key_Period, kKeypadPeriod}, {Qt::Key_Comma, kKeypadPeriod},
      {Qt::Key_Delete, kKeypadPeriod}, {Qt::Key_Asterisk, kKeypadMultiply},
      {Qt::Key_Slash, kKeypadDivide},  {Qt::Key_Enter, kKeypadEnter},
      {Qt::Key_NumLock, kNumLock}};
  return table;
}

}  // namespace

int32_t FromQtKey(int qtKey, bool keypad, uint32_t nativeScanCode) {
  if (keypad) {
    const auto found = KeypadKeys().find(qtKey);
    if (found != KeypadKeys().end()) return found->second;
  }
  switch (nativeScanCode) {
    case kX11RightShift:
      return kRightShift;
    case kX11RightControl:
      return kRightControl;
    case kX11RightAlt:
      return kRightAlt;
    case kX11RightMeta:
      return kRightWindows;
    default:
      break;
  }
  // Enter is keypad Enter even when Qt leaves the keypad mark off.
  if (qtKey == Qt::Key_Enter) return kKeypadEnter;
  const auto found = MainKeys().find(qtKey);
  return found == MainKeys().end() ? 0 : found->second;
}

}  // namespace engine::scan
