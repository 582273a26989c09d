#pragma once
// Controls of a form: one class carries every kind, as the dialogs reach controls both by their
// declared type and by walking a form's controls; an operation that a kind lacks throws
// Error kNotSupported, which callers that walk controls skip.
//
// Setting a value in code fires the control's event as a user's change would (a check box's or
// option button's Click, a scroll bar's Change, a text's Change, a list's Click); callers guard
// with their own busy flags. Values set while the form is being declared fire nothing.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/event_pump.h"
#include "platform/forms/object.h"

namespace forms {

class Form;
class ControlArrayBase;

enum class ControlKind {
  CommandButton,
  Label,
  TextBox,
  ComboBox,
  ListBox,
  CheckBox,
  OptionButton,
  HScrollBar,
  VScrollBar,
  PictureBox,
  Image,
  Frame,
  Timer,
};

enum class MouseButton : int16_t { Left = 1, Right = 2, Middle = 4 };
// Shift-state bits of mouse and key events.
inline constexpr int16_t kShiftMask = 1;
inline constexpr int16_t kCtrlMask = 2;
inline constexpr int16_t kAltMask = 4;

// The events of forms and controls; an element of a control array passes its index first.
template <class... Index>
struct InputEvents {
  std::function<void(Index...)> Click, DblClick, GotFocus, LostFocus;
  std::function<void(Index..., MouseButton, int16_t shift, float x, float y)> MouseDown, MouseUp;
  std::function<void(Index..., int16_t&keyCode, int16_t shift)> KeyDown, KeyUp;
  std::function<void(Index..., int16_t& keyAscii)> KeyPress;
};

template <class... Index>
struct ControlEvents : InputEvents<Index...> {
  std::function<void(Index...)> Change, Scroll, Timer;
};

inline constexpr int16_t kNoIndex = -1;

class Control : public Object, public ControlEvents<> {
 public:
  static constexpr int16_t kUnchecked = 0;
  static constexpr int16_t kChecked = 1;
  static constexpr int16_t kGrayed = 2;

  Control(Form& form, ControlKind kind, std::string name, int16_t index = kNoIndex,
          ControlArrayBase* array = nullptr);
  ~Control() override;

  ControlKind Kind() const { return kind_; }
  Form& Parent() const { return form_; }
  int16_t Index() const { return index_; }  // kNoIndex outside a control array
  Control* Container() const { return container_; }
  void SetContainer(Control& frame);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const std::string& ToolTipText() const;
  void SetToolTipText(std::string text);
  // The chosen item's text for lists; an editable combo box's text need not be one of its items.
  const std::string& Text() const;
  void SetText(std::string text);
  // A combo box is editable unless declared a drop-down list, whose text is always one of its
  // items: setting another throws Error kReadOnly.
  bool Editable() const;
  void SetEditable(bool editable);
  // A command button that Escape presses, wherever the focus is in its form.
  bool Cancel() const;
  void SetCancel(bool cancel);

  // Check box: kUnchecked, kChecked, kGrayed. Option button: -1 selected, 0 not (selecting one
  // clears the others of its container). Scroll bar: Min..Max, in either order.
  int16_t Value() const;
  void SetValue(int16_t value);
  int16_t Min() const;
  int16_t Max() const;
  void SetMin(int16_t value);
  void SetMax(int16_t value);
  int16_t SmallChange() const;
  int16_t LargeChange() const;
  void SetSmallChange(int16_t step);
  void SetLargeChange(int16_t step);

  // Combo box and list box items.
  void AddItem(std::string item, int16_t at = kNoIndex);
  void RemoveItem(int16_t at);
  void Clear();
  int16_t ListCount() const;
  const std::string& List(int16_t at) const;
  void SetList(int16_t at, std::string item);
  int32_t ItemData(int16_t at) const;
  void SetItemData(int16_t at, int32_t data);
  int16_t NewIndex() const;
  int16_t ListIndex() const;
  void SetListIndex(int16_t at);

  // Timer: Interval [ms], 0 stops it.
  int32_t Interval() const;
  void SetInterval(int32_t milliseconds);

  // Picture box and image: the picture file shown, empty for none.
  const std::string& Picture() const;
  void SetPicture(std::string path);
  // A picture box's drawing area [pixels].
  int32_t ScaleWidth() const;
  int32_t ScaleHeight() const;

  // The win::Window record of a windowed control, as a form's; a picture box's is where a 3D device
  // can render.
  uintptr_t hWnd();
  void SetFocus();

  std::string GetProperty(std::string_view name) const override;
  void SetProperty(std::string_view name, std::string_view value) override;

  // What a user does; views and tests call these. A hidden or disabled control (or frame around
  // it), or one on a hidden or disabled form, ignores them as its widget would.
  void UserClick();
  void UserDoubleClick();
  void UserType(std::string text);
  void UserChoose(int16_t item);
  // Dragging the thumb fires Scroll; letting go, or a click on the arrows, fires Change.
  void UserScroll(int16_t value, bool dragging);
  void UserFocus();
  void UserMouse(MouseButton button, bool down, int16_t shift, float x, float y);
  void UserKey(int16_t keyCode, bool down, int16_t shift);
  void UserKeyPress(int16_t keyAscii);

