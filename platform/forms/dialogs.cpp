#include "platform/forms/dialogs.h"

#include <deque>
#include <filesystem>
#include <span>

#include "platform/forms/registry.h"
#include "platform/forms/script.h"
#include "platform/forms/view.h"
#include "platform/win/app_path.h"
#include "platform/win/twips.h"

namespace forms {

namespace {

struct Scripts {
  std::deque<MsgBoxResult> messageBoxAnswers;
  std::deque<OpenFileResult> openFileAnswers;
  std::vector<MessageBox> shownMessageBoxes;
  std::vector<OpenFileRequest> shownOpenFiles;
  std::vector<std::string> shownHelpPages;
  MousePointer pointer = MousePointer::Default;
};

Scripts& State() {
  static Scripts* scripts = new Scripts;
  return *scripts;
}

}  // namespace

std::string AppTitle = "Marovin";

MsgBoxResult DefaultAnswer(const MessageBox& box) {
  static constexpr MsgBoxResult kOk[] = {MsgBoxResult::Ok};
  static constexpr MsgBoxResult kOkCancel[] = {MsgBoxResult::Ok, MsgBoxResult::Cancel};
  static constexpr MsgBoxResult kYesNo[] = {MsgBoxResult::Yes, MsgBoxResult::No};
  static constexpr MsgBoxResult kYesNoCancel[] = {MsgBoxResult::Yes, MsgBoxResult::No,
                                                  MsgBoxResult::Cancel};
  std::span<const MsgBoxResult> answers;
  switch (box.buttons) {
    case MsgBoxButtons::Ok:
      answers = kOk;
      break;
    case MsgBoxButtons::OkCancel:
      answers = kOkCancel;
      break;
    case MsgBoxButtons::YesNo:
      answers = kYesNo;
      break;
    case MsgBoxButtons::YesNoCancel:
      answers = kYesNoCancel;
      break;
  }
  const auto chosen = static_cast<size_t>(box.defaultButton);
  return chosen < answers.size() ? answers[chosen] : answers.front();
}

MsgBoxResult MsgBox(MessageBox box) {
  if (box.title.empty()) box.title = AppTitle;
  Scripts& state = State();
  state.shownMessageBoxes.push_back(box);
  // A box is modal: it is a handler's wait, during which forms unloaded must stay alive.
  detail::HandlerScope scope;
  if (!state.messageBoxAnswers.empty()) {
    MsgBoxResult answer = state.messageBoxAnswers.front();
    state.messageBoxAnswers.pop_front();
    return answer;
  }
  return CurrentView().ShowMessageBox(box);
}

MsgBoxResult MsgBox(std::string prompt, MsgBoxButtons buttons, MsgBoxIcon icon, std::string title) {
  return MsgBox(MessageBox{std::move(prompt), buttons, icon, 0, std::move(title)});
}

OpenFileResult ShowOpenFile(const OpenFileRequest& request) {
  Scripts& state = State();
  state.shownOpenFiles.push_back(request);
  detail::HandlerScope scope;
  if (!state.openFileAnswers.empty()) {
    OpenFileResult answer = std::move(state.openFileAnswers.front());
    state.openFileAnswers.pop_front();
    return answer;
  }
  return CurrentView().ShowOpenFile(request);
}

void Beep() { CurrentView().Beep(); }

std::string HelpPageOf(const std::string& helpFile) {
  std::filesystem::path page = win::ResolvePath(helpFile);
  page.replace_extension(".html");
  return win::ResolvePath(page.string()).string();
}

bool ShowHelp(const std::string& helpFile) {
  const std::string page = HelpPageOf(helpFile);
  State().shownHelpPages.push_back(page);
  return std::filesystem::is_regular_file(page) && CurrentView().OpenHelpPage(page);
}

void SetMousePointer(MousePointer pointer) {
  if (pointer == State().pointer) return;
  State().pointer = pointer;
  CurrentView().MousePointerChanged(pointer);
}

MousePointer CurrentMousePointer() { return State().pointer; }

ScreenInfo Screen() {
  ScreenInfo screen = CurrentView().QueryScreen();
  screen.bitsPerPixel = ReportedDepth(screen.bitsPerPixel);
  return screen;
}

int32_t ScreenWidthTwips() { return win::PixelsToTwips(Screen().widthPixels); }
int32_t ScreenHeightTwips() { return win::PixelsToTwips(Screen().heightPixels); }

int32_t ReportedDepth(int32_t bitsPerPixel) { return bitsPerPixel == 24 ? 32 : bitsPerPixel; }

namespace detail {

void ForgetScriptedDialogs() {
  SetMousePointer(MousePointer::Default);
  Scripts& state = State();
  state.messageBoxAnswers.clear();
  state.openFileAnswers.clear();
  state.shownMessageBoxes.clear();
  state.shownOpenFiles.clear();
}

}  // namespace detail

namespace script {

void AnswerNextMessageBox(MsgBoxResult answer) { State().messageBoxAnswers.push_back(answer); }

void AnswerNextOpenFile(OpenFileResult answer) {
  State().openFileAnswers.push_back(std::move(answer));
}

const std::vector<MessageBox>& ShownMessageBoxes() { return State().shownMessageBoxes; }

const std::vector<OpenFileRequest>& ShownOpenFileDialogs() { return State().shownOpenFiles; }

const std::vector<std::string>& ShownHelpPages() { return State().shownHelpPages; }

}  // namespace script

}  // namespace forms
