// Every dialog the program can show, opened as the program opens it, in English and in German (the
// texts differ in length), and what a user must find on each: every control shown has a size,
// lies inside its form or frame, covers no other control of its container, and says what it is
// by its caption or by a label beside it; Escape or the dialog's Cancel closes it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/forms/script.h"
#include "platform/win/app_path.h"
#include "platform/win/twips.h"
#include "program/input/joystick_assign.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/pilot_list.h"
#include "program/missions/star_sound_dialogs.h"
#include "program/startup/form_connections.h"
#include "program/startup/lang_chooser.h"
#include "program/startup/startup_state.h"
#include "program/startup/tralexa.h"
#include "program/startup/ui_text.h"
#include "tests/platform/win/temp_folder.h"
#include "tests/program/input_engine.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/saved_variables.h"

struct FormCase {
  const char* name;
  std::function<forms::Form&()> open;
  // Asks the form's slot, not the form: a dialog closed by its user may already be freed.
  std::function<bool()> shown;
};

template <class T>
FormCase CaseOf(const char* name, forms::FormSlot<T>& slot) {
  return {name, [&slot]() -> forms::Form& { return *slot; },
          [&slot] { return slot.Loaded() && slot->Visible(); }};
}

// The dialogs in the order a user meets them: the language chooser, the launcher and the dialogs
// its buttons open.
inline const std::vector<FormCase>& EveryForm() {
  static const std::vector<FormCase> forms = {
      CaseOf("frmChooseLang", frmChooseLang),
      CaseOf("DriverDialog", DriverDialog),
      CaseOf("Advanced", Advanced),
      CaseOf("SoundSettings", SoundSettings),
      CaseOf("StarForm", StarForm),
      CaseOf("PilotList", PilotList),
      CaseOf("JoystickAssign", JoystickAssign),
  };
  return forms;
}

struct Language {
  const char* name;
  int32_t number;
  const char* column;  // nullptr: the native texts
};
inline constexpr Language EveryLanguage[] = {{"English", 1, nullptr}, {"German", 2, "Deutsch"}};

// A program folder with one mission, the shipped assignment files and the language database; the
// engine objects on a recording backend, as the joystick dialog needs them. Each test leaves every
// dialog unloaded and the texts native.
class EveryFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectForms();
    for (const char* file : {"KeyBoardOnly.ini", "JoyAssign.ini", "KeyBoardOnly LDE.ini",
                             "JoyAssign LDE.ini", "MarovinLanguages.txt", "MarovinLang.ini"})
      std::filesystem::copy_file(std::filesystem::path(MAROVIN_DATA) / file, folder_.Path() / file);
    folder_.WriteFile("Missions/Apollo 11/Short Flight P66.sit",
                      "[Mission Description 1]\nScenario Name=Short Flight P66\n"
                      "[Mission Description 2]\nScenario Name=Kurzflug P66\n");
    win::SetAppPath(folder_.Path().string());
    UnloadEveryForm();
  }
  void TearDown() override {
    UnloadEveryForm();
    ProgramTralexa.reset();
    CurrentLanguage = 1;
    LoadTranslatedStrings();
  }

  static void UseLanguage(const Language& language) {
    UnloadEveryForm();
    ProgramTralexa.reset();
    CurrentLanguage = language.number;
    if (language.column != nullptr) {
      Tralexa& tralexa = EnsureTralexa();
      tralexa.sForeignColumnName(language.column);
      ASSERT_TRUE(
          tralexa.OpenLanguageDatabase(MAROVIN_DATA "/MarovinLanguages.txt", true, TextLanguageDb));
    }
    LoadTranslatedStrings();
  }
  // Opens and shows every dialog in each language, hands each to `check`, then calls `done` once
  // a language's dialogs are through. `done` may end the program, which unloads the main display
  // the engine draws in, so each language starts on an engine of its own.
  void ForEveryFormShown(
      const std::function<void(const Language&, const FormCase&, forms::Form&)>& check,
      const std::function<void()>& done) {
    for (const Language& language : EveryLanguage) {
      SCOPED_TRACE(language.name);
      engine_.reset();
      engine_.emplace();
      UseLanguage(language);
      for (const FormCase& each : EveryForm()) {
        SCOPED_TRACE(each.name);
        forms::Form& form = each.open();
        form.Show();
        check(language, each, form);
      }
      done();
    }
  }
  static void UnloadEveryForm() {
    UnloadLauncherDialogs();
    frmChooseLang.Unload();
  }

  TempFolder folder_;

 private:
  SavedVariables saved_ = SavedVariables(CurrentLanguage, MissionName, FlightName, FlightFile,
                                         MissionType, UiText, Busy);
  EngineStartedElsewhere started_;
  std::optional<EngineForInput> engine_{std::in_place};
};