  // Used by forms, control arrays and the pump.
  void CopyDesignFrom(const Control& model);
  void NotifyFocus(bool gained);
  // Takes the control out of its form's list and stops its timer.
  void Retire();
  // A timer counts while enabled with an interval and while its handler is not running.
  bool TimerArmed() const;
  bool TimerDue(Duration now) const { return TimerArmed() && now >= due_; }
  Duration DueAt() const { return due_; }
  void FireTimer(Duration now);
  uint64_t Sequence() const { return sequence_; }

 protected:
  bool Supports(Has what) const override;
  void Changed(Property what) override;

 private:
  bool IsList() const { return kind_ == ControlKind::ComboBox || kind_ == ControlKind::ListBox; }
  bool IsScrollBar() const {
    return kind_ == ControlKind::HScrollBar || kind_ == ControlKind::VScrollBar;
  }
  bool AcceptsUser() const;
  void RequireKind(bool ok, std::string_view what) const;
  void CheckItem(int16_t at) const;
  void RestartCount();
  void SetRange(int16_t min, int16_t max, std::string_view what);
  void SetStep(int16_t& field, int16_t step, std::string_view what);
  void SelectOption();
  template <class Own, class Shared, class... Args>
  void Raise(Own own, Shared shared, Args&&... args);

  Form& form_;
  ControlKind kind_;
  int16_t index_;
  ControlArrayBase* array_;
  Control* container_ = nullptr;
  bool visible_ = true;
  std::string toolTipText_;
  std::string text_;
  std::string picture_;
  int16_t value_ = 0;
  int16_t min_ = 0;
  int16_t max_ = 32767;
  int16_t smallChange_ = 1;
  int16_t largeChange_ = 1;
  bool dragged_ = false;
  bool editable_ = true;
  bool cancel_ = false;
  std::vector<std::string> items_;
  std::vector<int32_t> itemData_;
  int16_t listIndex_ = -1;
  int16_t newIndex_ = -1;
  int32_t interval_ = 0;
  Duration due_{0};
  bool timerRunning_ = false;
  uint64_t sequence_;
};

// A control array: elements share a name and their events, told apart by index. Elements may be
// loaded at run time; a new element copies the lowest-indexed one and starts hidden.
class ControlArrayBase : public ControlEvents<int16_t> {
 public:
  ControlArrayBase(const ControlArrayBase&) = delete;
  ControlArrayBase& operator=(const ControlArrayBase&) = delete;
  virtual ~ControlArrayBase() = default;

  const std::string& Name() const { return name_; }
  bool Exists(int16_t index) const { return elements_.contains(index); }
  int16_t Count() const { return static_cast<int16_t>(elements_.size()); }
  int16_t LBound() const;
  int16_t UBound() const;
  std::vector<int16_t> Indices() const;
  Control& Element(int16_t index) const;
  void Load(int16_t index);
  void Unload(int16_t index);

 protected:
  ControlArrayBase(Form& form, std::string name) : form_(form), name_(std::move(name)) {}
  virtual std::unique_ptr<Control> Make(int16_t index) = 0;
  void Create(int16_t index);

  Form& form_;

 private:
  std::string name_;
  std::map<int16_t, std::unique_ptr<Control>> elements_;
};

// The kinds, each a Control made with its kind; declared as members of a form.
template <ControlKind K>
class KindOf : public Control {
 public:
  KindOf(Form& form, std::string name, int16_t index = kNoIndex, ControlArrayBase* array = nullptr)
      : Control(form, K, std::move(name), index, array) {}
};

using CommandButton = KindOf<ControlKind::CommandButton>;
using Label = KindOf<ControlKind::Label>;
using TextBox = KindOf<ControlKind::TextBox>;
using ComboBox = KindOf<ControlKind::ComboBox>;
using ListBox = KindOf<ControlKind::ListBox>;
using CheckBox = KindOf<ControlKind::CheckBox>;
using OptionButton = KindOf<ControlKind::OptionButton>;
using HScrollBar = KindOf<ControlKind::HScrollBar>;
using VScrollBar = KindOf<ControlKind::VScrollBar>;
using PictureBox = KindOf<ControlKind::PictureBox>;
using Image = KindOf<ControlKind::Image>;
using Frame = KindOf<ControlKind::Frame>;
using Timer = KindOf<ControlKind::Timer>;

template <class T>
class ControlArray final : public ControlArrayBase {
 public:
  // The elements that exist at design time.
  ControlArray(Form& form, std::string name, std::initializer_list<int16_t> designIndices)
      : ControlArrayBase(form, std::move(name)) {
    for (int16_t index : designIndices) Create(index);
  }
  T& operator()(int16_t index) const { return static_cast<T&>(Element(index)); }

 protected:
  std::unique_ptr<Control> Make(int16_t index) override {
    return std::make_unique<T>(form_, Name(), index, this);
  }
};

}  // namespace forms
