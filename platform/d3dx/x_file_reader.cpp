#include "platform/d3dx/x_file_reader.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <set>
#include <type_traits>
#include <unordered_map>

#include "platform/win/byte_reader.h"

namespace d3dx {
namespace {

constexpr size_t kHeaderBytes = 16;
constexpr size_t kMaxFileBytes = size_t{256} << 20;  // larger inputs are refused [bytes]
constexpr size_t kDeflateWindowBytes = 32768;        // how far a block may refer back [bytes]
constexpr int kMaxObjectDepth = 128;
constexpr int kMaxTemplateNesting = 32;

// Tokens of the binary form.
enum BinaryToken : uint16_t {
  kTokenName = 1,
  kTokenString = 2,
  kTokenInteger = 3,
  kTokenGuid = 5,
  kTokenIntegerList = 6,
  kTokenFloatList = 7,
  kTokenOBrace = 10,
  kTokenCBrace = 11,
  kTokenOBracket = 14,
  kTokenCBracket = 15,
  kTokenDot = 18,
  kTokenComma = 19,
  kTokenSemicolon = 20,
  kTokenTemplate = 31,
  kTokenWord = 40,
  kTokenDword = 41,
  kTokenFloat = 42,
  kTokenDouble = 43,
  kTokenChar = 44,
  kTokenUChar = 45,
  kTokenSWord = 46,
  kTokenSDword = 47,
  kTokenLpstr = 49,
  kTokenUnicode = 50,
  kTokenCString = 51,
  kTokenArray = 52,
};

// What comes next, in the terms the parser needs for either form.
enum class Kind : uint8_t {
  End,
  Name,
  String,
  Number,
  Guid,
  OBrace,
  CBrace,
  OBracket,
  CBracket,
  Dot,
  Template,
  Array,
  Primitive,
};

const char* KindText(Kind kind) {
  switch (kind) {
    case Kind::End:
      return "the end of the file";
    case Kind::Name:
      return "a name";
    case Kind::String:
      return "a string";
    case Kind::Number:
      return "a number";
    case Kind::Guid:
      return "a GUID";
    case Kind::OBrace:
      return "'{'";
    case Kind::CBrace:
      return "'}'";
    case Kind::OBracket:
      return "'['";
    case Kind::CBracket:
      return "']'";
    case Kind::Dot:
      return "'.'";
    case Kind::Template:
      return "'template'";
    case Kind::Array:
      return "'array'";
    case Kind::Primitive:
      return "a type keyword";
  }
  return "?";
}

struct Header {
  XEncoding encoding = XEncoding::Text;
  bool compressed = false;
  uint32_t floatBits = 32;
};

Header ParseHeader(std::span<const uint8_t> file) {
  if (file.size() < kHeaderBytes) throw XFileError("not an X file: shorter than its header");
  std::string_view text(reinterpret_cast<const char*>(file.data()), kHeaderBytes);
  if (text.substr(0, 4) != "xof ")
    throw XFileError("not an X file: it does not start with \"xof \"");
  Header header;
  std::string_view encoding = text.substr(8, 4);
  if (encoding == "txt ") {
    header.encoding = XEncoding::Text;
  } else if (encoding == "bin ") {
    header.encoding = XEncoding::Binary;
  } else if (encoding == "tzip") {
    header = {XEncoding::Text, true, 32};
  } else if (encoding == "bzip") {
    header = {XEncoding::Binary, true, 32};
  } else {
    throw XFileError("unknown X file encoding '" + std::string(encoding) + "'");
  }
  std::string_view floatSize = text.substr(12, 4);
  if (floatSize == "0064") {
    header.floatBits = 64;
  } else if (floatSize != "0032") {
    throw XFileError("unsupported X file float size '" + std::string(floatSize) + "'");
  }
  return header;
}

std::vector<uint8_t> Inflate(std::span<const uint8_t> body) {
  win::ByteReader reader(body);
  uint32_t wholeSize = reader.U32();
  if (!reader.Ok() || wholeSize < kHeaderBytes || wholeSize - kHeaderBytes > kMaxFileBytes) {
    throw XFileError("compressed X file: bad uncompressed size");
  }
  const size_t expected = wholeSize - kHeaderBytes;
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw XFileError("compressed X file: no inflater");
  struct Ender {
    z_stream& stream;
    ~Ender() { inflateEnd(&stream); }
  } ender{stream};

  std::vector<uint8_t> out;
  while (out.size() < expected) {
    const size_t blockOffset = kHeaderBytes + reader.Position();
    uint16_t plainSize = reader.U16();
    uint16_t packedSize = reader.U16();
    auto block = reader.Bytes(packedSize);
    if (!reader.Ok()) {
      throw XFileError("compressed X file ends inside the block at byte " +
                       std::to_string(blockOffset));
    }
    if (packedSize < 2 || block[0] != 'C' || block[1] != 'K') {
      throw XFileError("compressed X file: block at byte " + std::to_string(blockOffset) +
                       " lacks its \"CK\" signature");
    }
    if (plainSize > expected - out.size()) {
      throw XFileError("compressed X file: blocks hold more than its stated size");
    }
    inflateReset(&stream);
    if (!out.empty()) {
      size_t window = std::min(out.size(), kDeflateWindowBytes);
      inflateSetDictionary(&stream, out.data() + out.size() - window, static_cast<uInt>(window));
    }
    const size_t start = out.size();
    out.resize(start + plainSize);
    stream.next_in = const_cast<Bytef*>(block.data() + 2);
    stream.avail_in = packedSize - 2;
    stream.next_out = out.data() + start;
    stream.avail_out = plainSize;
    int result = inflate(&stream, Z_FINISH);
    if (result != Z_STREAM_END || stream.avail_out != 0) {
      throw XFileError("compressed X file: block at byte " + std::to_string(blockOffset) +
                       " is damaged");
    }
  }
  return out;
}

// ---- text form ----

// Characters that end a name or a number: white space and punctuation.
bool IsTextDelimiter(char c) {
  return std::string_view(" \t\r\n\f\v{}[]<>;,\"").find(c) != std::string_view::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class TextSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}

