#include "program/startup/form_translation.h"

#include <array>
#include <functional>

#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
#include "program/input/joystick_assign_form.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_texts.h"
#include "program/missions/pilot_list_form.h"
#include "program/missions/star_options_form.h"
#include "program/startup/form_helpers.h"
#include "program/startup/native_strings.h"
#include "program/startup/startup_state.h"
#include "program/startup/text_language_db.h"
#include "program/startup/tralexa.h"

namespace {

// The properties that translation and export can reach on a control; any other listed name is
// passed over.
constexpr std::array<const char*, 5> TranslatableProperties = {"Caption", "Font", "Font.Name",
                                                               "Text", "ToolTipText"};

constexpr char TextDatabasesText[] = "Text Language Database";
constexpr char TextsExportedText[] =
    "The interface texts were exported to a text language database:";

// Longest phrase an Access language database stores.
constexpr size_t MaxExportPhraseLength = 255;

bool IsTranslatable(const std::string& name) {
  for (const char* property : TranslatableProperties) {
    if (win::EqualsIgnoringCase(name, property)) return true;
  }
  return false;
}

forms::Control* AsListBox(forms::Object& object) {
  auto* control = dynamic_cast<forms::Control*>(&object);
  return control && control->Kind() == forms::ControlKind::ListBox ? control : nullptr;
}

// The walk that translation and export share: the form itself, then each of its controls in the
// form's own order.
void VisitFormAndControls(forms::Form& form, const std::function<void(forms::Object&)>& visit) {
  visit(form);
  for (forms::Control* control : form.Controls()) visit(*control);
}

}  // namespace

bool Tralexa::ExcludedByTag(const forms::Object& object) const {
  return !tagExclude_.empty() && object.Tag().starts_with(tagExclude_);
}

std::vector<std::pair<std::string, std::string>> Tralexa::ListedTexts(
    const forms::Object& object) const {
  std::vector<std::pair<std::string, std::string>> texts;
  for (const std::string& name : propertyList_) {
    if (!IsTranslatable(name)) continue;
    try {
      std::string text = object.GetProperty(name);
      if (!text.empty()) texts.emplace_back(name, std::move(text));
    } catch (const forms::Error&) {
      // This kind of object has no such property.
    }
  }
  return texts;
}

void Tralexa::TranslateForm(forms::Form& form) {
  if (!testStrWidth_ && !(dbIsOpen_ && readOnly_)) return;
  VisitFormAndControls(form, [this](forms::Object& object) {
    bool translated = false;
    TranslateControlStrings(object, translated);
    TranslateObject(object);
  });
}

void Tralexa::TranslateControlStrings(forms::Object& oControl, bool& bWasTranslated) {
  bWasTranslated = false;
  forms::Control* list = AsListBox(oControl);
  if (!list || ExcludedByTag(oControl)) return;
  for (int16_t i = 0; i < list->ListCount(); ++i) list->SetList(i, GetTranslation(list->List(i)));
}

void Tralexa::TranslateObject(forms::Object& object) {
  if (eSetRightToLeft == RightToLeftOff || eSetRightToLeft == RightToLeftOn) {
    try {
      object.SetRightToLeft(eSetRightToLeft == RightToLeftOn);
    } catch (const forms::Error&) {
      // A control without a reading direction of its own.
    }
  }
  if (ExcludedByTag(object)) return;
  for (const auto& [name, text] : ListedTexts(object)) {
    try {
      object.SetProperty(name, GetTranslation(text));
    } catch (const forms::Error&) {
      // Read-only for this kind of object.
    }
  }
}

void Tralexa::ExportStrings([[maybe_unused]] int32_t lDummyParam) {
  errDescription_ = ExportNeedsAccessDb;
  throw LocalisationError(LocalisationErrorNumber, ExportNeedsAccessDb);
}

void Tralexa::ExportFormStrings(forms::Form& form) {
  // A form is no list box, so its control strings are none: the walk mirrors translation's.
  VisitFormAndControls(form, [this](forms::Object& object) {
    bool exported = false;
    ExportControlStrings(object, exported);
    ExportObjectStrings(object);
  });
}

void Tralexa::ExportControlStrings(forms::Object& oControl, bool& bWasExported) {
  bWasExported = false;
  forms::Control* list = AsListBox(oControl);
  if (!list || ExcludedByTag(oControl)) return;
  try {
    for (int16_t i = 0; i < list->ListCount(); ++i) ExportOneString(list->List(i));
  } catch (const LocalisationError&) {
    // List items are passed over like every other failing statement of this walk.
  }
}

