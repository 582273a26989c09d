#include "platform/forms/form.h"

#include <algorithm>
#include <utility>

#include "platform/forms/registry.h"
#include "platform/forms/view.h"
#include "platform/win/ascii_case.h"
#include "platform/win/twips.h"

namespace forms {

using win::EqualsIgnoringCase;

namespace {

// The window frame around a form's inner area, as the headless side assumes it; a real view
// reports the true inner size through UserMoved.
constexpr int32_t kSizableBorderPixels = 4;   // [pixels] each side
constexpr int32_t kFixedBorderPixels = 3;     // [pixels] each side
constexpr int32_t kTitleBarPixels = 26;       // [pixels]
constexpr int32_t kToolTitleBarPixels = 20;   // [pixels]
constexpr int32_t kDefaultFormWidth = 4800;   // [twips]
constexpr int32_t kDefaultFormHeight = 3600;  // [twips]

}  // namespace

template <class Handler, class... Args>
void Form::Raise(Handler Form::*handler, Args&&... args) {
  if (declaring_ || unloaded_) return;
  detail::HandlerScope scope;
  if (auto copy = this->*handler) copy(std::forward<Args>(args)...);
}

template <class Handler, class... Args>
void Form::RaiseInput(Handler InputEvents<>::*handler, Args&&... args) {
  if (declaring_ || unloaded_) return;
  detail::HandlerScope scope;
  if (auto copy = this->*handler) copy(std::forward<Args>(args)...);
}

Form::Form(std::string name) : Object(std::move(name)) {
  StoreGeometry(0, 0, kDefaultFormWidth, kDefaultFormHeight);
  StoreInnerSize();
  detail::RegisterForm(*this);
}

Form::~Form() { detail::UnregisterForm(*this); }

bool Form::Supports(Has) const { return true; }

void Form::Changed(Property what) {
  if (what == Property::Geometry || what == Property::BorderStyle) StoreInnerSize();
  if (!declaring_ && !unloaded_) CurrentView().Changed(*this, what);
}

void Form::NotifyView(Control& control, Property what) {
  if (!declaring_ && !unloaded_) CurrentView().Changed(control, what);
}

std::pair<int32_t, int32_t> Form::FramePixels() const {
  int32_t border = 0;
  int32_t title = 0;
  switch (borderStyle_) {
    case BorderStyle::None:
      break;
    case BorderStyle::Sizable:
      border = kSizableBorderPixels;
      title = kTitleBarPixels;
      break;
    case BorderStyle::SizableToolWindow:
      border = kSizableBorderPixels;
      title = kToolTitleBarPixels;
      break;
    case BorderStyle::FixedToolWindow:
      border = kFixedBorderPixels;
      title = kToolTitleBarPixels;
      break;
    case BorderStyle::FixedSingle:
    case BorderStyle::FixedDialog:
      border = kFixedBorderPixels;
      title = kTitleBarPixels;
      break;
  }
  return {2 * border, 2 * border + title};
}

void Form::StoreInnerSize() {
  const auto [across, down] = FramePixels();
  innerWidth_ = std::max(0, win::TwipsToPixels(width_) - across);
  innerHeight_ = std::max(0, win::TwipsToPixels(height_) - down);
}

void Form::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
  const bool resized = width != width_ || height != height_;
  Object::Move(left, top, width, height);
  if (resized) Raise(&Form::Resize);
}

Control* Form::FindControl(std::string_view name, int16_t index) const {
  auto found = std::ranges::find_if(controls_, [&](const Control* control) {
    return control->Index() == index && EqualsIgnoringCase(control->Name(), name);
  });
  return found == controls_.end() ? nullptr : *found;
}

void Form::Show(bool modal) {
  if (unloaded_) throw Error(Error::kNoSuchElement, name_ + " is unloaded");
  if (!visible_) {
    visible_ = true;
    modal_ = modal;
    Changed(Property::Visible);
    if (!shownOnce_) {
      shownOnce_ = true;
      Raise(&Form::Resize);
    }
  }
  if (!modal) return;
  // Counted as a handler, so that this form outlives its own unload until the wait returns.
  detail::HandlerScope scope;
  detail::PumpUntil([this] { return !visible_ || unloaded_ || ProgramHasEnded(); });
  modal_ = false;
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  modal_ = false;
  Changed(Property::Visible);
}

void Form::SetWindowState(WindowState state) {
  if (state == windowState_) return;
  windowState_ = state;
  Changed(Property::WindowState);
  Raise(&Form::Resize);
}

void Form::SetBorderStyle(BorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Changed(Property::BorderStyle);
}

int32_t Form::ScaleWidth() const { return innerWidth_; }
int32_t Form::ScaleHeight() const { return innerHeight_; }

uintptr_t Form::hWnd() { return CurrentView().Handle(*this); }

bool Form::WarpPointer(int32_t x, int32_t y) {
  return !unloaded_ && CurrentView().WarpPointer(*this, x, y);
}

void Form::SetPointerHidden(bool hidden) {
  pointerHidden_ = hidden;
  if (!unloaded_) CurrentView().PointerHiddenChanged(*this);
}

