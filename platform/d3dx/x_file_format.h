// The data model of X model files: templates, data objects and the document that holds them.
//
// An X file is a sequence of template declarations and data objects. A template names a record
// layout: members of a primitive type (WORD, DWORD, FLOAT, DOUBLE, CHAR, UCHAR, SWORD, SDWORD,
// STRING, CSTRING, UNICODE) or of another template, each either single or an array whose
// dimensions are fixed numbers or earlier integer members of the same template; it ends with the
// rule for child objects (none, any "[...]", or a list of allowed templates). A data object names
// its template, has an optional name and an optional GUID, holds the template's members in order,
// then its child data objects and references to named objects elsewhere in the file.
//
// A data object keeps its members flattened in declaration order, arrays expanded: every number in
// `numbers` (integers exactly, FLOAT rounded to 32 bits in files of 32-bit floats) and every string
// in `strings`. The template says which stream the next member comes from, so no information is
// lost and the writer can lay the members out again.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace d3dx {

// A file that cannot be read, or data that contradicts its own counts.
class XFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// 16 bytes in the order of the file: one 32-bit, two 16-bit fields, then eight bytes.
struct XGuid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};
  bool operator==(const XGuid&) const = default;
};

enum class XPrimitive : uint8_t {
  None,  // the member is of a template type
  Word,
  Dword,
  Float,
  Double,
  Char,
  UChar,
  SWord,
  SDword,
  String,
  CString,
  Unicode,
};

bool IsStringPrimitive(XPrimitive primitive);
bool IsFloatPrimitive(XPrimitive primitive);
// The keyword of the text form ("DWORD", "STRING", ...), and back (BYTE and LPSTR are accepted as
// other spellings of UCHAR and STRING); None when the word is no primitive type.
std::string_view XPrimitiveKeyword(XPrimitive primitive);
XPrimitive XPrimitiveFromKeyword(std::string_view word);

// One array dimension: a fixed size, or the value of an earlier member of the same template.
struct XArrayDimension {
  uint32_t size = 0;
  std::string member;  // empty for a fixed size
  bool operator==(const XArrayDimension&) const = default;
};

struct XTemplateMember {
  XPrimitive primitive = XPrimitive::None;
  std::string typeName;  // the member's template when primitive is None
  std::string name;
  std::vector<XArrayDimension> dimensions;  // empty when the member is not an array
  bool operator==(const XTemplateMember&) const = default;
};

// For each dimension of the member at `index`: the index of the earlier integer member that holds
// its size, or -1 for a fixed size. Throws XFileError when a named size is no such member.
struct XTemplate;
std::vector<int> XArraySizeMembers(const XTemplate& type, size_t index);

enum class XChildRule : uint8_t { Closed, Open, Restricted };

struct XTemplate {
  std::string name;
  XGuid guid;
  std::vector<XTemplateMember> members;
  XChildRule children = XChildRule::Closed;
  std::vector<std::string> allowedChildren;  // for Restricted
  bool operator==(const XTemplate&) const = default;
};

// Compares template and object names the way the files use them: without regard to letter case
// (exporters write "TextureFileName" for "TextureFilename").
struct XNameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// Templates by name. Declaring a name again replaces the earlier template. Copies share their
// templates until one of them adds one, so every read can start from the registered set cheaply.
class XTemplateSet {
 public:
  void Add(XTemplate declared);
  const XTemplate* Find(std::string_view name) const;
  size_t Size() const { return byName_ ? byName_->size() : 0; }

 private:
  using Map = std::map<std::string, XTemplate, XNameLess>;
  std::shared_ptr<Map> byName_;
};

// A data object, or a reference to one (isReference: name and guid say what it refers to, and
// target is set when the file has been read).
struct XDataObject {
  std::string templateName;
  std::string name;
  std::optional<XGuid> guid;
  std::vector<double> numbers;
  std::vector<std::string> strings;
  std::vector<XDataObject> children;
  bool isReference = false;
  const XDataObject* target = nullptr;

  // The object itself, or for a reference the object it refers to.
  const XDataObject& Resolved() const { return target != nullptr ? *target : *this; }
};

// Same template, name, GUID, members and children (references by what they name).
bool SameContent(const XDataObject& a, const XDataObject& b);

enum class XEncoding : uint8_t { Text, Binary };

// A file as read: its header fields, the templates that it declared itself (in file order), every
// template known while it was read, and its top-level data objects. Objects of templates that
// were not known are left out. Not copyable: references point into the tree.
struct XFileDocument {
  XEncoding encoding = XEncoding::Text;
  bool compressed = false;
  uint32_t floatBits = 32;  // 32 or 64
  std::vector<XTemplate> declaredTemplates;
  XTemplateSet templates;
  std::vector<XDataObject> objects;

  XFileDocument() = default;
  XFileDocument(XFileDocument&&) = default;
  XFileDocument& operator=(XFileDocument&&) = default;
  XFileDocument(const XFileDocument&) = delete;
  XFileDocument& operator=(const XFileDocument&) = delete;
};

// Reads a data object's members in order, refusing to read past them.
class XDataCursor {
 public:
  explicit XDataCursor(const XDataObject& object) : object_(object) {}
  double Number(const char* what);
  uint32_t Dword(const char* what);
  float Float(const char* what) { return static_cast<float>(Number(what)); }
  const std::string& String(const char* what);
  size_t NumbersLeft() const { return object_.numbers.size() - number_; }

 private:
  [[noreturn]] void Missing(const char* what) const;

  const XDataObject& object_;
  size_t number_ = 0;
  size_t string_ = 0;
};

}  // namespace d3dx