void Tralexa::ExportObjectStrings(forms::Object& object) {
  if (ExcludedByTag(object)) return;
  for (const auto& [name, text] : ListedTexts(object)) ExportOneString(text);
}

void Tralexa::ExportOneString(const std::string& sNative) {
  if (sNative.empty()) return;
  if (sNative.size() > MaxExportPhraseLength) {
    forms::MsgBox("A phrase of " + std::to_string(sNative.size()) + " characters was encountered" +
                  " which is longer than the maximum of " + std::to_string(MaxExportPhraseLength) +
                  " characters. An Access Language Database cannot store longer phrases;" +
                  " a Text Language Database has no such limit.\r\r" +
                  "The following phrase was not exported into the language database:\r\r" +
                  sNative);
    return;
  }
  if (dbIsOpen_) ExportStrings(0);
}

std::vector<std::string> Tralexa::FormStrings(forms::Form& form) const {
  std::vector<std::string> texts;
  VisitFormAndControls(form, [&](forms::Object& object) {
    if (ExcludedByTag(object)) return;
    if (const forms::Control* list = AsListBox(object))
      for (int16_t i = 0; i < list->ListCount(); ++i) texts.push_back(list->List(i));
    for (auto& [name, text] : ListedTexts(object)) texts.push_back(std::move(text));
  });
  return texts;
}

namespace {

// Every native text the program shows: the interface texts, the subsystems' own messages and the
// texts of the dialogs as they are designed (fresh copies, which nothing has translated).
std::vector<std::string> AppNativeTexts(const Tralexa& tralexa) {
  std::vector<std::string> texts;
  for (int32_t id = 1; id <= LastStringId; ++id)
    if (HasNativeString(id)) texts.push_back(NativeString(id, ""));
  texts.insert(texts.end(), MissionsTexts.begin(), MissionsTexts.end());
  const auto take = [&](forms::Form&& design) {
    const std::vector<std::string> shown = tralexa.FormStrings(design);
    texts.insert(texts.end(), shown.begin(), shown.end());
  };
  take(DriverDialogForm());
  take(AdvancedForm());
  take(SoundSettingsForm());
  take(StarOptionsForm());
  take(PilotListForm());
  take(JoystickAssignForm());
  return texts;
}

// A database of the Access kind, which only a name ending in .mdb asks for.
bool IsAccessDatabase(const std::string& target) {
  return win::FoldAsciiCase(target).find(".mdb") != std::string::npos;
}

}  // namespace

void ExportAppStrings(forms::Form& launcher) {
  Tralexa& tralexa = EnsureTralexa();
  OpenDialogSettings settings;
  settings.filter = tralexa.GetTranslation(TextDatabasesText) + " (*.txt)|*.txt|(*.MDB)|*.MDB";
  settings.title = tralexa.GetS(324);
  settings.initialFolder = win::AppPath();
  settings.defaultExtension = "txt";
  settings.fileName = "*.txt";
  settings.newFile = true;
  const OpenDialogResult chosen = ShowOpenDialog(settings, &launcher, -1);
  // Asking to export into no file at all makes no sense: a cancelled dialog ends the command.
  if (chosen.Cancelled || chosen.Count == 0) return;
  const std::string target = chosen.Directory + chosen.Files[1];
  if (!AskYesNo(tralexa.GetS(323, {target}))) return;

  forms::SetMousePointer(forms::MousePointer::Hourglass);
  std::string refusal;
  if (IsAccessDatabase(target)) {
    try {
      tralexa.OpenLanguageDatabase(target, false, AccessLanguageDb);
    } catch (const LocalisationError& error) {
      refusal = error.what();
    }
  } else {
    // The texts with their translations in the language in use: a translator's starting point.
    std::vector<std::pair<std::string, std::string>> phrases;
    for (const std::string& native : AppNativeTexts(tralexa))
      phrases.emplace_back(native, tralexa.GetTranslation(native));
    const std::string column = tralexa.bDbIsOpen() ? tralexa.sForeignColumnName() : "Foreign";
    WriteTextLanguageDb(win::ResolvePath(target), column, phrases, refusal);
  }
  forms::SetMousePointer(forms::MousePointer::Default);
  if (!refusal.empty()) {
    forms::MsgBox(refusal, forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation,
                  launcher.Caption());
    return;
  }
  if (!IsAccessDatabase(target))
    forms::MsgBox(tralexa.GetTranslation(TextsExportedText) + "\r\r" + target,
                  forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Information, launcher.Caption());
}