  size_t Size() const { return text_.size(); }

  [[noreturn]] void Fail(const std::string& message) const {
    size_t line = 1 + static_cast<size_t>(std::count(text_.begin(), text_.begin() + pos_, '\n'));
    throw XFileError("line " + std::to_string(line) + ": " + message);
  }

  Kind Peek() {
    SkipSpace();
    if (pos_ >= text_.size()) return Kind::End;
    char c = text_[pos_];
    switch (c) {
      case '{':
        return Kind::OBrace;
      case '}':
        return Kind::CBrace;
      case '[':
        return Kind::OBracket;
      case ']':
        return Kind::CBracket;
      case '<':
        return Kind::Guid;
      case '"':
        return Kind::String;
      case '.':
        return pos_ + 1 < text_.size() && text_[pos_ + 1] >= '0' && text_[pos_ + 1] <= '9'
                   ? Kind::Number
                   : Kind::Dot;
      case '-':
      case '+':
        return Kind::Number;
      default:
        break;
    }
    if (c >= '0' && c <= '9') return Kind::Number;
    std::string_view word = Word();
    if (word == "template") return Kind::Template;
    if (word == "array") return Kind::Array;
    if (XPrimitiveFromKeyword(word) != XPrimitive::None) return Kind::Primitive;
    return Kind::Name;
  }

  void Take(Kind kind) {
    Kind found = Peek();
    if (found != kind)
      Fail(std::string("expected ") + KindText(kind) + ", found " + KindText(found));
    if (kind == Kind::Dot) {
      while (pos_ < text_.size() && text_[pos_] == '.') ++pos_;
    } else if (kind == Kind::Template || kind == Kind::Array) {
      pos_ += Word().size();
    } else {
      ++pos_;
    }
  }

  std::string TakeName() {
    SkipSpace();
    std::string_view word = Word();
    if (word.empty()) Fail(std::string("expected a name, found ") + KindText(Peek()));
    pos_ += word.size();
    return std::string(word);
  }

  XPrimitive TakePrimitive() {
    SkipSpace();
    std::string_view word = Word();
    XPrimitive primitive = XPrimitiveFromKeyword(word);
    if (primitive == XPrimitive::None) Fail("expected a type, found '" + std::string(word) + "'");
    pos_ += word.size();
    return primitive;
  }