void Form::SetFullScreen(bool fullScreen) {
  fullScreen_ = fullScreen;
  if (!unloaded_) CurrentView().FullScreenChanged(*this);
}

void Form::SetFocus() {
  if (!visible_ || !enabled_) throw Error(Error::kInvalidValue, "Can't move focus to " + name_);
  UserFocus(true);
}

bool Form::UnloadForm(UnloadMode mode) {
  if (unloaded_) return true;
  bool cancel = false;
  Raise(&Form::QueryUnload, cancel, mode);
  if (cancel) return false;
  Raise(&Form::Unload);
  Drop();
  return true;
}

void Form::DropWithoutEvents() { Drop(); }

void Form::Drop() {
  if (unloaded_) return;
  unloaded_ = true;
  visible_ = false;
  modal_ = false;
  for (Control* control : controls_) {
    if (control->Kind() == ControlKind::Timer) detail::UnregisterTimer(*control);
  }
  detail::UnregisterForm(*this);
  CurrentView().FormUnloaded(*this);
  if (slot_) detail::Bury(slot_->Release());
}

std::string Form::GetProperty(std::string_view name) const {
  if (EqualsIgnoringCase(name, "Visible")) return FlagText(visible_);
  return Object::GetProperty(name);
}

void Form::SetProperty(std::string_view name, std::string_view value) {
  if (EqualsIgnoringCase(name, "Visible")) {
    ParseFlag(value) ? Show() : Hide();
    return;
  }
  Object::SetProperty(name, value);
}

void Form::UserClose() {
  if (!unloaded_) UnloadForm(UnloadMode::UserClose);
}

void Form::UserEscape() {
  if (unloaded_ || !visible_ || !enabled_ || renderSurface_) return;
  for (Control* control : controls_) {
    if (control->Kind() == ControlKind::CommandButton && control->Cancel()) {
      control->UserClick();
      return;
    }
  }
  if (escapeCloses_) UserClose();
}

void Form::UserMoved(int32_t left, int32_t top, int32_t innerWidthPixels,
                     int32_t innerHeightPixels) {
  if (unloaded_) return;
  // The outer size is the inner area with the form's own frame, never the window system's (which
  // may have none, or another): a size read back and set again must give the same inner area,
  // or a window saved and restored shrinks by the difference every time.
  const bool resized = innerWidthPixels != innerWidth_ || innerHeightPixels != innerHeight_;
  const auto [across, down] = FramePixels();
  StoreGeometry(left, top, win::PixelsToTwips(innerWidthPixels + across),
                win::PixelsToTwips(innerHeightPixels + down));
  innerWidth_ = innerWidthPixels;
  innerHeight_ = innerHeightPixels;
  if (resized) Raise(&Form::Resize);
}

void Form::UserSetWindowState(WindowState state) {
  if (unloaded_ || state == windowState_) return;
  windowState_ = state;
  Raise(&Form::Resize);
}

void Form::UserFocus(bool gained) {
  if (unloaded_) return;
  if (gained) {
    RaiseInput(&InputEvents<>::GotFocus);
  } else {
    RaiseInput(&InputEvents<>::LostFocus);
    if (RawFocusLost) RawFocusLost();
  }
}

void Form::UserRawKey(const RawKey& key) {
  if (!unloaded_ && RawKeyInput) RawKeyInput(key);
}

void Form::UserPointerMoved(float x, float y) {
  if (!unloaded_ && RawPointerMoved) RawPointerMoved(x, y);
}

void Form::UserPointerButton(int32_t button, bool down) {
  if (!unloaded_ && RawPointerButton) RawPointerButton(button, down);
}

void Form::UserMouse(MouseButton button, bool down, int16_t shift, float x, float y) {
  if (unloaded_ || !visible_ || !enabled_) return;
  if (down) {
    RaiseInput(&InputEvents<>::MouseDown, button, shift, x, y);
  } else {
    RaiseInput(&InputEvents<>::MouseUp, button, shift, x, y);
  }
}

void Form::UserKey(int16_t keyCode, bool down, int16_t shift) {
  if (unloaded_ || !visible_ || !enabled_) return;
  if (down) {
    RaiseInput(&InputEvents<>::KeyDown, keyCode, shift);
  } else {
    RaiseInput(&InputEvents<>::KeyUp, keyCode, shift);
  }
}

void Form::Attach(Control& control) { controls_.push_back(&control); }

void Form::Detach(Control& control) {
  std::erase(controls_, &control);
  if (focused_ == &control) focused_ = nullptr;
}

void Form::FinishLoading(FormSlotBase* slot) {
  slot_ = slot;
  declaring_ = false;
  CurrentView().FormLoaded(*this);
  Raise(&Form::Load);
}

void Form::SetFocusedControl(Control* control) {
  if (control == focused_) return;
  Control* previous = std::exchange(focused_, control);
  if (previous) previous->NotifyFocus(false);
  if (control) control->NotifyFocus(true);
}

std::vector<Form*> LoadedForms() { return detail::LoadedFormList(); }

}  // namespace forms
