// The control model: loading on first touch, unloading, events fired by values set in code,
// control arrays, property access by name, and what users may do.

#include <gtest/gtest.h>

#include "platform/win/twips.h"
#include "platform/win/window.h"
#include "tests/platform/forms/test_form.h"

using forms::Error;

namespace {

int32_t ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.Number();
  }
  return 0;
}

}  // namespace

using FormLoading = FormsTest;
using ValueEvents = FormsTest;
using ControlArrays = FormsTest;
using PropertiesByName = FormsTest;
using UserActions = FormsTest;
using FormWindow = FormsTest;

TEST_F(FormLoading, FirstTouchLoadsOnceAndDesignValuesFireNothing) {
  EXPECT_FALSE(TestDialog.Loaded());
  EXPECT_EQ(TestDialog->OptionA.Value(), -1);
  EXPECT_TRUE(TestDialog.Loaded());
  TestDialog->Check1.Caption();
  EXPECT_EQ(Seen, std::vector<std::string>{"Form:Load"});
  EXPECT_FALSE(TestDialog->Visible());
}

TEST_F(FormLoading, UnloadDropsStateAndTheNextTouchStartsFromTheDesign) {
  const uintptr_t window = TestDialog->hWnd();
  const uintptr_t field = TestDialog->Text1.hWnd();
  TestDialog->SetCaption("Changed");
  TestDialog->Combo1.AddItem("one");
  ASSERT_TRUE(TestDialog.Unload());
  EXPECT_FALSE(TestDialog.Loaded());
  EXPECT_EQ(TestDialog->Caption(), "Test Dialog");
  EXPECT_EQ(TestDialog->Combo1.ListCount(), 0);
  EXPECT_EQ(Seen, (std::vector<std::string>{"Form:Load", "Form:QueryUnload", "Form:Load"}));
  EXPECT_NE(TestDialog->hWnd(), window) << "the form loaded again is a new window";
  EXPECT_NE(TestDialog->Text1.hWnd(), field);
  EXPECT_NE(TestDialog->Text1.hWnd(), window);
}

TEST_F(FormLoading, QueryUnloadCanRefuseAndUserCloseReportsItsMode) {
  forms::UnloadMode mode = forms::UnloadMode::Code;
  TestDialog->QueryUnload = [&mode](bool& cancel, forms::UnloadMode why) {
    mode = why;
    cancel = true;
  };
  TestDialog->Show();
  TestDialog->UserClose();
  EXPECT_EQ(mode, forms::UnloadMode::UserClose);
  EXPECT_TRUE(TestDialog.Loaded());
  EXPECT_FALSE(TestDialog.Unload());
  EXPECT_EQ(mode, forms::UnloadMode::Code);
}

TEST_F(FormLoading, AFormMayUnloadItselfFromItsOwnHandler) {
  // A language change unloads the dialog whose button asked for it and loads it again.
  TestDialog->Command1.Click = [] {
    TestDialog.Unload();
    TestDialog->SetCaption("Reloaded");
  };
  TestDialog->Show();
  TestDialog->Command1.UserClick();
  EXPECT_EQ(TestDialog->Caption(), "Reloaded");
  EXPECT_FALSE(TestDialog->Visible());
}

