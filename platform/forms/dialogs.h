#pragma once
// Modal message boxes, the open-file dialog, the beep, the mouse pointer and the screen.
//
// Tests answer them by script (platform/forms/script.h).

#include <cstdint>
#include <string>
#include <vector>

namespace forms {

class Form;

enum class MsgBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgBoxIcon { None, Critical, Question, Exclamation, Information };
// The values the original runtime returns, kept because callers compare against them.
enum class MsgBoxResult : int16_t { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageBox {
  std::string prompt;
  MsgBoxButtons buttons = MsgBoxButtons::Ok;
  MsgBoxIcon icon = MsgBoxIcon::None;
  int defaultButton = 0;  // 0 = first button, 1 = second, ...
  std::string title;      // empty: the application's title
};

// The application's title, used by boxes that give none.
extern std::string AppTitle;

MsgBoxResult MsgBox(MessageBox box);
MsgBoxResult MsgBox(std::string prompt, MsgBoxButtons buttons = MsgBoxButtons::Ok,
                    MsgBoxIcon icon = MsgBoxIcon::None, std::string title = {});
// The answer a box gives when the user presses its default button (or Enter).
MsgBoxResult DefaultAnswer(const MessageBox& box);

struct FileFilter {
  std::string description;  // "Sound files (*.wav)"
  std::string patterns;     // "*.wav;*.mp3"
};

struct OpenFileRequest {
  Form* owner = nullptr;  // the dialog is modal over it and centred on it
  std::string title;
  std::vector<FileFilter> filters;
  std::string startFolder;
  std::string initialName;
  std::string defaultExtension;  // without the dot; added to a typed name that has none
  bool multiSelect = false;
  // The file is to be written: one name, which need not exist yet; an existing one is confirmed.
  bool newFile = false;
};

struct OpenFileResult {
  bool cancelled = true;
  std::string folder;              // without a trailing separator
  std::vector<std::string> names;  // chosen file names, without their folder
};

OpenFileResult ShowOpenFile(const OpenFileRequest& request);

void Beep();

// The help page of a compiled help file's name: the HTML page beside it of the same name
// ("help\marovinhelp.chm" is "help/marovinhelp.html"), as a path of this file system.
std::string HelpPageOf(const std::string& helpFile);
// Shows that page in the desktop's viewer; false when the page does not exist or no viewer took
// it.
bool ShowHelp(const std::string& helpFile);

enum class MousePointer { Default, Hourglass };
void SetMousePointer(MousePointer pointer);
MousePointer CurrentMousePointer();

struct ScreenInfo {
  int32_t widthPixels = 1024;
  int32_t heightPixels = 768;
  int32_t bitsPerPixel = 32;  // as reported: see ReportedDepth
  int32_t refreshHz = 60;
};

ScreenInfo Screen();
int32_t ScreenWidthTwips();
int32_t ScreenHeightTwips();
// A 24-bit desktop keeps its pixels in 32 bits, which is what callers that choose a matching
// display mode expect to read.
int32_t ReportedDepth(int32_t bitsPerPixel);

}  // namespace forms