namespace form_layout {

struct Box {
  int32_t left, top, right, bottom;
  bool Overlaps(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
  bool Inside(const Box& outer) const {
    return left >= outer.left && top >= outer.top && right <= outer.right && bottom <= outer.bottom;
  }
};

// The space a frame's caption takes at its top [twips].
inline constexpr int32_t FrameCaptionTwips = 270;

inline Box BoxOf(const forms::Control& c) {
  return {c.Left(), c.Top(), c.Left() + c.Width(), c.Top() + c.Height()};
}

// A user sees a control shown itself and in every container around it.
inline bool Shown(const forms::Control& control) {
  for (const forms::Control* c = &control; c != nullptr; c = c->Container())
    if (!c->Visible()) return false;
  return true;
}

inline std::string CaptionOf(const forms::Control& c) {
  const forms::ControlKind kind = c.Kind();
  if (kind == forms::ControlKind::CommandButton || kind == forms::ControlKind::CheckBox ||
      kind == forms::ControlKind::OptionButton || kind == forms::ControlKind::Frame ||
      kind == forms::ControlKind::Label)
    return c.Caption();
  return {};
}

inline std::string NameOf(const forms::Control& c) {
  return c.Index() == forms::kNoIndex ? c.Name() : c.Name() + "(" + std::to_string(c.Index()) + ")";
}

// A label names a control when it stands above it or to its left with nothing between them but
// controls of the control's own kind (a column or a row of like controls under one heading), or
// when the control is the one control of its frame or form, beside buttons, and that has a
// caption.
inline bool HasLabel(const forms::Form& form, const forms::Control& control) {
  const Box box = BoxOf(control);
  const auto between = [&](const Box& gap) {
    for (const forms::Control* other : form.Controls()) {
      if (other == &control || other->Container() != control.Container() || !Shown(*other) ||
          other->Kind() == forms::ControlKind::Timer)
        continue;
      if (other->Kind() != control.Kind() && BoxOf(*other).Overlaps(gap)) return true;
    }
    return false;
  };
  int32_t siblings = 0;
  for (const forms::Control* other : form.Controls()) {
    if (other == &control || other->Container() != control.Container() || !Shown(*other)) continue;
    if (other->Kind() != forms::ControlKind::Label && other->Kind() != forms::ControlKind::Timer &&
        other->Kind() != forms::ControlKind::CommandButton)
      ++siblings;
    if (other->Kind() != forms::ControlKind::Label || other->Caption().empty()) continue;
    const Box label = BoxOf(*other);
    const bool across = label.left < box.right && box.left < label.right;
    const bool along = label.top < box.bottom && box.top < label.bottom;
    if (across && label.bottom <= box.top &&
        !between({std::max(label.left, box.left), label.bottom, std::min(label.right, box.right),
                  box.top}))
      return true;
    if (along && label.right <= box.left &&
        !between({label.right, std::max(label.top, box.top), box.left,
                  std::min(label.bottom, box.bottom)}))
      return true;
  }
  const forms::Control* frame = control.Container();
  return siblings == 0 && !(frame != nullptr ? CaptionOf(*frame) : form.Caption()).empty();
}

// The model's layout of a loaded form, in twips.
inline void CheckModel(const forms::Form& form) {
  const Box client{0, 0, win::PixelsToTwips(form.ScaleWidth()),
                   win::PixelsToTwips(form.ScaleHeight())};
  const std::vector<forms::Control*>& controls = form.Controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    const forms::Control& c = *controls[i];
    if (c.Kind() == forms::ControlKind::Timer || !Shown(c)) continue;
    const std::string name = form.Name() + "." + NameOf(c);
    EXPECT_GT(c.Width(), 0) << name << " has no width";
    EXPECT_GT(c.Height(), 0) << name << " has no height";
    Box outer = client;
    if (const forms::Control* frame = c.Container()) {
      outer = {0, 0, frame->Width(), frame->Height()};
      if (!CaptionOf(*frame).empty()) outer.top = FrameCaptionTwips;
    }
    EXPECT_TRUE(BoxOf(c).Inside(outer)) << name << " leaves its container";
    for (size_t j = i + 1; j < controls.size(); ++j) {
      const forms::Control& d = *controls[j];
      if (d.Kind() == forms::ControlKind::Timer || d.Container() != c.Container() || !Shown(d))
        continue;
      EXPECT_FALSE(BoxOf(c).Overlaps(BoxOf(d))) << name << " overlaps " << NameOf(d);
    }
    switch (c.Kind()) {
      case forms::ControlKind::CommandButton:
      case forms::ControlKind::Frame:
        EXPECT_FALSE(c.Caption().empty()) << name << " has no caption";
        break;
      case forms::ControlKind::CheckBox:
      case forms::ControlKind::OptionButton:
      case forms::ControlKind::ComboBox:
      case forms::ControlKind::ListBox:
      case forms::ControlKind::TextBox:
      case forms::ControlKind::HScrollBar:
      case forms::ControlKind::VScrollBar:
        EXPECT_TRUE(!CaptionOf(c).empty() || HasLabel(form, c)) << name << " has no label";
        break;
      default:
        break;
    }
  }
}

// The button that Escape presses, or none where Escape closes the form itself.
inline forms::Control* CancelButtonOf(const forms::Form& form) {
  for (forms::Control* c : form.Controls())
    if (c->Kind() == forms::ControlKind::CommandButton && c->Cancel()) return c;
  return nullptr;
}

}  // namespace form_layout