  XGuid TakeGuid() {
    SkipSpace();
    size_t close = text_.find('>', pos_);
    if (pos_ >= text_.size() || text_[pos_] != '<' || close == std::string_view::npos) {
      Fail("expected a GUID in angle brackets");
    }
    std::string hex;
    for (char c : text_.substr(pos_ + 1, close - pos_ - 1)) {
      if (HexDigit(c) >= 0) {
        hex += c;
      } else if (c != '-' && c != ' ') {
        Fail("bad character in GUID");
      }
    }
    if (hex.size() != 32) Fail("a GUID has 32 hexadecimal digits");
    auto field = [&hex](size_t first, size_t digits) {
      uint32_t value = 0;
      for (size_t i = first; i < first + digits; ++i) value = value * 16 + HexDigit(hex[i]);
      return value;
    };
    XGuid guid;
    guid.data1 = field(0, 8);
    guid.data2 = static_cast<uint16_t>(field(8, 4));
    guid.data3 = static_cast<uint16_t>(field(12, 4));
    for (size_t i = 0; i < 8; ++i) guid.data4[i] = static_cast<uint8_t>(field(16 + 2 * i, 2));
    pos_ = close + 1;
    return guid;
  }

  int64_t TakeInteger() { return TakeNumber<int64_t>("an integer"); }

  double TakeFloat() { return TakeNumber<double>("a number"); }

  std::string TakeString() {
    if (Peek() != Kind::String) Fail(std::string("expected a string, found ") + KindText(Peek()));
    std::string value;
    for (++pos_; pos_ < text_.size(); ++pos_) {
      char c = text_[pos_];
      if (c == '"') {
        ++pos_;
        return value;
      }
      if (c == '\\' && pos_ + 1 < text_.size() &&
          (text_[pos_ + 1] == '\\' || text_[pos_ + 1] == '"')) {
        c = text_[++pos_];
      }
      value += c;
    }
    Fail("string runs to the end of the file");
  }

  // Passes over the rest of an object whose '{' has been taken.
  void SkipBody() {
    int depth = 1;
    while (depth > 0) {
      switch (Peek()) {
        case Kind::End:
          Fail("file ends inside an object");
        case Kind::OBrace:
          ++depth;
          ++pos_;
          break;
        case Kind::CBrace:
          --depth;
          ++pos_;
          break;
        case Kind::String:
          TakeString();
          break;
        case Kind::Guid:
          TakeGuid();
          break;
        default: {
          size_t length = std::max<size_t>(1, Word().size());
          pos_ += length;
        }
      }
    }
  }

  void EndMembers() {}

  size_t ValuesAhead() const { return 0; }

  // An array dimension follows its member's name directly; a '[' after the member's ';' opens the
  // template's child rule instead.
  bool DimensionFollows() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    return pos_ < text_.size() && text_[pos_] == '[';
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == ',' ||
          c == ';') {
        ++pos_;
      } else if (c == '#' || (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/')) {
        size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else {
        return;
      }
    }
  }

  template <class Number>
  Number TakeNumber(const char* expected) {
    SkipSpace();
    size_t start = pos_ < text_.size() && text_[pos_] == '+' ? pos_ + 1 : pos_;
    Number value{};
    auto [end, error] = std::from_chars(text_.data() + start, text_.data() + text_.size(), value);
    // "1.5" where an integer belongs is an error, not 1 followed by ".5".
    bool fraction = std::is_integral_v<Number> && end < text_.data() + text_.size() && *end == '.';
    if (error != std::errc() || fraction) {
      Fail(std::string("expected ") + expected + ", found '" + std::string(Word()) + "'");
    }
    pos_ = static_cast<size_t>(end - text_.data());
    return value;
  }

  std::string_view Word() const {
    size_t end = pos_;
    while (end < text_.size() && !IsTextDelimiter(text_[end])) ++end;
    return text_.substr(pos_, end - pos_);
  }

  std::string_view text_;
  size_t pos_ = 0;
};

// ---- binary form ----

class BinarySource {
 public:
  BinarySource(std::span<const uint8_t> bytes, uint32_t floatBits)
      : reader_(bytes), floatBits_(floatBits) {}

