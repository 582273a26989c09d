#include "program/startup/form_translation.h"

#include <array>
#include <functional>

#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"
#include "program/missions/launcher_services.h"
#include "program/startup/program_entry.h"
#include "program/startup/startup_state.h"
#include "program/startup/tralexa.h"

namespace {

// The properties that translation and export can reach on a control; any other listed name is
// passed over.
constexpr std::array<const char*, 5> TranslatableProperties = {"Caption", "Font", "Font.Name",
                                                               "Text", "ToolTipText"};

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

void ExportAppStrings(forms::Form& launcher) {
  Tralexa& tralexa = EnsureTralexa();
  OpenDialogSettings settings;
  settings.filter = "(*.MDB)|*.MDB";
  settings.title = tralexa.GetS(324);
  settings.initialFolder = win::AppPath();
  settings.defaultExtension = "MDB";
  settings.fileName = "*.MDB";
  const OpenDialogResult chosen = ShowOpenDialog(settings, &launcher, -1);
  // Asking to export into no file at all makes no sense: a cancelled dialog ends the command.
  if (chosen.Cancelled || chosen.Count == 0) return;
  const std::string target = chosen.Directory + chosen.Files[1];
  if (!AskYesNo(tralexa.GetS(323, {target}))) return;

  forms::SetMousePointer(forms::MousePointer::Hourglass);
  std::string refusal;
  try {
    tralexa.OpenLanguageDatabase(target, false, AccessLanguageDb);
  } catch (const LocalisationError& error) {
    refusal = error.what();
  }
  forms::SetMousePointer(forms::MousePointer::Default);
  if (!refusal.empty()) {
    forms::MsgBox(refusal, forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation,
                  launcher.Caption());
  }
}
