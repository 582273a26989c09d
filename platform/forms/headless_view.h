#pragma once
// The view of tests and CI: no window at all. User actions come from the script
// (platform/forms/script.h); an idle wait jumps a virtual clock ahead.

#include <deque>
#include <functional>

#include "platform/forms/view.h"
#include "platform/win/window.h"

namespace forms {

class HeadlessView final : public View {
 public:
  void FormLoaded(Form&) override {}
  void FormUnloaded(Form& form) override;
  void ControlAdded(Control&) override {}
  void ControlRemoved(Control& control) override { Forget(&control); }
  void Changed(Form& form, Property) override;
  void Changed(Control&, Property) override {}
  WindowHandle Handle(Form& form) override;
  WindowHandle Handle(Control& control) override;
  void ProcessEvents() override;
  void WaitForEvents(std::optional<Duration> timeout) override;
  MsgBoxResult ShowMessageBox(const MessageBox& box) override { return DefaultAnswer(box); }
  OpenFileResult ShowOpenFile(const OpenFileRequest&) override { return {}; }
  ScreenInfo QueryScreen() override { return screen_; }
  void Beep() override { ++beeps_; }
  void MousePointerChanged(MousePointer) override {}
  bool OpenHelpPage(const std::string&) override { return helpViewer_; }

  void Post(std::function<void()> action) { actions_.push_back(std::move(action)); }
  int Beeps() const { return beeps_; }
  void SetScreen(ScreenInfo screen) { screen_ = screen; }
  void SetHelpViewer(bool present) { helpViewer_ = present; }
  // Drops the posted actions and sets the beep count, the screen and the help viewer back.
  void ForgetInput();

 private:
  win::Window& RecordOf(const void* object);
  void Forget(const void* object);

  std::deque<std::function<void()>> actions_;
  // A handle is the address of its window's record. Records are never freed, so a window unloaded
  // and loaded again gets a new handle, and a stale handle still reads as a window.
  std::vector<std::pair<const void*, win::Window*>> handles_;
  std::deque<win::Window> records_;
  ScreenInfo screen_;
  int beeps_ = 0;
  bool helpViewer_ = true;
};

}  // namespace forms
