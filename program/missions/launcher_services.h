// The launcher and its dialogs, the INI writer and the open-file dialog, as far as the start-up and
// the language change call on them. These are stand-ins until the launcher's own files replace
// them: the forms carry only what the language change relies on (each translates itself when it
// loads; the launcher's close is ignored while the language changes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms/forms.h"

// Each dialog translates itself as it loads: unloading is what brings it into a new language.
void TranslateOnLoad(forms::Form& dialog);

struct DriverDialogForm : forms::Form {
  DriverDialogForm();
  // The launcher's Export Language command.
  void ExportAppStrings();
  forms::CommandButton Command_Continue{*this, "Command_Continue"};
};
extern forms::FormSlot<DriverDialogForm> DriverDialog;

// A dialog that the language change unloads, with nothing of it needed here but its name.
template <const char* kName>
struct StandInDialog : forms::Form {
  StandInDialog() : Form(kName) {
    Load = [this] { TranslateOnLoad(*this); };
  }
};

inline constexpr char kPilotListName[] = "PilotList";
inline constexpr char kAdvancedName[] = "Advanced";
inline constexpr char kStarFormName[] = "StarForm";
inline constexpr char kSoundSettingsName[] = "SoundSettings";
inline constexpr char kJoystickAssignName[] = "JoystickAssign";
extern forms::FormSlot<StandInDialog<kPilotListName>> PilotList;
extern forms::FormSlot<StandInDialog<kAdvancedName>> Advanced;
extern forms::FormSlot<StandInDialog<kStarFormName>> StarForm;
extern forms::FormSlot<StandInDialog<kSoundSettingsName>> SoundSettings;
extern forms::FormSlot<StandInDialog<kJoystickAssignName>> JoystickAssign;

// Writes one key of an INI file; a failure is not reported.
void WriteINI(const std::string& section, const std::string& key, const std::string& value,
              const std::string& file);

// The open-file dialog's settings: filter as "description|pattern" pairs joined by "|".
struct OpenDialogSettings {
  std::string filter;
  std::string title;
  std::string initialFolder;
  std::string defaultExtension;
  std::string fileName;
};

struct OpenDialogResult {
  bool cancelled = true;
  // The chosen files with their folder.
  std::vector<std::string> files;
};

// Shows the open-file dialog over owner; centred over it when centre is -1, else over the screen.
OpenDialogResult ShowOpenDialog(const OpenDialogSettings& settings, forms::Form* owner, int16_t centre);
