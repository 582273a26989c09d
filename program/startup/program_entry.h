// The program's entry, the run-time language change and the help page.
#pragma once

// The start: chooses the language (the saved default, else the system locale, else the user's
// pick from a list), fills the interface texts, and loads and shows the launcher without waiting.
// The program then lives in the launcher's events. Each step runs even when one before it failed.
void Main();

// The launcher's Language command: the user picks a language, and every dialog is unloaded and
// loaded again in it; the launcher comes back where it was.
void ChangeLanguage();

// Opens the help of the language in use in the desktop's viewer; where the page is missing or no
// viewer is there to take it, a box says so and names the page.
void ShowHelpPage();
