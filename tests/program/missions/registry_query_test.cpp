#include "program/missions/registry_query.h"

#include <gtest/gtest.h>

#include "platform/forms/script.h"
#include "program/missions/launcher_services.h"
#include "program/startup/form_helpers.h"
#include "tests/program/launcher_dialogs.h"

namespace {

constexpr char DirectXKey[] = "SOFTWARE\\Microsoft\\DirectX";

class RegistryQuery : public ::testing::Test {
 protected:
  void TearDown() override {
    win::SetRegistryStringForTesting(win::RegistryRoot::LocalMachine, DirectXKey, "Version",
                                     win::GraphicsRuntimeVersion);
    forms::script::StartAfresh();
  }
  static void SetVersion(std::string_view version) {
    win::SetRegistryStringForTesting(win::RegistryRoot::LocalMachine, DirectXKey, "Version",
                                     version);
  }
};

TEST_F(RegistryQuery, ReadsTextsWithoutTheirTerminatingZero) {
  SetVersion(std::string_view("4.09.00.0904\0", 13));
  EXPECT_EQ(GetRegistryValue(win::RegistryRoot::LocalMachine, DirectXKey, "Version"),
            "4.09.00.0904");
  SetVersion("4.09.00.0904");
  EXPECT_EQ(GetRegistryValue(win::RegistryRoot::LocalMachine, DirectXKey, "Version"),
            "4.09.00.0904");
  EXPECT_EQ(GetRegistryValue(win::RegistryRoot::LocalMachine, "SOFTWARE\\Nothing", "Version"), "");
}

TEST_F(RegistryQuery, ARecentRuntimePassesSilently) {
  const MessageBoxesShown shown;
  CheckDirectXVersion();
  SetVersion("4.10.00.0000");
  CheckDirectXVersion();
  EXPECT_TRUE(shown().empty());
}

TEST_F(RegistryQuery, AnOldRuntimeAsksAndGoesOnOnYes) {
  SetVersion("4.07.00.0700");
  const MessageBoxesShown shown;
  forms::script::AnswerNextMessageBox(forms::MsgBoxResult::Yes);
  CheckDirectXVersion();
  ASSERT_EQ(shown().size(), 2u);
  const forms::MessageBox& question = shown()[0];
  EXPECT_EQ(question.prompt,
            "DirectX 7 Ver. 4.07.00.0700 detected.\r\n \r\nYou must have DirectX 8 or 8.1.\r"
            "Try to continue anyway?");
  EXPECT_EQ(question.title, "DirectX Problem");
  EXPECT_EQ(question.buttons, forms::MsgBoxButtons::YesNo);
  EXPECT_EQ(question.icon, forms::MsgBoxIcon::Critical);
  EXPECT_EQ(question.defaultButton, 1);
  EXPECT_EQ(shown()[1].prompt, "If this works it will be a miracle.");
}

TEST_F(RegistryQuery, AMissingOrOldRuntimeEndsTheProgramOnNo) {
  for (std::string_view version : {"", "4.07.00.0700", "garbage"}) {
    SetVersion(version);
    EXPECT_THROW(CheckDirectXVersion(), forms::ProgramEnded) << version;
    forms::script::StartAfresh();
  }
}

TEST(OpenDialog, GivesOneFileWithItsFolderAndSeveralWithout) {
  OpenDialogSettings settings;
  settings.filter = "Sounds (*.wav)|*.wav|All|*.*";
  forms::script::AnswerNextOpenFile({false, "/data", {"a.wav"}});
  OpenDialogResult one = ShowOpenDialog(settings, nullptr, -1);
  EXPECT_FALSE(one.Cancelled);
  EXPECT_EQ(one.Count, 1);
  EXPECT_EQ(one.Directory, "/data/");
  EXPECT_EQ(one.Files, (std::vector<std::string>{"", "a.wav"}));
  const forms::OpenFileRequest& request = forms::script::ShownOpenFileDialogs().back();
  EXPECT_TRUE(request.multiSelect);
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[1].patterns, "*.*");

  forms::script::AnswerNextOpenFile({false, "/data", {"a.wav", "b.wav"}});
  OpenDialogResult two = ShowOpenDialog(settings, nullptr, -1);
  EXPECT_EQ(two.Count, 2);
  EXPECT_EQ(two.Directory, "/data");
  EXPECT_EQ(two.Files, (std::vector<std::string>{"", "a.wav", "b.wav"}));

  OpenDialogResult cancelled = ShowOpenDialog(settings, nullptr, -1);
  EXPECT_TRUE(cancelled.Cancelled);
  EXPECT_EQ(cancelled.Count, 0);
  EXPECT_EQ(cancelled.Directory, "");
  forms::script::StartAfresh();
}

}  // namespace
