// The program's entry, the run-time language change, and small form and path routines that every
// dialog uses.
#pragma once

#include <string>

namespace forms {
class Form;
}  // namespace forms

// The start: chooses the language (the saved default, else the system locale, else the user's
// pick from a list), fills the interface texts, and loads and shows the launcher without waiting.
// The program then lives in the launcher's events. Each step runs even when one before it failed.
void Main();

// The launcher's Language command: the user picks a language, and every dialog is unloaded and
// loaded again in it; the launcher comes back where it was.
void ChangeLanguage();

// Places the form in the middle of the screen, then keeps it on the screen.
void CenterForm(forms::Form& form);
// Moves the form inside the screen on each axis it fits on; left and top never go negative.
void KeepFormOnScreen(forms::Form& form);
// A Yes/No question, No being the default; true only for Yes.
bool AskYesNo(const std::string& prompt);
// Opens the help of the language in use in the desktop's viewer; where the page is missing or no
// viewer is there to take it, a box says so and names the page.
void ShowHelpPage();

// Joins a folder and a file name with exactly one backslash. An empty folder gives the file name,
// an empty file name the folder as passed.
std::string AddPath(const std::string& folder, const std::string& file);
