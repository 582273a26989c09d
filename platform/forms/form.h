#pragma once
// Forms: top-level windows holding controls, loaded on first touch and dropped whole on unload.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/object.h"

namespace forms {

class FormSlotBase;

enum class WindowState : int16_t { Normal = 0, Minimized = 1, Maximized = 2 };
enum class BorderStyle : int16_t {
  None = 0,
  FixedSingle = 1,
  Sizable = 2,
  FixedDialog = 3,
  FixedToolWindow = 4,
  SizableToolWindow = 5,
};
// Why a form is being unloaded, as QueryUnload reports it.
enum class UnloadMode : int16_t { UserClose = 0, Code = 1, ProgramEnd = 2 };

// A key as the window system reports it to a form that hosts a render surface.
struct RawKey {
  int qtKey = 0;                  // a Qt::Key value
  bool keypad = false;            // Qt marked it as a keypad key
  uint32_t nativeScanCode = 0;    // the window system's key code (X11), 0 where there is none
  bool autoRepeat = false;        // a repeat of a key held down
  std::optional<bool> numLockOn;  // Num Lock, where the window system tells it (X11: Mod2)
  bool down = false;
};

class Form : public Object, public InputEvents<> {
 public:
  explicit Form(std::string name);
  ~Form() override;

  std::function<void()> Load, Unload, Resize;
  std::function<void(bool& cancel, UnloadMode mode)> QueryUnload;
  // Raw input of a form that hosts a render surface, beside its VB-style events: keys, pointer
  // moves (the drawing area's pixels, tracked without a button down), buttons (0 left, 1 right,
  // 2 middle) and the loss of the keyboard.
  std::function<void(const RawKey&)> RawKeyInput;
  std::function<void(float x, float y)> RawPointerMoved;
  std::function<void(int32_t button, bool down)> RawPointerButton;
  std::function<void()> RawFocusLost;

  // Every control in the form's own order: declared controls first, in declaration order, then
  // control-array elements loaded at run time, in the order they were loaded.
  const std::vector<Control*>& Controls() const { return controls_; }
  // The control of that name (and index, for an element of a control array), or nullptr.
  Control* FindControl(std::string_view name, int16_t index = kNoIndex) const;

  bool Visible() const { return visible_; }
  // Modeless returns at once; modal returns when the form is hidden or unloaded.
  void Show(bool modal = false);
  void Hide();
  bool IsModal() const { return modal_; }
  WindowState GetWindowState() const { return windowState_; }
  void SetWindowState(WindowState state);
  BorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(BorderStyle style);
  // The inner drawing area [pixels], the outer size less the frame of the border style.
  int32_t ScaleWidth() const;
  int32_t ScaleHeight() const;
  // A form declared with a render surface hosts a native child window over its whole inner area,
  // for a 3D device to draw into. Set while declaring the form. hWnd() is the address of the
  // window's win::Window record, which the view keeps current and which carries that child's X11
  // id (0 headless).
  void SetRenderSurface(bool hosts) { renderSurface_ = hosts; }
  bool HasRenderSurface() const { return renderSurface_; }
  uintptr_t hWnd();
  void SetFocus();
  // Moves the pointer to a point of the drawing area [pixels]; false where the window system
  // refuses it (Wayland).
  bool WarpPointer(int32_t x, int32_t y);
  // Hides the pointer while it is over the form.
  void SetPointerHidden(bool hidden);
  bool PointerHidden() const { return pointerHidden_; }
  // The form covers its screen without a frame.
  void SetFullScreen(bool fullScreen);
  bool FullScreen() const { return fullScreen_; }
  bool Loaded() const { return !unloaded_; }
  // A form without a Cancel button that Escape closes as its window's close box does. Set while
  // declaring the form.
  void SetEscapeCloses(bool closes) { escapeCloses_ = closes; }
  bool EscapeCloses() const { return escapeCloses_; }
  // Unloads this form, as the Unload statement does: QueryUnload may cancel; the form's state is
  // dropped and the next touch of its slot loads it afresh. Returns false when cancelled.
  bool UnloadForm(UnloadMode mode = UnloadMode::Code);

