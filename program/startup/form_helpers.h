// Small form, message-box and path routines that every dialog uses, and the open-file dialog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/forms.h"

// Places the form in the middle of the screen, then keeps it on the screen.
void CenterForm(forms::Form& form);
// Moves the form inside the screen on each axis it fits on; left and top never go negative.
void KeepFormOnScreen(forms::Form& form);
// A Yes/No question, No being the default; true only for Yes.
bool AskYesNo(const std::string& prompt);

// Joins a folder and a file name with exactly one backslash. An empty folder gives the file name,
// an empty file name the folder as passed.
std::string AddPath(const std::string& folder, const std::string& file);

// The open-file dialog's settings: filter as "description|pattern" pairs joined by "|".
struct OpenDialogSettings {
  std::string filter;
  std::string title;
  std::string initialFolder;
  std::string defaultExtension;
  std::string fileName;  // proposed; a pattern such as "*.MDB" only names the kind of file
  bool newFile = false;  // the file is to be written and may not exist yet
};

// What the open-file dialog chose. One file: Directory ends with a separator, so that Directory +
// Files[1] is its path. Several: Directory has no trailing separator. Files is indexed from 1
// (element 0 is unused and empty).
struct OpenDialogResult {
  int16_t Count = 0;
  std::vector<std::string> Files{std::string()};
  std::string Directory;
  bool Cancelled = true;
};

// Shows the open-file dialog over owner with multiple selection, centred over the owner when
// centre is -1, else over the screen. Each call starts afresh from the settings given.
OpenDialogResult ShowOpenDialog(const OpenDialogSettings& settings, forms::Form* owner,
                                int16_t centre);
