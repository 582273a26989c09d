// The run-time language change, and the steps it shares with the program's start.
#pragma once

#include <functional>
#include <string>

// The start-up and the language change go on past a failing step: a dialog that cannot load must
// not keep the launcher from showing.
void Step(const std::function<void()>& step);
// The list of languages in the program folder.
std::string LanguageListPath();

// The launcher's Language command: the user picks a language, and every dialog is unloaded and
// loaded again in it; the launcher comes back where it was.
void ChangeLanguage();