  size_t Size() const { return reader_.Size(); }

  [[noreturn]] void Fail(const std::string& message) const {
    throw XFileError("byte " + std::to_string(kHeaderBytes + tokenStart_) + ": " + message);
  }

  Kind Peek() {
    if (pending_ > 0) return Kind::Number;
    for (;;) {
      if (reader_.AtEnd()) return Kind::End;
      size_t at = reader_.Position();
      if (reader_.Remaining() < 2) {
        tokenStart_ = at;
        Fail("file ends inside a token");
      }
      uint16_t token = reader_.U16();
      reader_.Seek(at);
      switch (token) {
        case kTokenComma:
        case kTokenSemicolon:
          reader_.Skip(2);
          continue;
        case kTokenName:
          return Kind::Name;
        case kTokenString:
          return Kind::String;
        case kTokenInteger:
        case kTokenIntegerList:
        case kTokenFloatList:
          return Kind::Number;
        case kTokenGuid:
          return Kind::Guid;
        case kTokenOBrace:
          return Kind::OBrace;
        case kTokenCBrace:
          return Kind::CBrace;
        case kTokenOBracket:
          return Kind::OBracket;
        case kTokenCBracket:
          return Kind::CBracket;
        case kTokenDot:
          return Kind::Dot;
        case kTokenTemplate:
          return Kind::Template;
        case kTokenArray:
          return Kind::Array;
        default:
          if (PrimitiveOf(token) != XPrimitive::None) return Kind::Primitive;
          tokenStart_ = at;
          Fail("unknown token " + std::to_string(token));
      }
    }
  }

  void Take(Kind kind) {
    Kind found = Peek();
    if (found != kind)
      Fail(std::string("expected ") + KindText(kind) + ", found " + KindText(found));
    NextToken();
  }

  std::string TakeName() { return TakeCounted(Kind::Name); }

  std::string TakeString() { return TakeCounted(Kind::String); }

  XPrimitive TakePrimitive() {
    if (Peek() != Kind::Primitive) Fail(std::string("expected a type, found ") + KindText(Peek()));
    return PrimitiveOf(NextToken());
  }

  XGuid TakeGuid() {
    Take(Kind::Guid);
    XGuid guid;
    guid.data1 = reader_.U32();
    guid.data2 = reader_.U16();
    guid.data3 = reader_.U16();
    auto tail = reader_.Bytes(8);
    if (!reader_.Ok()) Fail("file ends inside a GUID");
    std::copy(tail.begin(), tail.end(), guid.data4.begin());
    return guid;
  }

  int64_t TakeInteger() {
    if (pending_ == 0) {
      Kind found = Peek();
      if (found != Kind::Number) Fail(std::string("expected an integer, found ") + KindText(found));
      uint16_t token = NextToken();
      if (token == kTokenInteger) return Checked(reader_.U32());
      if (token != kTokenIntegerList) Fail("expected an integer, found a list of floats");
      StartList(false);
      return TakeInteger();
    }
    if (pendingFloats_) Fail("expected an integer, found a list of floats");
    --pending_;
    return Checked(reader_.U32());
  }

  double TakeFloat() {
    if (pending_ == 0) {
      Kind found = Peek();
      if (found != Kind::Number) Fail(std::string("expected a number, found ") + KindText(found));
      if (NextToken() != kTokenFloatList) Fail("expected a float, found an integer");
      StartList(true);
      return TakeFloat();
    }
    if (!pendingFloats_) Fail("expected a float, found a list of integers");
    --pending_;
    double value = floatBits_ == 64 ? reader_.F64() : reader_.F32();
    if (!reader_.Ok()) Fail("file ends inside a list of floats");
    return value;
  }

  // Passes over the rest of an object whose '{' has been taken.
  void SkipBody() {
    int depth = 1;
    while (depth > 0) {
      if (Peek() == Kind::End) Fail("file ends inside an object");
      uint16_t token = NextToken();
      size_t skip = 0;
      switch (token) {
        case kTokenOBrace:
          ++depth;
          break;
        case kTokenCBrace:
          --depth;
          break;
        case kTokenName:
        case kTokenString:
          skip = reader_.U32();
          break;
        case kTokenInteger:
          skip = 4;
          break;
        case kTokenGuid:
          skip = 16;
          break;
        case kTokenIntegerList:
          skip = size_t{reader_.U32()} * 4;
          break;
        case kTokenFloatList:
          skip = size_t{reader_.U32()} * (floatBits_ / 8);
          break;
        default:
          break;
      }
      if (!reader_.Skip(skip)) Fail("file ends inside a token");
    }
  }