TEST_F(ValueEvents, SettingValuesInCodeFiresTheControlsEvent) {
  struct Case {
    std::function<void(TestDialogForm&)> set;
    std::vector<std::string> seen;
  };
  const std::vector<Case> cases = {
      {[](TestDialogForm& f) { f.Check1.SetValue(forms::Control::kChecked); }, {"Check1:Click"}},
      {[](TestDialogForm& f) { f.Check1.SetValue(forms::Control::kUnchecked); }, {}},
      {[](TestDialogForm& f) { f.OptionB.SetValue(-1); }, {"OptionB:Click"}},
      {[](TestDialogForm& f) { f.OptionA.SetValue(-1); }, {"OptionA:Click"}},
      {[](TestDialogForm& f) { f.HScroll1.SetValue(40); }, {"HScroll1:Change"}},
      {[](TestDialogForm& f) { f.HScroll1.SetValue(0); }, {}},
      {[](TestDialogForm& f) { f.Text1.SetText("typed"); }, {"Text1:Change"}},
      {[](TestDialogForm& f) { f.Text1.SetText(""); }, {}},
      {[](TestDialogForm& f) { f.Combo1.SetText("free text"); }, {"Combo1:Change"}},
      {[](TestDialogForm& f) { f.Names(1).SetText("Ann"); }, {"Names(1):Change"}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    TestDialog.Get();
    Seen.clear();
    cases[i].set(*TestDialog);
    EXPECT_EQ(Seen, cases[i].seen) << "case " << i;
    TestDialog.Unload();
  }
}

TEST_F(ValueEvents, SelectingAnOptionClearsTheOthersOfItsContainerOnly) {
  TestDialogForm& f = *TestDialog;
  forms::OptionButton outside(f, "Outside");
  outside.SetValue(-1);
  f.OptionB.SetValue(-1);
  EXPECT_EQ(f.OptionA.Value(), 0);
  EXPECT_EQ(f.OptionB.Value(), -1);
  EXPECT_EQ(outside.Value(), -1);
}

TEST_F(ValueEvents, ListsKeepTheirChoiceAndTextInStep) {
  TestDialogForm& f = *TestDialog;
  for (const char* item : {"800x600x32", "1024x768x32"}) f.Combo1.AddItem(item);
  f.Combo1.SetItemData(f.Combo1.NewIndex(), 7);
  Seen.clear();
  f.Combo1.SetListIndex(1);
  EXPECT_EQ(f.Combo1.Text(), "1024x768x32");
  EXPECT_EQ(f.Combo1.ItemData(1), 7);
  EXPECT_EQ(Seen, std::vector<std::string>{"Combo1:Click"});

  f.Combo1.AddItem("640x480x16", 0);
  EXPECT_EQ(f.Combo1.ListIndex(), 2) << "an item put in before keeps the choice on its entry";
  f.Combo1.SetText("Auto");
  EXPECT_EQ(f.Combo1.ListIndex(), -1) << "a text outside the list chooses nothing";
  f.Combo1.SetText("800x600x32");
  EXPECT_EQ(f.Combo1.ListIndex(), 1);
  f.Combo1.RemoveItem(1);
  EXPECT_EQ(f.Combo1.ListIndex(), -1);
  f.Combo1.Clear();
  EXPECT_EQ(f.Combo1.ListCount(), 0);
  EXPECT_EQ(f.Combo1.Text(), "");

  f.Combo1.AddItem("Adapter 1");
  f.Combo1.AddItem("Adapter 2");
  f.Combo1.SetEditable(false);  // a drop-down list
  f.Combo1.SetText("Adapter 2");
  EXPECT_EQ(f.Combo1.ListIndex(), 1);
  EXPECT_EQ(ErrorNumberOf([&] { f.Combo1.SetText("Auto"); }), Error::kReadOnly);
  EXPECT_EQ(f.Combo1.Text(), "Adapter 2");

  f.List1.AddItem("Roll");
  f.List1.AddItem("Pitch");
  f.List1.SetText("Pitch");
  EXPECT_EQ(f.List1.ListIndex(), 1);
  EXPECT_EQ(ErrorNumberOf([&] { f.List1.SetListIndex(2); }), Error::kInvalidValue);
  EXPECT_EQ(ErrorNumberOf([&] { f.List1.List(-1); }), Error::kInvalidValue);
}

TEST_F(ValueEvents, ScrollBarsKeepTheirRangeInEitherOrder) {
  TestDialogForm& f = *TestDialog;
  f.HScroll1.SetMax(1000);
  f.HScroll1.SetMin(2000);  // a reversed bar: left end 2000, right end 1000
  EXPECT_EQ(f.HScroll1.Value(), 1000) << "the value is pulled into the new range";
  f.HScroll1.SetValue(1500);
  EXPECT_EQ(ErrorNumberOf([&] { f.HScroll1.SetValue(999); }), Error::kInvalidValue);
  EXPECT_EQ(f.HScroll1.Value(), 1500);
  EXPECT_EQ(ErrorNumberOf([&] { f.Check1.SetValue(3); }), Error::kInvalidValue);
}

TEST_F(ControlArrays, ElementsLoadAtRunTimeAsHiddenCopiesAndShareHandlers) {
  TestDialogForm& f = *TestDialog;
  f.Names(1).SetToolTipText("Pilot name");
  for (int16_t i = 2; i <= 10; ++i) {
    f.Names.Load(i);
    f.Names(i).SetTop(f.Names(i - 1).Top() + 400);
  }
  EXPECT_EQ(f.Names.Count(), 10);
  EXPECT_EQ(f.Names.UBound(), 10);
  EXPECT_FALSE(f.Names(10).Visible());
  EXPECT_EQ(f.Names(10).Top(), 400 + 9 * 400);
  EXPECT_EQ(f.Names(10).ToolTipText(), "Pilot name");
  Seen.clear();
  f.Names(7).SetText("Neil");
  EXPECT_EQ(Seen, std::vector<std::string>{"Names(7):Change"});

  EXPECT_EQ(ErrorNumberOf([&] { f.Names.Load(3); }), Error::kAlreadyLoaded);
  EXPECT_EQ(ErrorNumberOf([&] { f.Names(11); }), Error::kNoSuchElement);
  f.Names.Unload(7);
  EXPECT_FALSE(f.Names.Exists(7));
  EXPECT_EQ(f.FindControl("Names", 7), nullptr);
}

TEST_F(ControlArrays, AnElementMayUnloadItselfFromItsHandler) {
  TestDialogForm& f = *TestDialog;
  f.Names.Load(2);
  f.Names.Change = [&f](int16_t index) { f.Names.Unload(index); };
  f.Names(2).SetText("gone");
  EXPECT_FALSE(f.Names.Exists(2));
}

TEST_F(PropertiesByName, AWalkReachesEveryControlInTheFormsOrder) {
  TestDialogForm& f = *TestDialog;
  f.Names.Load(2);
  std::vector<std::string> names;
  for (const forms::Control* control : f.Controls()) {
    names.push_back(control->Name() +
                    (control->Index() == forms::kNoIndex ? "" : std::to_string(control->Index())));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Frame1", "OptionA", "OptionB", "Check1", "HScroll1",
                                             "Combo1", "List1", "Text1", "Label1", "Command1",
                                             "Names1", "Timer1", "Names2"}));
  EXPECT_EQ(f.FindControl("label1"), &f.Label1);
}

