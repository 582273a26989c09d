#pragma once
// A small dialog declared the way the program declares its own, shared by the model's tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/forms/script.h"

struct TestDialogForm : forms::Form {
  TestDialogForm();
  forms::Frame Frame1{*this, "Frame1"};
  forms::OptionButton OptionA{*this, "OptionA"};
  forms::OptionButton OptionB{*this, "OptionB"};
  forms::CheckBox Check1{*this, "Check1"};
  forms::HScrollBar HScroll1{*this, "HScroll1"};
  forms::ComboBox Combo1{*this, "Combo1"};
  forms::ListBox List1{*this, "List1"};
  forms::TextBox Text1{*this, "Text1"};
  forms::Label Label1{*this, "Label1"};
  forms::CommandButton Command1{*this, "Command1"};
  forms::ControlArray<forms::TextBox> Names{*this, "Names", {1}};
  forms::Timer Timer1{*this, "Timer1"};
};

extern forms::FormSlot<TestDialogForm> TestDialog;
// Every event the form's handlers saw, in order, as "control:event".
extern std::vector<std::string> Seen;

// Each test starts as the program does: no form loaded, nothing seen, queued or recorded.
class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override { Seen.clear(); }
  void TearDown() override { forms::script::StartAfresh(); }
};
