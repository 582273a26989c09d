// Message boxes, the open-file dialog and the screen, answered by script.

#include <gtest/gtest.h>

#include "platform/forms/script.h"
#include "tests/platform/forms/test_form.h"

using MessageBoxes = FormsTest;
using OpenFileDialog = FormsTest;
using ScreenInfo = FormsTest;

TEST_F(MessageBoxes, ScriptedAnswersComeFirstThenTheDefaultButton) {
  forms::script::AnswerNextMessageBox(forms::MsgBoxResult::No);
  EXPECT_EQ(forms::MsgBox("If this works it will be a miracle.", forms::MsgBoxButtons::YesNo,
                          forms::MsgBoxIcon::Critical, "DirectX Problem"),
            forms::MsgBoxResult::No);
  EXPECT_EQ(forms::MsgBox("Go on?", forms::MsgBoxButtons::YesNo), forms::MsgBoxResult::Yes);
  forms::MessageBox secondDefault{"Sure?", forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::Question,
                                  1, ""};
  EXPECT_EQ(forms::MsgBox(secondDefault), forms::MsgBoxResult::No);
  EXPECT_EQ(forms::MsgBox("No Joystick Connected"), forms::MsgBoxResult::Ok);

  const auto& shown = forms::script::ShownMessageBoxes();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].title, "DirectX Problem");
  EXPECT_EQ(shown[0].icon, forms::MsgBoxIcon::Critical);
  EXPECT_EQ(shown[3].title, forms::AppTitle) << "a box without a title shows the program's";
}

TEST_F(OpenFileDialog, ReturnsTheScriptedChoiceAndOtherwiseCancels) {
  forms::OpenFileRequest request;
  request.owner = &TestDialog.Get();
  request.title = "Open a Language Database";
  request.filters = {{"(*.MDB)", "*.MDB"}};
  request.startFolder = "/opt/marovin";
  forms::script::AnswerNextOpenFile({false, "/data", {"a.wav", "b.wav"}});
  forms::OpenFileResult chosen = forms::ShowOpenFile(request);
  EXPECT_FALSE(chosen.cancelled);
  EXPECT_EQ(chosen.folder, "/data");
  EXPECT_EQ(chosen.names, (std::vector<std::string>{"a.wav", "b.wav"}));
  EXPECT_TRUE(forms::ShowOpenFile(request).cancelled);
  ASSERT_EQ(forms::script::ShownOpenFileDialogs().size(), 2u);
  EXPECT_EQ(forms::script::ShownOpenFileDialogs()[0].startFolder, "/opt/marovin");
}

TEST_F(ScreenInfo, ReportsTwipsAndA24BitDesktopAs32Bits) {
  forms::script::SetHeadlessScreen({1280, 1024, 24, 75});
  EXPECT_EQ(forms::Screen().bitsPerPixel, 32);
  EXPECT_EQ(forms::ScreenWidthTwips(), 1280 * 15);
  EXPECT_EQ(forms::ScreenHeightTwips(), 1024 * 15);
  EXPECT_EQ(forms::ReportedDepth(16), 16);
  forms::Beep();
  EXPECT_EQ(forms::script::BeepCount(), 1);
}
