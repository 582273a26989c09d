#include "platform/d3dx/x_file_format.h"

#include <algorithm>

#include "platform/win/ascii_case.h"

namespace d3dx {

bool IsStringPrimitive(XPrimitive primitive) {
  return primitive == XPrimitive::String || primitive == XPrimitive::CString ||
         primitive == XPrimitive::Unicode;
}

bool IsFloatPrimitive(XPrimitive primitive) {
  return primitive == XPrimitive::Float || primitive == XPrimitive::Double;
}

namespace {

struct PrimitiveKeyword {
  std::string_view word;
  XPrimitive primitive;
};

// The first spelling of each primitive is the one written.
constexpr PrimitiveKeyword kPrimitiveKeywords[] = {
    {"WORD", XPrimitive::Word},       {"DWORD", XPrimitive::Dword},
    {"FLOAT", XPrimitive::Float},     {"DOUBLE", XPrimitive::Double},
    {"CHAR", XPrimitive::Char},       {"UCHAR", XPrimitive::UChar},
    {"BYTE", XPrimitive::UChar},      {"SWORD", XPrimitive::SWord},
    {"SDWORD", XPrimitive::SDword},   {"STRING", XPrimitive::String},
    {"LPSTR", XPrimitive::String},    {"CSTRING", XPrimitive::CString},
    {"UNICODE", XPrimitive::Unicode},
};

}  // namespace

std::string_view XPrimitiveKeyword(XPrimitive primitive) {
  for (const auto& keyword : kPrimitiveKeywords) {
    if (keyword.primitive == primitive) return keyword.word;
  }
  return {};
}

XPrimitive XPrimitiveFromKeyword(std::string_view word) {
  for (const auto& keyword : kPrimitiveKeywords) {
    if (keyword.word == word) return keyword.primitive;
  }
  return XPrimitive::None;
}

std::vector<int> XArraySizeMembers(const XTemplate& type, size_t index) {
  const XTemplateMember& member = type.members[index];
  std::vector<int> sizeMembers;
  for (const XArrayDimension& dimension : member.dimensions) {
    int found = -1;
    for (size_t j = 0; j < index && found < 0 && !dimension.member.empty(); ++j) {
      const XTemplateMember& earlier = type.members[j];
      if (earlier.name == dimension.member && earlier.dimensions.empty() &&
          earlier.primitive != XPrimitive::None && !IsStringPrimitive(earlier.primitive) &&
          !IsFloatPrimitive(earlier.primitive)) {
        found = static_cast<int>(j);
      }
    }
    if (found < 0 && !dimension.member.empty()) {
      throw XFileError("array size '" + dimension.member + "' of template '" + type.name +
                       "' is not an earlier integer member");
    }
    sizeMembers.push_back(found);
  }
  return sizeMembers;
}

bool XNameLess::operator()(std::string_view a, std::string_view b) const {
  // Only ASCII letters fold, so the C library's locale stays out of every template lookup.
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return win::FoldAsciiCase(x) < win::FoldAsciiCase(y);
  });
}

void XTemplateSet::Add(XTemplate declared) {
  if (!byName_) {
    byName_ = std::make_shared<Map>();
  } else if (byName_.use_count() > 1) {
    byName_ = std::make_shared<Map>(*byName_);
  }
  auto found = byName_->find(declared.name);
  if (found != byName_->end()) {
    found->second = std::move(declared);
  } else {
    std::string name = declared.name;
    byName_->emplace(std::move(name), std::move(declared));
  }
}

const XTemplate* XTemplateSet::Find(std::string_view name) const {
  if (!byName_) return nullptr;
  auto found = byName_->find(name);
  return found == byName_->end() ? nullptr : &found->second;
}

bool SameContent(const XDataObject& a, const XDataObject& b) {
  if (a.isReference != b.isReference || a.name != b.name || a.guid != b.guid) return false;
  if (a.isReference) return true;
  if (a.templateName != b.templateName || a.numbers != b.numbers || a.strings != b.strings ||
      a.children.size() != b.children.size()) {
    return false;
  }
  for (size_t i = 0; i < a.children.size(); ++i) {
    if (!SameContent(a.children[i], b.children[i])) return false;
  }
  return true;
}

void XDataCursor::Missing(const char* what) const {
  std::string objectName = object_.name.empty() ? "" : " '" + object_.name + "'";
  throw XFileError(object_.templateName + objectName + ": data ends before " + what);
}

double XDataCursor::Number(const char* what) {
  if (number_ >= object_.numbers.size()) Missing(what);
  return object_.numbers[number_++];
}

uint32_t XDataCursor::Dword(const char* what) {
  double value = Number(what);
  if (!(value >= 0 && value <= 4294967295.0)) {
    throw XFileError(object_.templateName + ": " + what + " is not a count");
  }
  return static_cast<uint32_t>(value);
}

const std::string& XDataCursor::String(const char* what) {
  if (string_ >= object_.strings.size()) Missing(what);
  return object_.strings[string_++];
}

}  // namespace d3dx
