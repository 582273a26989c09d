// A document as a binary X file ("xof 0303bin 0032"), written by its templates: integers and
// floats packed into lists, strings each with its terminator, references in braces.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx/x_file_format.h"

namespace xtest {

class BinaryXWriter {
 public:
  explicit BinaryXWriter(const d3dx::XFileDocument& document) : document_(document) {}

  std::string Write() {
    bytes_ = "xof 0303bin 0032";
    for (const d3dx::XDataObject& object : document_.objects) Object(object);
    return bytes_;
  }

 private:
  enum : uint16_t { kName = 1, kString = 2, kIntegers = 6, kFloats = 7, kOpen = 10, kClose = 11 };
  enum class Kind { Integer, Float, String };

  void Token(uint16_t token) { Raw(&token, 2); }
  void Raw(const void* data, size_t size) { bytes_.append(static_cast<const char*>(data), size); }
  void Counted(uint16_t token, const std::string& text) {
    Token(token);
    const auto size = static_cast<uint32_t>(text.size());
    Raw(&size, 4);
    bytes_ += text;
  }

  void Object(const d3dx::XDataObject& object) {
    if (object.isReference) {
      Token(kOpen);
      Counted(kName, object.name);
      Token(kClose);
      return;
    }
    Counted(kName, object.templateName);
    if (!object.name.empty()) Counted(kName, object.name);
    Token(kOpen);
    kinds_.clear();
    Members(*document_.templates.Find(object.templateName), object);
    size_t number = 0, string = 0;
    for (size_t i = 0; i < kinds_.size();) {
      if (kinds_[i] == Kind::String) {
        Counted(kString, object.strings[string++]);
        Token(20);  // ';'
        ++i;
        continue;
      }
      const Kind kind = kinds_[i];
      size_t end = i;
      while (end < kinds_.size() && kinds_[end] == kind) ++end;
      Token(kind == Kind::Integer ? kIntegers : kFloats);
      const auto count = static_cast<uint32_t>(end - i);
      Raw(&count, 4);
      for (; i < end; ++i, ++number) {
        if (kind == Kind::Integer) {
          const auto value = static_cast<uint32_t>(static_cast<int64_t>(object.numbers[number]));
          Raw(&value, 4);
        } else {
          const auto value = static_cast<float>(object.numbers[number]);
          Raw(&value, 4);
        }
      }
    }
    for (const d3dx::XDataObject& child : object.children) Object(child);
    Token(kClose);
  }

  // The kinds of the template's members in order, arrays expanded by their sizes.
  void Members(const d3dx::XTemplate& type, const d3dx::XDataObject& object) {
    std::vector<double> scalars(type.members.size(), 0);
    for (size_t m = 0; m < type.members.size(); ++m) {
      const d3dx::XTemplateMember& member = type.members[m];
      const std::vector<int> sizes = d3dx::XArraySizeMembers(type, m);
      size_t count = 1;
      for (size_t d = 0; d < sizes.size(); ++d)
        count *= sizes[d] < 0 ? member.dimensions[d].size
                              : static_cast<size_t>(scalars[static_cast<size_t>(sizes[d])]);
      for (size_t e = 0; e < count; ++e) {
        if (member.primitive == d3dx::XPrimitive::None) {
          Members(*document_.templates.Find(member.typeName), object);
        } else if (d3dx::IsStringPrimitive(member.primitive)) {
          kinds_.push_back(Kind::String);
        } else {
          if (sizes.empty()) scalars[m] = object.numbers[NumbersSoFar()];
          kinds_.push_back(d3dx::IsFloatPrimitive(member.primitive) ? Kind::Float : Kind::Integer);
        }
      }
    }
  }

  size_t NumbersSoFar() const {
    size_t numbers = 0;
    for (Kind kind : kinds_) numbers += kind != Kind::String ? 1 : 0;
    return numbers;
  }

  const d3dx::XFileDocument& document_;
  std::string bytes_;
  std::vector<Kind> kinds_;
};

}  // namespace xtest
