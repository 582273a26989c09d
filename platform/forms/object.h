#pragma once
// What forms and controls have in common: a name, the properties every dialog translates or lays
// out, and reading or writing a property by its name at run time.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace forms {

// A failed operation on a form or control. Numbers are those callers' error handlers test.
class Error : public std::runtime_error {
 public:
  static constexpr int32_t kTypeMismatch = 13;
  static constexpr int32_t kNoSuchElement = 340;
  static constexpr int32_t kAlreadyLoaded = 360;
  static constexpr int32_t kInvalidValue = 380;
  static constexpr int32_t kReadOnly = 383;
  static constexpr int32_t kNotSupported = 438;
  static constexpr int32_t kNoInput = 1001;  // a headless modal wait that nothing can end

  Error(int32_t number, const std::string& message)
      : std::runtime_error(message), number_(number) {}
  int32_t Number() const { return number_; }

 private:
  int32_t number_;
};

struct Font {
  std::string Name = "Sans Serif";
  float Size = 8.25f;  // [points]
  bool Bold = false;
  bool operator==(const Font&) const = default;
};

// What changed on a form or control, so that a view updates only that part of its widget.
enum class Property {
  Caption,
  Text,
  Value,
  List,
  ListIndex,
  Range,
  Enabled,
  Visible,
  ToolTipText,
  Font,
  RightToLeft,
  Geometry,
  BackColor,
  Picture,
  Interval,
  WindowState,
  BorderStyle,
  Editable,
};

// System colour of button faces; a colour without the high bit is 0x00BBGGRR.
inline constexpr int32_t kButtonFaceColor = static_cast<int32_t>(0x8000000F);
inline constexpr int32_t kWindowBackgroundColor = static_cast<int32_t>(0x80000005);

class Object {
 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;

  const std::string& Name() const { return name_; }

  const std::string& Caption() const;
  void SetCaption(std::string caption);
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }
  const Font& GetFont() const;
  void SetFont(Font font);
  bool RightToLeft() const;
  void SetRightToLeft(bool rightToLeft);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  int32_t BackColor() const;
  void SetBackColor(int32_t color);

  // Position and size in twips; a control's position is inside its container.
  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetLeft(int32_t twips) { Move(twips, top_, width_, height_); }
  void SetTop(int32_t twips) { Move(left_, twips, width_, height_); }
  void SetWidth(int32_t twips) { Move(left_, top_, twips, height_); }
  void SetHeight(int32_t twips) { Move(left_, top_, width_, twips); }
  virtual void Move(int32_t left, int32_t top, int32_t width, int32_t height);

  // Run-time access by name, matched without regard to case: Caption, Text, ToolTipText, Tag,
  // Font (its name), Font.Name, Font.Size, Font.Bold, Enabled, Visible, Left, Top, Width, Height,
  // Value, ListIndex, RightToLeft. A name this kind of object lacks throws Error kNotSupported.
  virtual std::string GetProperty(std::string_view name) const;
  virtual void SetProperty(std::string_view name, std::string_view value);

 protected:
  enum class Has { Caption, Font, RightToLeft, BackColor, Geometry };
  explicit Object(std::string name) : name_(std::move(name)) {}
  virtual bool Supports(Has what) const = 0;
  virtual void Changed(Property what) = 0;
  [[noreturn]] void NotSupported(std::string_view what) const;
  void Require(Has what, std::string_view property) const;
  void StoreGeometry(int32_t left, int32_t top, int32_t width, int32_t height);
  void CopyCommonFrom(const Object& other);

  std::string name_;
  std::string caption_;
  std::string tag_;
  Font font_;
  bool rightToLeft_ = false;
  bool enabled_ = true;
  int32_t backColor_ = kButtonFaceColor;
  int32_t left_ = 0;
  int32_t top_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// Property texts as the original runtime wrote them: "True"/"False" for flags.
std::string FlagText(bool value);
bool ParseFlag(std::string_view text);
double ParseDecimal(std::string_view text);
int32_t ParseNumber(std::string_view text);  // rounded half to even

}  // namespace forms
