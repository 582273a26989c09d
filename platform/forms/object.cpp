#include "platform/forms/object.h"
#include "platform/win/ascii_case.h"

#include <charconv>
#include <cmath>

namespace forms {

using win::EqualsIgnoringCase;

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string FlagText(bool value) { return value ? "True" : "False"; }

bool ParseFlag(std::string_view text) {
  text = Trimmed(text);
  if (EqualsIgnoringCase(text, "True")) return true;
  if (EqualsIgnoringCase(text, "False")) return false;
  return ParseNumber(text) != 0;
}

double ParseDecimal(std::string_view text) {
  text = Trimmed(text);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    throw Error(Error::kTypeMismatch, "Type mismatch: \"" + std::string(text) + "\"");
  }
  return value;
}

int32_t ParseNumber(std::string_view text) {
  double value = std::nearbyint(ParseDecimal(text));
  if (value < INT32_MIN || value > INT32_MAX) {
    throw Error(Error::kInvalidValue, "Overflow: \"" + std::string(text) + "\"");
  }
  return static_cast<int32_t>(value);
}

void Object::NotSupported(std::string_view what) const {
  throw Error(Error::kNotSupported,
              name_ + " doesn't support the property or method " + std::string(what));
}

void Object::Require(Has what, std::string_view property) const {
  if (!Supports(what)) NotSupported(property);
}

const std::string& Object::Caption() const {
  Require(Has::Caption, "Caption");
  return caption_;
}

void Object::SetCaption(std::string caption) {
  Require(Has::Caption, "Caption");
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Changed(Property::Caption);
}

const Font& Object::GetFont() const {
  Require(Has::Font, "Font");
  return font_;
}

void Object::SetFont(Font font) {
  Require(Has::Font, "Font");
  if (font == font_) return;
  font_ = std::move(font);
  Changed(Property::Font);
}

bool Object::RightToLeft() const {
  Require(Has::RightToLeft, "RightToLeft");
  return rightToLeft_;
}

void Object::SetRightToLeft(bool rightToLeft) {
  Require(Has::RightToLeft, "RightToLeft");
  if (rightToLeft == rightToLeft_) return;
  rightToLeft_ = rightToLeft;
  Changed(Property::RightToLeft);
}

void Object::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed(Property::Enabled);
}

int32_t Object::BackColor() const {
  Require(Has::BackColor, "BackColor");
  return backColor_;
}

void Object::SetBackColor(int32_t color) {
  Require(Has::BackColor, "BackColor");
  if (color == backColor_) return;
  backColor_ = color;
  Changed(Property::BackColor);
}

void Object::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
  Require(Has::Geometry, "Move");
  if (width < 0 || height < 0) {
    throw Error(Error::kInvalidValue, "Invalid size for " + name_);
  }
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  StoreGeometry(left, top, width, height);
  Changed(Property::Geometry);
}

void Object::StoreGeometry(int32_t left, int32_t top, int32_t width, int32_t height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void Object::CopyCommonFrom(const Object& other) {
  caption_ = other.caption_;
  tag_ = other.tag_;
  font_ = other.font_;
  rightToLeft_ = other.rightToLeft_;
  enabled_ = other.enabled_;
  backColor_ = other.backColor_;
  StoreGeometry(other.left_, other.top_, other.width_, other.height_);
}

std::string Object::GetProperty(std::string_view name) const {
  if (EqualsIgnoringCase(name, "Caption")) return Caption();
  if (EqualsIgnoringCase(name, "Tag")) return tag_;
  if (EqualsIgnoringCase(name, "Font") || EqualsIgnoringCase(name, "Font.Name"))
    return GetFont().Name;
  if (EqualsIgnoringCase(name, "Font.Size")) return std::to_string(GetFont().Size);
  if (EqualsIgnoringCase(name, "Font.Bold")) return FlagText(GetFont().Bold);
  if (EqualsIgnoringCase(name, "RightToLeft")) return FlagText(RightToLeft());
  if (EqualsIgnoringCase(name, "Enabled")) return FlagText(enabled_);
  if (Supports(Has::Geometry)) {
    if (EqualsIgnoringCase(name, "Left")) return std::to_string(left_);
    if (EqualsIgnoringCase(name, "Top")) return std::to_string(top_);
    if (EqualsIgnoringCase(name, "Width")) return std::to_string(width_);
    if (EqualsIgnoringCase(name, "Height")) return std::to_string(height_);
  }
  NotSupported(name);
}

void Object::SetProperty(std::string_view name, std::string_view value) {
  if (EqualsIgnoringCase(name, "Caption")) return SetCaption(std::string(value));
  if (EqualsIgnoringCase(name, "Tag")) return SetTag(std::string(value));
  if (EqualsIgnoringCase(name, "Font") || EqualsIgnoringCase(name, "Font.Name")) {
    Font font = GetFont();
    font.Name = std::string(value);
    return SetFont(std::move(font));
  }
  if (EqualsIgnoringCase(name, "Font.Size")) {
    Font font = GetFont();
    font.Size = static_cast<float>(ParseDecimal(value));
    return SetFont(std::move(font));
  }
  if (EqualsIgnoringCase(name, "Font.Bold")) {
    Font font = GetFont();
    font.Bold = ParseFlag(value);
    return SetFont(std::move(font));
  }
  if (EqualsIgnoringCase(name, "RightToLeft")) return SetRightToLeft(ParseFlag(value));
  if (EqualsIgnoringCase(name, "Enabled")) return SetEnabled(ParseFlag(value));
  if (Supports(Has::Geometry)) {
    if (EqualsIgnoringCase(name, "Left")) return SetLeft(ParseNumber(value));
    if (EqualsIgnoringCase(name, "Top")) return SetTop(ParseNumber(value));
    if (EqualsIgnoringCase(name, "Width")) return SetWidth(ParseNumber(value));
    if (EqualsIgnoringCase(name, "Height")) return SetHeight(ParseNumber(value));
  }
  NotSupported(name);
}

}  // namespace forms
