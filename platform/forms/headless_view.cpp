#include "platform/forms/headless_view.h"

#include <algorithm>

#include "platform/forms/script.h"

namespace forms {

namespace {

struct Views {
  HeadlessView headless;
  std::unique_ptr<View> installed;
};

Views& State() {
  static Views* views = new Views;
  return *views;
}

}  // namespace

WindowHandle HeadlessView::HandleOf(const void* object) {
  // Stable, distinct and never zero, like the handles of a real window system.
  auto found = std::ranges::find(handles_, object, &std::pair<const void*, WindowHandle>::first);
  if (found != handles_.end()) return found->second;
  const WindowHandle handle = 0x10000 + 4 * handles_.size();
  handles_.emplace_back(object, handle);
  return handle;
}

WindowHandle HeadlessView::Handle(Form& form) { return HandleOf(&form); }
WindowHandle HeadlessView::Handle(Control& control) { return HandleOf(&control); }

void HeadlessView::ProcessEvents() {
  // Only the actions queued so far: an action that posts another leaves it for the next pump.
  for (size_t pending = actions_.size(); pending > 0 && !actions_.empty(); --pending) {
    std::function<void()> action = std::move(actions_.front());
    actions_.pop_front();
    detail::DispatchUserAction(action);
  }
}

void HeadlessView::WaitForEvents(std::optional<Duration> timeout) {
  if (!actions_.empty()) return;
  if (!timeout) {
    throw Error(Error::kNoInput, "Waiting for input that no script will give and no timer runs");
  }
  win::Wait(*timeout);
}

void InstallView(std::unique_ptr<View> view) { State().installed = std::move(view); }

View& CurrentView() {
  Views& views = State();
  return views.installed ? *views.installed : views.headless;
}

namespace script {

void PostUserAction(std::function<void()> action) { State().headless.Post(std::move(action)); }
int BeepCount() { return State().headless.Beeps(); }
void SetHeadlessScreen(ScreenInfo screen) { State().headless.SetScreen(screen); }

}  // namespace script

}  // namespace forms