  void EndMembers() {
    if (pending_ > 0) Fail("the object holds more values than its template");
  }

  // Values of the current list not read yet (as far as the file holds them): all of them belong
  // to the object being read.
  size_t ValuesAhead() const { return std::min<size_t>(pending_, reader_.Remaining() / 4); }

  bool DimensionFollows() {
    size_t at = reader_.Position();
    bool follows = reader_.U16() == kTokenOBracket && reader_.Ok();
    reader_.Seek(at);
    return follows;
  }

 private:
  static XPrimitive PrimitiveOf(uint16_t token) {
    switch (token) {
      case kTokenWord:
        return XPrimitive::Word;
      case kTokenDword:
        return XPrimitive::Dword;
      case kTokenFloat:
        return XPrimitive::Float;
      case kTokenDouble:
        return XPrimitive::Double;
      case kTokenChar:
        return XPrimitive::Char;
      case kTokenUChar:
        return XPrimitive::UChar;
      case kTokenSWord:
        return XPrimitive::SWord;
      case kTokenSDword:
        return XPrimitive::SDword;
      case kTokenLpstr:
        return XPrimitive::String;
      case kTokenUnicode:
        return XPrimitive::Unicode;
      case kTokenCString:
        return XPrimitive::CString;
      default:
        return XPrimitive::None;
    }
  }

  uint16_t NextToken() {
    tokenStart_ = reader_.Position();
    return reader_.U16();
  }

  int64_t Checked(uint32_t value) const {
    if (!reader_.Ok()) Fail("file ends inside a list of integers");
    return value;
  }

  void StartList(bool floats) {
    pending_ = reader_.U32();
    pendingFloats_ = floats;
    if (!reader_.Ok()) Fail("file ends inside a list");
    if (pending_ == 0) Fail("empty list");
  }

  std::string TakeCounted(Kind kind) {
    Take(kind);
    uint32_t count = reader_.U32();
    auto bytes = reader_.Bytes(count);
    if (!reader_.Ok()) Fail(std::string("file ends inside ") + KindText(kind));
    return std::string(bytes.begin(), bytes.end());
  }

  win::ByteReader reader_;
  uint32_t floatBits_;
  size_t tokenStart_ = 0;
  uint32_t pending_ = 0;
  bool pendingFloats_ = false;
};

// ---- grammar, the same for both forms ----

template <class Source>
class Parser {
 public:
  Parser(Source& source, XFileDocument& document, bool templatesOnly)
      : source_(source), document_(document), templatesOnly_(templatesOnly) {}

  void Run() {
    for (;;) {
      Kind next = source_.Peek();
      if (next == Kind::End) return;
      if (next == Kind::Template) {
        ParseTemplate();
      } else if (auto object = ParseObject(0)) {
        document_.objects.push_back(std::move(*object));
      }
    }
  }

  const std::set<std::string>& SkippedNames() const { return skippedNames_; }

 private:
  // Per member of a template: the member's own template and, per dimension, the index of the
  // member giving its size (-1 for a fixed size).
  struct MemberPlan {
    const XTemplate* type = nullptr;
    std::vector<int> sizeMembers;
  };
  using Plan = std::vector<MemberPlan>;

  void ParseTemplate() {
    source_.Take(Kind::Template);
    XTemplate declared;
    declared.name = source_.TakeName();
    source_.Take(Kind::OBrace);
    if (source_.Peek() == Kind::Guid) declared.guid = source_.TakeGuid();
    for (;;) {
      Kind next = source_.Peek();
      if (next == Kind::CBrace) break;
      if (next == Kind::OBracket) {
        ParseChildRule(declared);
      } else {
        declared.members.push_back(ParseMember(next));
      }
    }
    source_.Take(Kind::CBrace);
    plans_.clear();
    if (!templatesOnly_) document_.declaredTemplates.push_back(declared);
    document_.templates.Add(std::move(declared));
  }

