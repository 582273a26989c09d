#include "platform/forms/headless_view.h"

#include <algorithm>

#include "platform/forms/form.h"
#include "platform/forms/registry.h"
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

win::Window& HeadlessView::RecordOf(const void* object) {
  auto found = std::ranges::find(handles_, object, &std::pair<const void*, win::Window*>::first);
  if (found != handles_.end()) return *found->second;
  win::Window& record = records_.emplace_back();
  handles_.emplace_back(object, &record);
  return record;
}

void HeadlessView::Forget(const void* object) {
  std::erase_if(handles_, [object](const auto& entry) { return entry.first == object; });
}

void HeadlessView::FormUnloaded(Form& form) {
  for (Control* control : form.Controls()) Forget(control);
  Forget(&form);
}

void HeadlessView::ForgetInput() {
  actions_.clear();
  beeps_ = 0;
  screen_ = ScreenInfo{};
  helpViewer_ = true;
}

namespace {

// The record follows the model, which is all the headless side knows of a window.
void Describe(Form& form, win::Window& record) {
  record.clientWidth = form.ScaleWidth();
  record.clientHeight = form.ScaleHeight();
  record.show = !form.Visible()                                   ? win::ShowState::Hidden
                : form.GetWindowState() == WindowState::Minimized ? win::ShowState::Minimised
                                                                  : win::ShowState::Normal;
}

}  // namespace

void HeadlessView::Changed(Form& form, Property) {
  auto found = std::ranges::find(handles_, &form, &std::pair<const void*, win::Window*>::first);
  if (found != handles_.end()) Describe(form, *found->second);
}

WindowHandle HeadlessView::Handle(Form& form) {
  win::Window& record = RecordOf(&form);
  Describe(form, record);
  return reinterpret_cast<WindowHandle>(&record);
}

WindowHandle HeadlessView::Handle(Control& control) {
  return reinterpret_cast<WindowHandle>(&RecordOf(&control));
}

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

namespace detail {

void ForgetHeadlessInput() { State().headless.ForgetInput(); }

}  // namespace detail

void InstallView(std::unique_ptr<View> view) { State().installed = std::move(view); }

View& CurrentView() {
  Views& views = State();
  return views.installed ? *views.installed : views.headless;
}

namespace script {

void PostUserAction(std::function<void()> action) { State().headless.Post(std::move(action)); }
int BeepCount() { return State().headless.Beeps(); }
void SetHeadlessScreen(ScreenInfo screen) { State().headless.SetScreen(screen); }
void SetHeadlessHelpViewer(bool present) { State().headless.SetHelpViewer(present); }

}  // namespace script

}  // namespace forms
