#include "tests/platform/forms/test_form.h"

forms::FormSlot<TestDialogForm> TestDialog;
std::vector<std::string> Seen;

TestDialogForm::TestDialogForm() : Form("TestDialog") {
  SetCaption("Test Dialog");
  Move(0, 0, 6000, 4500);
  Frame1.SetCaption("Choices");
  OptionA.SetCaption("A");
  OptionA.SetContainer(Frame1);
  OptionA.SetValue(-1);
  OptionB.SetCaption("B");
  OptionB.SetContainer(Frame1);
  Check1.SetCaption("Check");
  Check1.Move(120, 1600, 1500, 300);
  HScroll1.SetMin(0);
  HScroll1.SetMax(100);
  Label1.SetCaption("Label");
  Label1.SetToolTipText("A label");
  Command1.SetCaption("OK");
  Command1.Move(4500, 3600, 1200, 375);
  Command1.SetTag("!keep");
  Names(1).Move(120, 400, 2000, 300);
  Timer1.SetEnabled(false);
  Timer1.SetInterval(100);

  Load = [] { Seen.push_back("Form:Load"); };
  QueryUnload = [](bool&, forms::UnloadMode) { Seen.push_back("Form:QueryUnload"); };
  OptionA.Click = [] { Seen.push_back("OptionA:Click"); };
  OptionB.Click = [] { Seen.push_back("OptionB:Click"); };
  Check1.Click = [] { Seen.push_back("Check1:Click"); };
  HScroll1.Change = [] { Seen.push_back("HScroll1:Change"); };
  HScroll1.Scroll = [] { Seen.push_back("HScroll1:Scroll"); };
  Combo1.Click = [] { Seen.push_back("Combo1:Click"); };
  Combo1.Change = [] { Seen.push_back("Combo1:Change"); };
  List1.Click = [] { Seen.push_back("List1:Click"); };
  Text1.Change = [] { Seen.push_back("Text1:Change"); };
  Command1.Click = [] { Seen.push_back("Command1:Click"); };
  Names.Change = [](int16_t index) {
    Seen.push_back("Names(" + std::to_string(index) + "):Change");
  };
}