  void ParseChildRule(XTemplate& declared) {
    source_.Take(Kind::OBracket);
    if (source_.Peek() == Kind::Dot) {
      while (source_.Peek() == Kind::Dot) source_.Take(Kind::Dot);
      declared.children = XChildRule::Open;
    } else {
      declared.children = XChildRule::Restricted;
      while (source_.Peek() != Kind::CBracket) {
        declared.allowedChildren.push_back(source_.TakeName());
        if (source_.Peek() == Kind::Guid) source_.TakeGuid();
      }
    }
    source_.Take(Kind::CBracket);
  }

  XTemplateMember ParseMember(Kind next) {
    XTemplateMember member;
    bool isArray = next == Kind::Array;
    if (isArray) {
      source_.Take(Kind::Array);
      next = source_.Peek();
    }
    if (next == Kind::Primitive) {
      member.primitive = source_.TakePrimitive();
    } else if (next == Kind::Name) {
      member.typeName = source_.TakeName();
    } else {
      source_.Fail(std::string("expected a member type, found ") + KindText(next));
    }
    if (source_.Peek() == Kind::Name) member.name = source_.TakeName();
    while (isArray && source_.DimensionFollows()) {
      source_.Take(Kind::OBracket);
      XArrayDimension dimension;
      if (source_.Peek() == Kind::Number) {
        int64_t size = source_.TakeInteger();
        if (size < 0 || size > UINT32_MAX) source_.Fail("bad array size");
        dimension.size = static_cast<uint32_t>(size);
      } else {
        dimension.member = source_.TakeName();
      }
      source_.Take(Kind::CBracket);
      member.dimensions.push_back(std::move(dimension));
    }
    if (isArray && member.dimensions.empty()) source_.Fail("array member without a size");
    return member;
  }

  const Plan& PlanFor(const XTemplate& type) {
    auto found = plans_.find(&type);
    if (found != plans_.end()) return found->second;
    Plan plan(type.members.size());
    for (size_t i = 0; i < type.members.size(); ++i) {
      const XTemplateMember& member = type.members[i];
      if (member.primitive == XPrimitive::None) {
        plan[i].type = document_.templates.Find(member.typeName);
        if (plan[i].type == nullptr) {
          source_.Fail("template '" + type.name + "' uses unknown template '" + member.typeName +
                       "'");
        }
      }
      try {
        plan[i].sizeMembers = XArraySizeMembers(type, i);
      } catch (const XFileError& error) {
        source_.Fail(error.what());
      }
    }
    return plans_.emplace(&type, std::move(plan)).first->second;
  }

  std::optional<XDataObject> ParseObject(int depth) {
    if (depth > kMaxObjectDepth) source_.Fail("objects nest too deeply");
    XDataObject object;
    object.templateName = source_.TakeName();
    if (source_.Peek() != Kind::OBrace) object.name = source_.TakeName();
    source_.Take(Kind::OBrace);
    if (source_.Peek() == Kind::Guid) object.guid = source_.TakeGuid();
    const XTemplate* type =
        templatesOnly_ ? nullptr : document_.templates.Find(object.templateName);
    if (type == nullptr) {
      source_.SkipBody();
      if (!object.name.empty()) skippedNames_.insert(object.name);
      return std::nullopt;
    }
    ReadMembers(*type, object, 0);
    source_.EndMembers();
    for (;;) {
      Kind next = source_.Peek();
      if (next == Kind::CBrace) break;
      if (next == Kind::OBrace) {
        object.children.push_back(ParseReference());
      } else if (next == Kind::Name || next == Kind::Primitive || next == Kind::Array) {
        if (auto child = ParseObject(depth + 1)) object.children.push_back(std::move(*child));
      } else {
        source_.Fail(std::string("found ") + KindText(next) + " inside " + object.templateName +
                     ", where a child object or '}' belongs");
      }
    }
    source_.Take(Kind::CBrace);
    return object;
  }

