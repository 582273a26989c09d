#include "platform/forms/control.h"

#include <algorithm>

#include "platform/forms/form.h"
#include "platform/forms/registry.h"
#include "platform/forms/view.h"
#include "platform/win/ascii_case.h"
#include "platform/win/twips.h"

namespace forms {

using win::EqualsIgnoringCase;

namespace {

constexpr int32_t kMaxTimerInterval = 65535;  // [ms], the largest interval a timer accepts

const std::string kEmpty;

bool IsEditBox(ControlKind kind) { return kind == ControlKind::TextBox; }

}  // namespace

template <class Own, class Shared, class... Args>
void Control::Raise(Own own, Shared shared, Args&&... args) {
  if (form_.Declaring()) return;
  detail::HandlerScope scope;
  // Copies, so that a handler may replace itself while it runs.
  if (array_) {
    if (auto handler = array_->*shared) handler(index_, std::forward<Args>(args)...);
  } else if (auto handler = this->*own) {
    handler(std::forward<Args>(args)...);
  }
}

Control::Control(Form& form, ControlKind kind, std::string name, int16_t index,
                 ControlArrayBase* array)
    : Object(std::move(name)),
      form_(form),
      kind_(kind),
      index_(index),
      array_(array),
      sequence_(detail::NextSequence()) {
  if (IsEditBox(kind) || IsList()) backColor_ = kWindowBackgroundColor;
  form_.Attach(*this);
  if (kind == ControlKind::Timer) detail::RegisterTimer(*this);
}

Control::~Control() { Retire(); }

void Control::Retire() {
  if (kind_ == ControlKind::Timer) detail::UnregisterTimer(*this);
  form_.Detach(*this);
}

void Control::NotifyFocus(bool gained) {
  if (gained) {
    Raise(&Control::GotFocus, &ControlArrayBase::GotFocus);
  } else {
    Raise(&Control::LostFocus, &ControlArrayBase::LostFocus);
  }
}

bool Control::Supports(Has what) const {
  switch (what) {
    case Has::Caption:
      return kind_ == ControlKind::CommandButton || kind_ == ControlKind::Label ||
             kind_ == ControlKind::CheckBox || kind_ == ControlKind::OptionButton ||
             kind_ == ControlKind::Frame;
    case Has::Font:
      return !IsScrollBar() && kind_ != ControlKind::Image && kind_ != ControlKind::Timer;
    case Has::RightToLeft:
    case Has::BackColor:
      return kind_ != ControlKind::Image && kind_ != ControlKind::Timer;
    case Has::Geometry:
      return kind_ != ControlKind::Timer;
  }
  return false;
}

void Control::Changed(Property what) {
  if (kind_ == ControlKind::Timer && what == Property::Enabled) RestartCount();
  form_.NotifyView(*this, what);
}

void Control::RequireKind(bool ok, std::string_view what) const {
  if (!ok) NotSupported(what);
}

void Control::SetContainer(Control& frame) {
  RequireKind(frame.kind_ == ControlKind::Frame || frame.kind_ == ControlKind::PictureBox,
              "Container");
  container_ = &frame;
  Changed(Property::Geometry);
}

void Control::SetVisible(bool visible) {
  RequireKind(kind_ != ControlKind::Timer, "Visible");
  if (visible == visible_) return;
  visible_ = visible;
  Changed(Property::Visible);
}

const std::string& Control::ToolTipText() const {
  RequireKind(kind_ != ControlKind::Timer, "ToolTipText");
  return toolTipText_;
}

void Control::SetToolTipText(std::string text) {
  RequireKind(kind_ != ControlKind::Timer, "ToolTipText");
  if (text == toolTipText_) return;
  toolTipText_ = std::move(text);
  Changed(Property::ToolTipText);
}

const std::string& Control::Text() const {
  RequireKind(IsEditBox(kind_) || IsList(), "Text");
  if (kind_ == ControlKind::ListBox) return listIndex_ < 0 ? kEmpty : items_[listIndex_];
  return text_;
}

void Control::SetText(std::string text) {
  RequireKind(IsEditBox(kind_) || IsList(), "Text");
  if (kind_ == ControlKind::ListBox || (kind_ == ControlKind::ComboBox && !editable_)) {
    auto match = std::ranges::find(items_, text);
    if (match != items_.end()) {
      SetListIndex(static_cast<int16_t>(match - items_.begin()));
    } else if (kind_ == ControlKind::ComboBox) {
      throw Error(Error::kReadOnly, "The text of " + name_ + " is one of its items");
    }
    return;
  }
  if (text == text_) return;
  text_ = std::move(text);
  if (kind_ == ControlKind::ComboBox) {
    auto match = std::ranges::find(items_, text_);
    listIndex_ = match == items_.end() ? -1 : static_cast<int16_t>(match - items_.begin());
    Changed(Property::ListIndex);
  }
  Changed(Property::Text);
  Raise(&Control::Change, &ControlArrayBase::Change);
}

bool Control::Editable() const {
  RequireKind(kind_ == ControlKind::ComboBox, "Style");
  return editable_;
}

void Control::SetEditable(bool editable) {
  RequireKind(kind_ == ControlKind::ComboBox, "Style");
  if (editable == editable_) return;
  editable_ = editable;
  if (!editable_) {
    text_ = listIndex_ < 0 ? std::string() : items_[listIndex_];
    Changed(Property::Text);
  }
  Changed(Property::Editable);
}

int16_t Control::Value() const {
  RequireKind(kind_ == ControlKind::CheckBox || kind_ == ControlKind::OptionButton || IsScrollBar(),
              "Value");
  return value_;
}

void Control::SetValue(int16_t value) {
  switch (kind_) {
    case ControlKind::CheckBox:
      if (value < kUnchecked || value > kGrayed) {
        throw Error(Error::kInvalidValue,
                    "Invalid Value " + std::to_string(value) + " for " + name_);
      }
      if (value == value_) return;
      value_ = value;
      Changed(Property::Value);
      Raise(&Control::Click, &ControlArrayBase::Click);
      return;
    case ControlKind::OptionButton:
      if (value == 0) {
        if (value_ == 0) return;
        value_ = 0;
        Changed(Property::Value);
        return;
      }
      // Selecting an option in code fires its Click even when it was selected already.
      SelectOption();
      Raise(&Control::Click, &ControlArrayBase::Click);
      return;
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar:
      if (value < std::min(min_, max_) || value > std::max(min_, max_)) {
        throw Error(Error::kInvalidValue,
                    "Invalid Value " + std::to_string(value) + " for " + name_);
      }
      if (value == value_) return;
      value_ = value;
      Changed(Property::Value);
      Raise(&Control::Change, &ControlArrayBase::Change);
      return;
    default:
      NotSupported("Value");
  }
}

void Control::SelectOption() {
  for (Control* other : form_.Controls()) {
    if (other != this && other->kind_ == ControlKind::OptionButton &&
        other->container_ == container_ && other->value_ != 0) {
      other->value_ = 0;
      other->Changed(Property::Value);
    }
  }
  if (value_ != -1) {
    value_ = -1;
    Changed(Property::Value);
  }
}

int16_t Control::Min() const {
  RequireKind(IsScrollBar(), "Min");
  return min_;
}

int16_t Control::Max() const {
  RequireKind(IsScrollBar(), "Max");
  return max_;
}

void Control::SetMin(int16_t value) { SetRange(value, max_, "Min"); }
void Control::SetMax(int16_t value) { SetRange(min_, value, "Max"); }

void Control::SetRange(int16_t min, int16_t max, std::string_view what) {
  RequireKind(IsScrollBar(), what);
  min_ = min;
  max_ = max;
  Changed(Property::Range);
  SetValue(std::clamp(value_, std::min(min_, max_), std::max(min_, max_)));
}

int16_t Control::SmallChange() const {
  RequireKind(IsScrollBar(), "SmallChange");
  return smallChange_;
}

int16_t Control::LargeChange() const {
  RequireKind(IsScrollBar(), "LargeChange");
  return largeChange_;
}

void Control::SetSmallChange(int16_t step) { SetStep(smallChange_, step, "SmallChange"); }
void Control::SetLargeChange(int16_t step) { SetStep(largeChange_, step, "LargeChange"); }

void Control::SetStep(int16_t& field, int16_t step, std::string_view what) {
  RequireKind(IsScrollBar(), what);
  if (step < 1) throw Error(Error::kInvalidValue, "Invalid " + std::string(what) + " for " + name_);
  field = step;
  Changed(Property::Range);
}

void Control::CheckItem(int16_t at) const {
  RequireKind(IsList(), "List");
  if (at < 0 || at >= static_cast<int16_t>(items_.size())) {
    throw Error(Error::kInvalidValue, "No item " + std::to_string(at) + " in " + name_);
  }
}

void Control::AddItem(std::string item, int16_t at) {
  RequireKind(IsList(), "AddItem");
  if (items_.size() >= INT16_MAX)
    throw Error(Error::kInvalidValue, "The list " + name_ + " is full");
  const auto count = static_cast<int16_t>(items_.size());
  if (at == kNoIndex) at = count;
  if (at < 0 || at > count) {
    throw Error(Error::kInvalidValue, "No place " + std::to_string(at) + " in " + name_);
  }
  items_.insert(items_.begin() + at, std::move(item));
  itemData_.insert(itemData_.begin() + at, 0);
  newIndex_ = at;
  // The chosen entry stays chosen when an item goes in before it.
  if (listIndex_ >= at) ++listIndex_;
  Changed(Property::List);
}

void Control::RemoveItem(int16_t at) {
  CheckItem(at);
  items_.erase(items_.begin() + at);
  itemData_.erase(itemData_.begin() + at);
  if (listIndex_ == at) {
    listIndex_ = -1;
  } else if (listIndex_ > at) {
    --listIndex_;
  }
  Changed(Property::List);
}

void Control::Clear() {
  RequireKind(IsList(), "Clear");
  items_.clear();
  itemData_.clear();
  listIndex_ = -1;
  newIndex_ = -1;
  text_.clear();
  Changed(Property::List);
}

bool Control::Cancel() const {
  RequireKind(kind_ == ControlKind::CommandButton, "Cancel");
  return cancel_;
}

void Control::SetCancel(bool cancel) {
  RequireKind(kind_ == ControlKind::CommandButton, "Cancel");
  cancel_ = cancel;
}

int16_t Control::ListCount() const {
  RequireKind(IsList(), "ListCount");
  return static_cast<int16_t>(items_.size());
}

const std::string& Control::List(int16_t at) const {
  CheckItem(at);
  return items_[at];
}

void Control::SetList(int16_t at, std::string item) {
  CheckItem(at);
  items_[at] = std::move(item);
  Changed(Property::List);
}

int32_t Control::ItemData(int16_t at) const {
  CheckItem(at);
  return itemData_[at];
}

void Control::SetItemData(int16_t at, int32_t data) {
  CheckItem(at);
  itemData_[at] = data;
}

int16_t Control::NewIndex() const {
  RequireKind(IsList(), "NewIndex");
  return newIndex_;
}

int16_t Control::ListIndex() const {
  RequireKind(IsList(), "ListIndex");
  return listIndex_;
}

void Control::SetListIndex(int16_t at) {
  RequireKind(IsList(), "ListIndex");
  if (at != -1) CheckItem(at);
  if (at == listIndex_) return;
  listIndex_ = at;
  if (kind_ == ControlKind::ComboBox) {
    text_ = at < 0 ? std::string() : items_[at];
    Changed(Property::Text);
  }
  Changed(Property::ListIndex);
  Raise(&Control::Click, &ControlArrayBase::Click);
}

int32_t Control::Interval() const {
  RequireKind(kind_ == ControlKind::Timer, "Interval");
  return interval_;
}

void Control::SetInterval(int32_t milliseconds) {
  RequireKind(kind_ == ControlKind::Timer, "Interval");
  if (milliseconds < 0 || milliseconds > kMaxTimerInterval) {
    throw Error(Error::kInvalidValue,
                "Invalid Interval " + std::to_string(milliseconds) + " for " + name_);
  }
  interval_ = milliseconds;
  RestartCount();
  Changed(Property::Interval);
}

void Control::RestartCount() { due_ = Now() + std::chrono::milliseconds(interval_); }

bool Control::TimerArmed() const { return enabled_ && interval_ > 0 && !timerRunning_; }

void Control::FireTimer(Duration now) {
  due_ = now + std::chrono::milliseconds(interval_);
  timerRunning_ = true;
  struct Finish {
    bool& running;
    ~Finish() { running = false; }
  } finish{timerRunning_};
  Raise(&Control::Timer, &ControlArrayBase::Timer);
}

const std::string& Control::Picture() const {
  RequireKind(kind_ == ControlKind::PictureBox || kind_ == ControlKind::Image, "Picture");
  return picture_;
}

void Control::SetPicture(std::string path) {
  RequireKind(kind_ == ControlKind::PictureBox || kind_ == ControlKind::Image, "Picture");
  if (path == picture_) return;
  picture_ = std::move(path);
  Changed(Property::Picture);
}

int32_t Control::ScaleWidth() const {
  RequireKind(kind_ == ControlKind::PictureBox, "ScaleWidth");
  return win::TwipsToPixels(width_);
}

int32_t Control::ScaleHeight() const {
  RequireKind(kind_ == ControlKind::PictureBox, "ScaleHeight");
  return win::TwipsToPixels(height_);
}

uintptr_t Control::hWnd() {
  RequireKind(
      kind_ != ControlKind::Label && kind_ != ControlKind::Image && kind_ != ControlKind::Timer,
      "hWnd");
  return CurrentView().Handle(*this);
}

void Control::SetFocus() {
  RequireKind(kind_ != ControlKind::Label && kind_ != ControlKind::Image &&
                  kind_ != ControlKind::Timer && kind_ != ControlKind::Frame,
              "SetFocus");
  if (!AcceptsUser()) throw Error(Error::kInvalidValue, "Can't move focus to " + name_);
  form_.SetFocusedControl(this);
}

std::string Control::GetProperty(std::string_view name) const {
  if (EqualsIgnoringCase(name, "Text")) return Text();
  if (EqualsIgnoringCase(name, "ToolTipText")) return ToolTipText();
  if (EqualsIgnoringCase(name, "Visible")) return FlagText(Visible());
  if (EqualsIgnoringCase(name, "Value")) {
    return kind_ == ControlKind::OptionButton ? FlagText(Value() != 0) : std::to_string(Value());
  }
  if (EqualsIgnoringCase(name, "ListIndex")) return std::to_string(ListIndex());
  return Object::GetProperty(name);
}

void Control::SetProperty(std::string_view name, std::string_view value) {
  if (EqualsIgnoringCase(name, "Text")) return SetText(std::string(value));
  if (EqualsIgnoringCase(name, "ToolTipText")) return SetToolTipText(std::string(value));
  if (EqualsIgnoringCase(name, "Visible")) {
    RequireKind(kind_ != ControlKind::Timer, "Visible");
    return SetVisible(ParseFlag(value));
  }
  if (EqualsIgnoringCase(name, "Value")) {
    Value();
    if (kind_ == ControlKind::OptionButton) return SetValue(ParseFlag(value) ? -1 : 0);
    int32_t number = ParseNumber(value);
    if (number < INT16_MIN || number > INT16_MAX) throw Error(Error::kInvalidValue, "Overflow");
    return SetValue(static_cast<int16_t>(number));
  }
  if (EqualsIgnoringCase(name, "ListIndex")) {
    ListIndex();
    int32_t number = ParseNumber(value);
    if (number < INT16_MIN || number > INT16_MAX) throw Error(Error::kInvalidValue, "Overflow");
    return SetListIndex(static_cast<int16_t>(number));
  }
  Object::SetProperty(name, value);
}

bool Control::AcceptsUser() const {
  if (!form_.Loaded() || !form_.Visible() || !form_.Enabled()) return false;
  for (const Control* c = this; c; c = c->container_) {
    if (!c->enabled_ || !c->visible_) return false;
  }
  return true;
}

void Control::UserClick() {
  if (!AcceptsUser()) return;
  switch (kind_) {
    case ControlKind::CheckBox:
      SetValue(value_ == kChecked ? kUnchecked : kChecked);
      return;
    case ControlKind::OptionButton:
      if (value_ == 0) SetValue(-1);
      return;
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar:
    case ControlKind::Timer:
      return;
    default:
      Raise(&Control::Click, &ControlArrayBase::Click);
  }
}

void Control::UserDoubleClick() {
  if (!AcceptsUser()) return;
  Raise(&Control::DblClick, &ControlArrayBase::DblClick);
}

void Control::UserType(std::string text) {
  if (!AcceptsUser()) return;
  RequireKind(IsEditBox(kind_) || (kind_ == ControlKind::ComboBox && editable_), "typing");
  SetText(std::move(text));
}

void Control::UserChoose(int16_t item) {
  if (!AcceptsUser()) return;
  SetListIndex(item);
}

void Control::UserScroll(int16_t value, bool dragging) {
  if (!AcceptsUser()) return;
  RequireKind(IsScrollBar(), "scrolling");
  value = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
  if (dragging) {
    if (value == value_) return;
    value_ = value;
    dragged_ = true;
    Changed(Property::Value);
    Raise(&Control::Scroll, &ControlArrayBase::Scroll);
    return;
  }
  // The thumb was let go: the value moved while dragging counts as a change.
  if (value == value_ && !dragged_) return;
  dragged_ = false;
  value_ = value;
  Changed(Property::Value);
  Raise(&Control::Change, &ControlArrayBase::Change);
}

void Control::UserFocus() {
  if (!AcceptsUser()) return;
  form_.SetFocusedControl(this);
}

void Control::UserMouse(MouseButton button, bool down, int16_t shift, float x, float y) {
  if (!AcceptsUser()) return;
  if (down) {
    Raise(&Control::MouseDown, &ControlArrayBase::MouseDown, button, shift, x, y);
  } else {
    Raise(&Control::MouseUp, &ControlArrayBase::MouseUp, button, shift, x, y);
  }
}

void Control::UserKey(int16_t keyCode, bool down, int16_t shift) {
  if (!AcceptsUser()) return;
  if (down) {
    Raise(&Control::KeyDown, &ControlArrayBase::KeyDown, keyCode, shift);
  } else {
    Raise(&Control::KeyUp, &ControlArrayBase::KeyUp, keyCode, shift);
  }
}

void Control::UserKeyPress(int16_t keyAscii) {
  if (!AcceptsUser()) return;
  Raise(&Control::KeyPress, &ControlArrayBase::KeyPress, keyAscii);
}

void Control::CopyDesignFrom(const Control& model) {
  CopyCommonFrom(model);
  container_ = model.container_;
  toolTipText_ = model.toolTipText_;
  text_ = model.kind_ == ControlKind::ListBox ? std::string() : model.text_;
  editable_ = model.editable_;
  cancel_ = model.cancel_;
  picture_ = model.picture_;
  value_ = model.kind_ == ControlKind::OptionButton ? 0 : model.value_;
  min_ = model.min_;
  max_ = model.max_;
  smallChange_ = model.smallChange_;
  largeChange_ = model.largeChange_;
  interval_ = model.interval_;
  // A loaded element starts hidden; the caller shows it where it wants it.
  visible_ = false;
  RestartCount();
}

int16_t ControlArrayBase::LBound() const {
  if (elements_.empty()) throw Error(Error::kNoSuchElement, name_ + " has no elements");
  return elements_.begin()->first;
}

int16_t ControlArrayBase::UBound() const {
  if (elements_.empty()) throw Error(Error::kNoSuchElement, name_ + " has no elements");
  return elements_.rbegin()->first;
}

std::vector<int16_t> ControlArrayBase::Indices() const {
  std::vector<int16_t> indices;
  for (const auto& [index, element] : elements_) indices.push_back(index);
  return indices;
}

Control& ControlArrayBase::Element(int16_t index) const {
  auto found = elements_.find(index);
  if (found == elements_.end()) {
    throw Error(Error::kNoSuchElement,
                "Control array element " + name_ + "(" + std::to_string(index) + ") doesn't exist");
  }
  return *found->second;
}

void ControlArrayBase::Create(int16_t index) { elements_.emplace(index, Make(index)); }

void ControlArrayBase::Load(int16_t index) {
  if (index < 0) throw Error(Error::kInvalidValue, "Invalid index for " + name_);
  if (Exists(index)) {
    throw Error(Error::kAlreadyLoaded, name_ + "(" + std::to_string(index) + ") is already loaded");
  }
  if (elements_.empty()) throw Error(Error::kNoSuchElement, name_ + " has no element to copy");
  std::unique_ptr<Control> element = Make(index);
  element->CopyDesignFrom(*elements_.begin()->second);
  Control& added = *element;
  elements_.emplace(index, std::move(element));
  CurrentView().ControlAdded(added);
}

void ControlArrayBase::Unload(int16_t index) {
  Element(index);  // refuses an index that is not loaded
  auto found = elements_.find(index);
  std::unique_ptr<Control> element = std::move(found->second);
  elements_.erase(found);
  CurrentView().ControlRemoved(*element);
  element->Retire();
  detail::Bury(std::move(element));
}

}  // namespace forms