TEST_F(PropertiesByName, ReadsAndWritesWhatEachKindHasAndRefusesTheRest) {
  TestDialogForm& f = *TestDialog;
  f.Label1.SetProperty("caption", "Etikett");
  f.Label1.SetProperty("Font", "DejaVu Sans");
  f.Label1.SetProperty("Font.Size", "12.5");
  f.Label1.SetProperty("RightToLeft", "True");
  EXPECT_EQ(f.Label1.Caption(), "Etikett");
  EXPECT_EQ(f.Label1.GetProperty("Font.Name"), "DejaVu Sans");
  EXPECT_FLOAT_EQ(f.Label1.GetFont().Size, 12.5f);
  EXPECT_TRUE(f.Label1.RightToLeft());
  EXPECT_EQ(f.Label1.GetProperty("ToolTipText"), "A label");
  EXPECT_EQ(f.Command1.GetProperty("Tag"), "!keep");
  EXPECT_EQ(f.GetProperty("Caption"), "Test Dialog");
  f.HScroll1.SetProperty("Value", "25");
  EXPECT_EQ(f.HScroll1.Value(), 25);
  EXPECT_EQ(f.OptionA.GetProperty("Value"), "True");

  struct Refusal {
    const forms::Object* object;
    const char* property;
  };
  for (const Refusal& refusal :
       {Refusal{&f.Text1, "Caption"}, Refusal{&f.Label1, "Text"}, Refusal{&f.HScroll1, "Font"},
        Refusal{&f.Timer1, "ToolTipText"}, Refusal{&f.Command1, "NoSuchProperty"}}) {
    EXPECT_EQ(ErrorNumberOf([&] { refusal.object->GetProperty(refusal.property); }),
              Error::kNotSupported)
        << refusal.object->Name() << "." << refusal.property;
  }
  EXPECT_EQ(ErrorNumberOf([&] { f.Text1.SetProperty("Caption", "x"); }), Error::kNotSupported);
  EXPECT_EQ(ErrorNumberOf([&] { f.HScroll1.SetProperty("Value", "lots"); }), Error::kTypeMismatch);
  EXPECT_EQ(f.Text1.Text(), "") << "a refused write changes nothing";
}

TEST_F(UserActions, ReachOnlyControlsAUserCouldTouch) {
  TestDialogForm& f = *TestDialog;
  f.Command1.UserClick();
  EXPECT_EQ(Seen, std::vector<std::string>{"Form:Load"}) << "the form is not shown yet";
  f.Show();
  f.Command1.SetEnabled(false);
  f.Command1.UserClick();
  f.Frame1.SetEnabled(false);
  f.OptionB.UserClick();
  f.Check1.SetVisible(false);
  f.Check1.UserClick();
  EXPECT_EQ(Seen, std::vector<std::string>{"Form:Load"});
  f.Frame1.SetEnabled(true);
  f.OptionB.UserClick();
  f.OptionB.UserClick();  // choosing the chosen option again changes nothing
  f.Text1.UserType("abc");
  f.List1.AddItem("x");
  f.List1.UserChoose(0);
  EXPECT_EQ(Seen, (std::vector<std::string>{"Form:Load", "OptionB:Click", "Text1:Change",
                                            "List1:Click"}));
}