  XDataObject ParseReference() {
    source_.Take(Kind::OBrace);
    XDataObject reference;
    reference.isReference = true;
    Kind next = source_.Peek();
    if (next != Kind::Guid && next != Kind::CBrace) reference.name = source_.TakeName();
    if (source_.Peek() == Kind::Guid) reference.guid = source_.TakeGuid();
    if (reference.name.empty() && !reference.guid) source_.Fail("empty reference");
    source_.Take(Kind::CBrace);
    return reference;
  }

  void ReadMembers(const XTemplate& type, XDataObject& object, int nesting) {
    if (nesting > kMaxTemplateNesting) {
      source_.Fail("template '" + type.name + "' nests too deeply (it contains itself?)");
    }
    const Plan& plan = PlanFor(type);
    const size_t base = counts_.size();
    counts_.resize(base + type.members.size(), 0);
    for (size_t i = 0; i < type.members.size(); ++i) {
      const XTemplateMember& member = type.members[i];
      uint64_t count = 1;
      for (size_t d = 0; d < member.dimensions.size(); ++d) {
        int sizeMember = plan[i].sizeMembers[d];
        int64_t size = sizeMember < 0 ? member.dimensions[d].size : counts_[base + sizeMember];
        if (size < 0) source_.Fail("negative size of array '" + member.name + "'");
        count *= static_cast<uint64_t>(size);
        if (count > source_.Size()) {
          source_.Fail("array '" + member.name + "' of " + type.name + " claims " +
                       std::to_string(count) + " elements, more than the file holds");
        }
      }
      if (member.primitive == XPrimitive::None) {
        for (uint64_t k = 0; k < count; ++k) ReadMembers(*plan[i].type, object, nesting + 1);
      } else {
        for (uint64_t k = 0; k < count; ++k) {
          int64_t value = ReadValue(member.primitive, object);
          if (member.dimensions.empty()) counts_[base + i] = value;
        }
      }
    }
    counts_.resize(base);
  }

  // Stores one value; returns it when it is an integer (for array sizes).
  int64_t ReadValue(XPrimitive primitive, XDataObject& object) {
    if (IsStringPrimitive(primitive)) {
      object.strings.push_back(source_.TakeString());
      return 0;
    }
    if (IsFloatPrimitive(primitive)) {
      double value = source_.TakeFloat();
      if (primitive == XPrimitive::Float && document_.floatBits == 32) {
        value = static_cast<float>(value);
      }
      Store(object.numbers, value);
      return 0;
    }
    int64_t value = source_.TakeInteger();
    // The binary form stores signed values as their 32-bit pattern.
    if (primitive == XPrimitive::SDword && value > INT32_MAX && value <= UINT32_MAX) {
      value -= int64_t{1} << 32;
    }
    if (value < INT32_MIN || value > UINT32_MAX) source_.Fail("integer out of range");
    Store(object.numbers, static_cast<double>(value));
    return value;
  }

  void Store(std::vector<double>& numbers, double value) {
    if (numbers.size() == numbers.capacity()) {
      numbers.reserve(numbers.size() + std::max(source_.ValuesAhead() + 1, numbers.size()));
    }
    numbers.push_back(value);
  }

  Source& source_;
  XFileDocument& document_;
  bool templatesOnly_;
  std::unordered_map<const XTemplate*, Plan> plans_;
  std::vector<int64_t> counts_;
  std::set<std::string> skippedNames_;
};