  std::string GetProperty(std::string_view name) const override;
  void SetProperty(std::string_view name, std::string_view value) override;

  // What a user does to the window; views and tests call these.
  void UserClose();
  // Escape pressed in the form: its Cancel button is pressed, or the form closes where it is one
  // that Escape closes. A form hosting a render surface takes Escape as a key like any other.
  void UserEscape();
  // New outer place [twips] and inner size [pixels], as the window system reports them.
  void UserMoved(int32_t left, int32_t top, int32_t innerWidthPixels, int32_t innerHeightPixels);
  void UserSetWindowState(WindowState state);
  void UserFocus(bool gained);
  void UserMouse(MouseButton button, bool down, int16_t shift, float x, float y);
  void UserKey(int16_t keyCode, bool down, int16_t shift);
  void UserRawKey(const RawKey& key);
  void UserPointerMoved(float x, float y);
  void UserPointerButton(int32_t button, bool down);

  // Used by slots, controls and the pump.
  void Attach(Control& control);
  void Detach(Control& control);
  void FinishLoading(FormSlotBase* slot);
  bool Declaring() const { return declaring_; }
  void NotifyView(Control& control, Property what);
  void DropWithoutEvents();
  Control* FocusedControl() const { return focused_; }
  void SetFocusedControl(Control* control);
  void Move(int32_t left, int32_t top, int32_t width, int32_t height) override;

 protected:
  bool Supports(Has what) const override;
  void Changed(Property what) override;

 private:
  void StoreInnerSize();
  // The frame the form assumes around its inner area, pixels across and down.
  std::pair<int32_t, int32_t> FramePixels() const;
  template <class Handler, class... Args>
  void Raise(Handler Form::*handler, Args&&... args);
  template <class Handler, class... Args>
  void RaiseInput(Handler InputEvents<>::*handler, Args&&... args);
  void Drop();

  std::vector<Control*> controls_;
  FormSlotBase* slot_ = nullptr;
  Control* focused_ = nullptr;
  bool declaring_ = true;
  bool unloaded_ = false;
  bool visible_ = false;
  bool modal_ = false;
  bool shownOnce_ = false;
  bool renderSurface_ = false;
  bool pointerHidden_ = false;
  bool fullScreen_ = false;
  bool escapeCloses_ = false;
  WindowState windowState_ = WindowState::Normal;
  BorderStyle borderStyle_ = BorderStyle::Sizable;
  int32_t innerWidth_ = 0;
  int32_t innerHeight_ = 0;
};

// Program-wide forms that load on first touch. All slots are listed so that End() can reach them.
class FormSlotBase {
 public:
  virtual ~FormSlotBase() = default;
  // Hands the loaded form to the pump, which frees it once no handler runs.
  virtual std::unique_ptr<Form> Release() = 0;
};

// A form's class holds its controls and how they are designed; the handlers come from the owner
// of each, which connects them to the slot. Those handlers reach far into the program, so a file
// that only touches a form's controls links the form without them.
template <class T>
class FormSlot final : public FormSlotBase {
 public:
  T& operator*() { return Get(); }
  T* operator->() { return &Get(); }
  T& Get() {
    if (!form_) {
      form_ = std::make_unique<T>();
      if (connect_) connect_(*form_);
      form_->FinishLoading(this);
    }
    return *form_;
  }
  // Called on every form the slot creates, before the form's Load, to wire its handlers. A form
  // loaded already keeps the handlers it has.
  void Connect(std::function<void(T&)> hook) { connect_ = std::move(hook); }
  // Touches nothing: a form not loaded stays so.
  bool Loaded() const { return form_ != nullptr; }
  // Unloads the form when it is loaded; false when its QueryUnload or Unload cancelled.
  bool Unload() { return !form_ || form_->UnloadForm(UnloadMode::Code); }
  std::unique_ptr<Form> Release() override { return std::move(form_); }

 private:
  std::unique_ptr<T> form_;
  std::function<void(T&)> connect_;
};

// The loaded forms, in load order.
std::vector<Form*> LoadedForms();

}  // namespace forms
