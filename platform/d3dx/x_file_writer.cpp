#include "platform/d3dx/x_file_writer.h"

#include <charconv>
#include <cstdio>
#include <fstream>

namespace d3dx {
namespace {

constexpr size_t kValuesPerLine = 16;

class TextWriter {
 public:
  explicit TextWriter(const XFileDocument& document) : document_(document) {}

  std::string Write() {
    out_ = document_.floatBits == 64 ? "xof 0303txt 0064\n" : "xof 0303txt 0032\n";
    for (const XTemplate& declared : document_.declaredTemplates) WriteTemplate(declared);
    for (const XDataObject& object : document_.objects) WriteObject(object, 0);
    return std::move(out_);
  }

 private:
  void Indent(int depth) { out_.append(static_cast<size_t>(depth), ' '); }

  void WriteGuid(const XGuid& guid) {
    char text[40];
    std::snprintf(text, sizeof text, "<%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x>",
                  guid.data1, guid.data2, guid.data3, guid.data4[0], guid.data4[1], guid.data4[2],
                  guid.data4[3], guid.data4[4], guid.data4[5], guid.data4[6], guid.data4[7]);
    out_ += text;
  }

  void WriteTemplate(const XTemplate& declared) {
    out_ += "template " + declared.name + " {\n ";
    WriteGuid(declared.guid);
    out_ += '\n';
    for (const XTemplateMember& member : declared.members) {
      out_ += member.dimensions.empty() ? " " : " array ";
      out_ += member.primitive == XPrimitive::None
                  ? member.typeName
                  : std::string(XPrimitiveKeyword(member.primitive));
      if (!member.name.empty()) out_ += " " + member.name;
      for (const XArrayDimension& dimension : member.dimensions) {
        out_ += "[" +
                (dimension.member.empty() ? std::to_string(dimension.size) : dimension.member) +
                "]";
      }
      out_ += ";\n";
    }
    if (declared.children == XChildRule::Open) out_ += " [...]\n";
    if (declared.children == XChildRule::Restricted) {
      out_ += " [";
      for (size_t i = 0; i < declared.allowedChildren.size(); ++i) {
        out_ += (i > 0 ? ", " : "") + declared.allowedChildren[i];
      }
      out_ += "]\n";
    }
    out_ += "}\n\n";
  }

  void WriteObject(const XDataObject& object, int depth) {
    Indent(depth);
    if (object.isReference) {
      out_ += "{ " + object.name;
      if (object.guid) {
        out_ += object.name.empty() ? "" : " ";
        WriteGuid(*object.guid);
      }
      out_ += " }\n";
      return;
    }
    const XTemplate* type = document_.templates.Find(object.templateName);
    if (type == nullptr) throw XFileError("no template '" + object.templateName + "' to write by");
    out_ += object.templateName;
    if (!object.name.empty()) out_ += " " + object.name;
    out_ += " {\n";
    if (object.guid) {
      Indent(depth + 1);
      WriteGuid(*object.guid);
      out_ += '\n';
    }
    object_ = &object;
    number_ = 0;
    string_ = 0;
    WriteMembers(*type, depth + 1, true);
    if (number_ != object.numbers.size() || string_ != object.strings.size()) {
      throw XFileError(object.templateName + " '" + object.name +
                       "' holds more values than its template");
    }
    for (const XDataObject& child : object.children) WriteObject(child, depth + 1);
    Indent(depth);
    out_ += "}\n";
  }

  // Writes the members of one instance of a template; at the top of an object each member gets
  // its own line, inside an array element they follow each other.
  void WriteMembers(const XTemplate& type, int depth, bool ownLines) {
    const size_t base = counts_.size();
    counts_.resize(base + type.members.size(), 0);
    for (size_t i = 0; i < type.members.size(); ++i) {
      const XTemplateMember& member = type.members[i];
      if (ownLines) Indent(depth);
      const XTemplate* memberType = nullptr;
      if (member.primitive == XPrimitive::None) {
        memberType = document_.templates.Find(member.typeName);
        if (memberType == nullptr) throw XFileError("no template '" + member.typeName + "'");
      }
      if (member.dimensions.empty()) {
        if (memberType != nullptr) {
          WriteMembers(*memberType, depth, false);
        } else {
          counts_[base + i] = WriteValue(member.primitive);
        }
        out_ += ';';
      } else {
        uint64_t count = 1;
        std::vector<int> sizeMembers = XArraySizeMembers(type, i);
        for (size_t d = 0; d < member.dimensions.size(); ++d) {
          count *= sizeMembers[d] < 0 ? member.dimensions[d].size
                                      : static_cast<uint64_t>(counts_[base + sizeMembers[d]]);
        }
        WriteArray(member, memberType, count, depth);
      }
      if (ownLines) out_ += '\n';
    }
    counts_.resize(base);
  }

  void WriteArray(const XTemplateMember& member, const XTemplate* memberType, uint64_t count,
                  int depth) {
    if (count == 0) {
      out_ += ';';
      return;
    }
    for (uint64_t k = 0; k < count; ++k) {
      if (k > 0) {
        out_ += ',';
        if (memberType != nullptr || k % kValuesPerLine == 0) {
          out_ += '\n';
          Indent(depth);
        }
      }
      if (memberType != nullptr) {
        WriteMembers(*memberType, depth, false);
      } else {
        WriteValue(member.primitive);
      }
    }
    out_ += ';';
  }

  int64_t WriteValue(XPrimitive primitive) {
    if (IsStringPrimitive(primitive)) {
      if (string_ >= object_->strings.size()) Short();
      out_ += '"';
      for (char c : object_->strings[string_++]) {
        if (c == '"' || c == '\\') out_ += '\\';
        out_ += c;
      }
      out_ += '"';
      return 0;
    }
    if (number_ >= object_->numbers.size()) Short();
    double value = object_->numbers[number_++];
    char text[32];
    std::to_chars_result result;
    if (primitive == XPrimitive::Float && document_.floatBits == 32) {
      result = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    } else if (IsFloatPrimitive(primitive)) {
      result = std::to_chars(text, text + sizeof text, value);
    } else {
      result = std::to_chars(text, text + sizeof text, static_cast<int64_t>(value));
    }
    out_.append(text, result.ptr);
    return IsFloatPrimitive(primitive) ? 0 : static_cast<int64_t>(value);
  }

  [[noreturn]] void Short() const {
    throw XFileError(object_->templateName + " '" + object_->name +
                     "' holds fewer values than its template");
  }

  const XFileDocument& document_;
  std::string out_;
  const XDataObject* object_ = nullptr;
  size_t number_ = 0;
  size_t string_ = 0;
  std::vector<int64_t> counts_;
};

}  // namespace

std::string WriteXText(const XFileDocument& document) { return TextWriter(document).Write(); }

void WriteXTextFile(const XFileDocument& document, const std::filesystem::path& path) {
  std::string text = WriteXText(document);
  std::ofstream file(path, std::ios::binary);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!file) throw XFileError("cannot write X file " + path.string());
}

}  // namespace d3dx