TEST_F(UserActions, EscapePressesTheCancelButtonOrClosesAFormThatEscapeCloses) {
  TestDialogForm& f = *TestDialog;
  f.Show();
  f.UserEscape();
  EXPECT_TRUE(f.Visible()) << "no Cancel button and not closed by Escape";
  f.Command1.SetCancel(true);
  f.UserEscape();
  f.Command1.SetEnabled(false);
  f.UserEscape();
  EXPECT_EQ(Seen, (std::vector<std::string>{"Form:Load", "Command1:Click"}));
  f.Command1.SetCancel(false);
  f.SetEscapeCloses(true);
  f.UserEscape();
  EXPECT_FALSE(TestDialog.Loaded());
  EXPECT_EQ(Seen.back(), "Form:QueryUnload");
}

TEST_F(UserActions, DraggingAScrollBarFiresScrollAndLettingGoFiresChange) {
  TestDialogForm& f = *TestDialog;
  f.Show();
  f.HScroll1.UserScroll(10, true);
  f.HScroll1.UserScroll(20, true);
  f.HScroll1.UserScroll(20, false);
  f.HScroll1.UserScroll(30, false);
  EXPECT_EQ(Seen, (std::vector<std::string>{"Form:Load", "HScroll1:Scroll", "HScroll1:Scroll",
                                            "HScroll1:Change", "HScroll1:Change"}));
  EXPECT_EQ(f.HScroll1.Value(), 30);
}

// A window system without decorations (or with others than the form assumes) reports a frame
// that differs from the form's; a size read back and set again must still give the same inner
// area, or a window saved at the end of a run and placed at the next start shrinks every time.
TEST_F(FormWindow, ASizeReadBackAndSetAgainKeepsTheInnerArea) {
  TestDialogForm& f = *TestDialog;
  f.SetBorderStyle(forms::BorderStyle::Sizable);
  f.Show();
  f.Move(0, 0, win::PixelsToTwips(1011), win::PixelsToTwips(819));
  const int32_t innerWidth = f.ScaleWidth();
  const int32_t innerHeight = f.ScaleHeight();
  for (int start = 0; start < 3; ++start) {
    f.UserMoved(win::PixelsToTwips(134), win::PixelsToTwips(10), innerWidth, innerHeight);
    f.Move(f.Left(), f.Top(), f.Width(), f.Height());
    EXPECT_EQ(f.ScaleWidth(), innerWidth) << "start " << start;
    EXPECT_EQ(f.ScaleHeight(), innerHeight) << "start " << start;
  }
  EXPECT_EQ(f.Left(), win::PixelsToTwips(134));
  EXPECT_EQ(f.Width(), win::PixelsToTwips(1011));
  EXPECT_EQ(f.Height(), win::PixelsToTwips(819));
}

TEST_F(FormWindow, SizeStateAndFocusReachTheFormsEvents) {
  TestDialogForm& f = *TestDialog;
  int resizes = 0;
  f.Resize = [&resizes] { ++resizes; };
  f.Show();
  EXPECT_EQ(resizes, 1) << "a form is sized when first shown";
  f.SetBorderStyle(forms::BorderStyle::None);
  f.Move(0, 0, win::PixelsToTwips(640), win::PixelsToTwips(480));
  EXPECT_EQ(resizes, 2);
  EXPECT_EQ(f.ScaleWidth(), 640);
  EXPECT_EQ(f.ScaleHeight(), 480);
  f.Move(150, 150, f.Width(), f.Height());
  EXPECT_EQ(resizes, 2) << "moving without resizing is no resize";
  f.UserSetWindowState(forms::WindowState::Minimized);
  EXPECT_EQ(resizes, 3);
  EXPECT_EQ(f.GetWindowState(), forms::WindowState::Minimized);
  f.UserMoved(0, 0, 630, 450);
  EXPECT_EQ(resizes, 4);
  EXPECT_EQ(f.ScaleWidth(), 630);

  std::vector<std::string> focus;
  f.Text1.GotFocus = [&focus] { focus.push_back("Text1 in"); };
  f.Text1.LostFocus = [&focus] { focus.push_back("Text1 out"); };
  f.Command1.GotFocus = [&focus] { focus.push_back("Command1 in"); };
  f.Text1.SetFocus();
  f.Command1.UserFocus();
  EXPECT_EQ(focus, (std::vector<std::string>{"Text1 in", "Text1 out", "Command1 in"}));
  EXPECT_NE(f.hWnd(), f.Text1.hWnd());
  // The handle is the window's record, with no native window headless.
  const win::Window* record = win::WindowFromHandle(reinterpret_cast<void*>(f.hWnd()));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->clientWidth, 630);
  EXPECT_EQ(record->clientHeight, 450);
  EXPECT_EQ(record->show, win::ShowState::Minimised);
  EXPECT_EQ(record->nativeWindow, 0u);
  f.SetWindowState(forms::WindowState::Normal);
  EXPECT_EQ(record->show, win::ShowState::Normal) << "the record follows the model";
}