std::set<std::string> Parse(std::span<const uint8_t> body, XFileDocument& document,
                            bool templatesOnly) {
  if (document.encoding == XEncoding::Text) {
    TextSource source(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
    Parser<TextSource> parser(source, document, templatesOnly);
    parser.Run();
    return parser.SkippedNames();
  }
  BinarySource source(body, document.floatBits);
  Parser<BinarySource> parser(source, document, templatesOnly);
  parser.Run();
  return parser.SkippedNames();
}

// Every object of the tree, parents before children, in file order.
template <class Visit>
void ForEachObject(std::vector<XDataObject>& objects, Visit visit) {
  std::vector<XDataObject*> stack;
  for (auto it = objects.rbegin(); it != objects.rend(); ++it) stack.push_back(&*it);
  while (!stack.empty()) {
    XDataObject* object = stack.back();
    stack.pop_back();
    visit(*object);
    for (auto it = object->children.rbegin(); it != object->children.rend(); ++it) {
      stack.push_back(&*it);
    }
  }
}

std::string Quoted(const XDataObject& reference) {
  return reference.name.empty() ? "by GUID" : "'" + reference.name + "'";
}

void ResolveReferences(XFileDocument& document, const std::set<std::string>& skippedNames) {
  std::unordered_map<std::string, const XDataObject*> byName;
  std::vector<const XDataObject*> withGuid;
  ForEachObject(document.objects, [&](XDataObject& object) {
    if (object.isReference) return;
    if (!object.name.empty()) byName.try_emplace(object.name, &object);
    if (object.guid) withGuid.push_back(&object);
  });
  ForEachObject(document.objects, [&](XDataObject& object) {
    if (!object.isReference) return;
    if (!object.name.empty()) {
      auto found = byName.find(object.name);
      if (found != byName.end()) object.target = found->second;
    } else {
      auto found = std::find_if(
          withGuid.begin(), withGuid.end(),
          [&](const XDataObject* candidate) { return candidate->guid == object.guid; });
      if (found != withGuid.end()) object.target = *found;
    }
    if (object.target == nullptr && !skippedNames.contains(object.name)) {
      throw XFileError("reference " + Quoted(object) + " names no object of the file");
    }
  });
}

// Refuses a reference that leads back to an object that contains it, which would make every walk
// of the tree endless.
void RefuseCycles(const XFileDocument& document) {
  enum : uint8_t { kOnPath = 1, kDone = 2 };
  std::unordered_map<const XDataObject*, uint8_t> state;
  struct Step {
    const XDataObject* object;
    size_t nextChild;
  };
  for (const XDataObject& top : document.objects) {
    if (state[&top] == kDone) continue;
    std::vector<Step> path{{&top, 0}};
    state[&top] = kOnPath;
    while (!path.empty()) {
      Step& step = path.back();
      if (step.nextChild == step.object->children.size()) {
        state[step.object] = kDone;
        path.pop_back();
        continue;
      }
      const XDataObject& child = step.object->children[step.nextChild++];
      const XDataObject* next = child.isReference ? child.target : &child;
      if (next == nullptr) continue;
      uint8_t& seen = state[next];
      if (seen == kOnPath) {
        throw XFileError("reference " + Quoted(child) + " is cyclic: it leads back into itself");
      }
      if (seen == kDone) continue;
      seen = kOnPath;
      path.push_back({next, 0});
    }
  }
}

XFileDocument ReadDocument(std::span<const uint8_t> file, const XTemplateSet& registered,
                           bool templatesOnly) {
  Header header = ParseHeader(file);
  XFileDocument document;
  document.encoding = header.encoding;
  document.compressed = header.compressed;
  document.floatBits = header.floatBits;
  document.templates = registered;
  std::span<const uint8_t> body = file.subspan(kHeaderBytes);
  std::vector<uint8_t> inflated;
  if (header.compressed) {
    inflated = Inflate(body);
    body = inflated;
  }
  std::set<std::string> skippedNames = Parse(body, document, templatesOnly);
  if (!templatesOnly) {
    ResolveReferences(document, skippedNames);
    RefuseCycles(document);
  }
  return document;
}

}  // namespace

void RegisterXTemplates(std::span<const uint8_t> file, XTemplateSet& into) {
  into = ReadDocument(file, into, true).templates;
}

void RegisterXTemplates(std::string_view file, XTemplateSet& into) {
  RegisterXTemplates(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(file.data()), file.size()), into);
}

XFileDocument ReadXFile(std::span<const uint8_t> file, const XTemplateSet& registered) {
  if (file.size() > kMaxFileBytes) throw XFileError("X file larger than 256 MiB");
  return ReadDocument(file, registered, false);
}

XFileDocument ReadXFile(const std::filesystem::path& path, const XTemplateSet& registered) {
  auto bytes = win::ReadFileBytes(path, kMaxFileBytes);
  if (!bytes) throw XFileError("cannot read X file " + path.string());
  try {
    return ReadXFile(*bytes, registered);
  } catch (const XFileError& error) {
    throw XFileError(path.filename().string() + ": " + error.what());
  }
}

}  // namespace d3dx
