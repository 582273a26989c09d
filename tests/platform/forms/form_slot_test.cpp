// A slot's connect hook: the owner of a form's handlers wires every form the slot creates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/forms/script.h"

namespace {

struct PlainForm : forms::Form {
  PlainForm() : Form("PlainForm") {}
  forms::CommandButton Command1{*this, "Command1"};
};

class FormSlotTest : public ::testing::Test {
 protected:
  void TearDown() override { forms::script::StartAfresh(); }

  forms::FormSlot<PlainForm> slot;
  std::vector<std::string> seen;
};

TEST_F(FormSlotTest, EveryCreatedFormIsConnectedBeforeItsLoad) {
  int connected = 0;
  slot.Connect([&](PlainForm& form) {
    ++connected;
    form.Load = [&] { seen.push_back("load " + std::to_string(connected)); };
    form.Command1.Click = [&] { seen.push_back("click"); };
  });
  slot->Show();
  slot->Command1.UserClick();
  // A form reloaded after an unload is a new form: it is connected again.
  ASSERT_TRUE(slot.Unload());
  slot->Show();
  slot->Command1.UserClick();
  EXPECT_EQ(seen, (std::vector<std::string>{"load 1", "click", "load 2", "click"}));
}

}  // namespace
