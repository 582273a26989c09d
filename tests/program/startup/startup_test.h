// A test of the start-up and the language change. Main runs once in the program's life, so each
// test begins where the program does before Main (no language chosen, no texts, no localisation
// component, no dialog loaded), and gives the process back so.
#pragma once

#include <gtest/gtest.h>

#include <span>

#include "platform/forms/dialogs.h"
#include "platform/forms/script.h"
#include "program/startup/form_connections.h"
#include "program/startup/lang_chooser.h"
#include "program/startup/startup_state.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/saved_variables.h"

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { ConnectForms(); }
  void TearDown() override {
    UnloadLauncherDialogs();
    frmChooseLang.Unload();
    ProgramTralexa.reset();
    forms::script::SetHeadlessScreen(screen_);
  }

  // The message boxes this test showed.
  std::span<const forms::MessageBox> MessageBoxes() const { return shown_(); }

 private:
  SavedVariables saved_ = SavedVariables(CurrentLanguage, HelpFilePath, UiText);
  MessageBoxesShown shown_;
  EngineStartedElsewhere engine_;
  const forms::ScreenInfo screen_ = forms::Screen();
};
