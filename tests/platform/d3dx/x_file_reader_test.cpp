#include "platform/d3dx/x_file_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx/x_file_writer.h"

namespace d3dx {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

XFileDocument ReadText(std::string_view text) { return ReadXFile(Bytes(text)); }

std::string ErrorOf(std::string_view text) {
  try {
    ReadText(text);
  } catch (const XFileError& error) {
    return error.what();
  }
  return "no error";
}

// Builds binary files token by token.
class BinaryFile {
 public:
  BinaryFile() { bytes_ = "xof 0303bin 0032"; }
  BinaryFile& Token(uint16_t token) { return Raw(&token, 2); }
  BinaryFile& Name(std::string_view name) {
    Token(1);
    uint32_t size = static_cast<uint32_t>(name.size());
    Raw(&size, 4);
    bytes_ += name;
    return *this;
  }
  BinaryFile& String(std::string_view text) {
    Token(2);
    uint32_t size = static_cast<uint32_t>(text.size());
    Raw(&size, 4);
    bytes_ += text;
    return Token(20);
  }
  BinaryFile& Integers(std::vector<uint32_t> values) {
    Token(6);
    uint32_t size = static_cast<uint32_t>(values.size());
    Raw(&size, 4);
    return Raw(values.data(), 4 * values.size());
  }
  BinaryFile& Floats(std::vector<float> values) {
    Token(7);
    uint32_t size = static_cast<uint32_t>(values.size());
    Raw(&size, 4);
    return Raw(values.data(), 4 * values.size());
  }
  const std::string& Text() const { return bytes_; }

 private:
  BinaryFile& Raw(const void* data, size_t size) {
    bytes_.append(static_cast<const char*>(data), size);
    return *this;
  }
  std::string bytes_;
};

constexpr uint16_t kOBrace = 10, kCBrace = 11;

TEST(XFileReader, ReadsTextObjectsWithTheirMembersChildrenAndReferences) {
  XFileDocument document = ReadText(R"(xof 0303txt 0032
// comment
Material Red { 1.0;0.0;0.0;1.0;; 5.0; 1;1;1;; 0;0;0;; TextureFilename { "tex\\red \"a\".png"; } }
Frame Body {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 2,3,4,1;; }
  # another comment
  Mesh Quad { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 1; 4;0,1,2,3;;
    MeshMaterialList { 1; 1; 0;; { Red } }
  }
}
)");
  ASSERT_EQ(document.objects.size(), 2u);
  const XDataObject& material = document.objects[0];
  EXPECT_EQ(material.name, "Red");
  EXPECT_EQ(material.numbers, (std::vector<double>{1, 0, 0, 1, 5, 1, 1, 1, 0, 0, 0}));
  ASSERT_EQ(material.children.size(), 1u);
  EXPECT_EQ(material.children[0].strings, std::vector<std::string>{"tex\\red \"a\".png"});

  const XDataObject& frame = document.objects[1];
  ASSERT_EQ(frame.children.size(), 2u);
  EXPECT_EQ(frame.children[0].numbers.size(), 16u);
  const XDataObject& mesh = frame.children[1];
  EXPECT_EQ(mesh.templateName, "Mesh");
  EXPECT_EQ(mesh.numbers.size(), 1 + 12 + 1 + 5u);
  const XDataObject& reference = mesh.children[0].children[0];
  EXPECT_TRUE(reference.isReference);
  EXPECT_EQ(&reference.Resolved(), &document.objects[0]);
}

TEST(XFileReader, SkipsObjectsOfUnknownTemplatesWithEverythingInside) {
  XFileDocument document = ReadText(R"(xof 0303txt 0032
Gadget G { 1; "}"; Inner { 2; } { G } }
Header { 1; 0; 1; }
Frame F { { G } }
)");
  ASSERT_EQ(document.objects.size(), 2u);
  EXPECT_EQ(document.objects[0].templateName, "Header");
  // A reference to a skipped object stays unresolved rather than dangling.
  EXPECT_EQ(document.objects[1].children[0].target, nullptr);
}

TEST(XFileReader, FileTemplatesReplaceRegisteredOnesAndNameCaseIsIgnored) {
  XFileDocument document = ReadText(R"(xof 0303txt 0032
template Pair { <12345678-1234-1234-1234-123456789abc> DWORD a; array FLOAT b[a][2]; STRING c; }
Pair { 2; 1.5, 2.5, 3.5, 4.5; "x"; }
textureFILENAME { "t.bmp"; }
)");
  ASSERT_EQ(document.declaredTemplates.size(), 1u);
  EXPECT_EQ(document.declaredTemplates[0].guid.data1, 0x12345678u);
  EXPECT_EQ(document.declaredTemplates[0].guid.data4[7], 0xbcu);
  EXPECT_EQ(document.objects[0].numbers, (std::vector<double>{2, 1.5, 2.5, 3.5, 4.5}));
  EXPECT_EQ(document.objects[1].strings[0], "t.bmp");
}

// A frame with a mesh and skin weights; with selfReference the frame also refers to itself.
std::string BinaryFrame(bool selfReference) {
  BinaryFile file;
  file.Name("Frame")
      .Name("Root")
      .Token(kOBrace)
      .Name("Mesh")
      .Token(kOBrace)
      .Integers({3})
      .Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})
      .Integers({1, 3, 0, 1, 2})
      .Token(kCBrace)
      .Name("SkinWeights")
      .Token(kOBrace)
      .String("Root")
      .Integers({1, 2})
      .Floats({0.5f, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})
      .Token(kCBrace);
  if (selfReference) file.Token(kOBrace).Name("Root").Token(kCBrace);
  file.Token(kCBrace);
  return file.Text();
}

TEST(XFileReader, ReadsBinaryTokensWithValuesPackedAcrossMembers) {
  XFileDocument document = ReadText(BinaryFrame(false));
  ASSERT_EQ(document.encoding, XEncoding::Binary);
  const XDataObject& frame = document.objects.at(0);
  ASSERT_EQ(frame.children.size(), 2u);
  EXPECT_EQ(frame.children[0].numbers.size(), 1 + 9 + 1 + 4u);
  EXPECT_EQ(frame.children[1].strings[0], "Root");
  EXPECT_EQ(frame.children[1].numbers[0], 1);
  EXPECT_EQ(frame.children[1].numbers[2], 0.5);
  EXPECT_NE(ErrorOf(BinaryFrame(true)).find("'Root' is cyclic"), std::string::npos);
}

TEST(XFileReader, RefusesBrokenFilesWithAClearMessage) {
  const std::string header = "xof 0303txt 0032\n";
  struct Case {
    std::string text;
    std::string message;
  } cases[] = {
      {"xof 0303txt", "shorter than its header"},
      {"abc 0303txt 0032", "does not start with \"xof \""},
      {"xof 0303zip 0032", "unknown X file encoding"},
      {"xof 0303txt 0016", "float size"},
      {header + "Frame A { { B } }", "reference 'B' names no object"},
      {header + "Frame A { Frame B { { A } } }", "reference 'A' is cyclic"},
      {header + "Frame A { { B } } Frame B { { A } }", "cyclic"},
      {header + "Mesh { 3; 0;0;0;, 1;0;0;", "line 2: expected a number"},
      {header + "Frame A { ", "found the end of the file inside Frame"},
      {header + "Header { 1; 2; 3; 4; }", "found a number inside Header"},
      {header + "AnimationKey { 0; 9999999; 1; 4; 1,0,0,0;; }", "claims 9999999 elements"},
      {header + "TextureFilename { \"abc; }", "string runs to the end"},
      {header + "template T { <00000000-0000-0000-0000-000000000000> array DWORD d[n]; } T { }",
       "array size 'n' of template 'T'"},
      {header + "template T { <00000000-0000-0000-0000-000000000000> T t; } T { }",
       "nests too deeply"},
      {header + "template T { <00000000-0000-0000-0000-000000000000> U u; } T { }",
       "unknown template 'U'"},
      {header + "Header { 1; 2; 99999999999; }", "out of range"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(ErrorOf(c.text).find(c.message), std::string::npos)
        << c.text << "\n  gave: " << ErrorOf(c.text);
  }
}

TEST(XFileReader, RefusesTruncatedBinaryAndCompressedFiles) {
  BinaryFile file;
  file.Name("Header").Token(kOBrace).Integers({1, 2, 3}).Token(kCBrace);
  ASSERT_NO_THROW(ReadText(file.Text()));
  for (size_t cut = 17; cut < file.Text().size(); ++cut) {
    EXPECT_THROW(ReadText(file.Text().substr(0, cut)), XFileError) << cut;
  }
  std::string compressed = "xof 0303bzip0032";
  compressed += std::string(
      "\x40\x00\x00\x00\x10\x00\x08\x00"
      "CKxxxxxx",
      16);
  EXPECT_NE(ErrorOf(compressed).find("is damaged"), std::string::npos) << ErrorOf(compressed);
  EXPECT_NE(ErrorOf(compressed.substr(0, 26)).find("ends inside the block"), std::string::npos);
}

TEST(XFileReader, RegisteredTemplatesAloneInterpretAFile) {
  XTemplateSet registered;
  const std::string file = "xof 0303txt 0032\nHeader { 1; 0; 1; }\n";
  EXPECT_TRUE(ReadText(file).objects.size() == 1);
  EXPECT_TRUE(ReadXFile(Bytes(file), registered).objects.empty());
  RegisterXTemplates(kXModelTemplates, registered);
  EXPECT_EQ(ReadXFile(Bytes(file), registered).objects.size(), 1u);
  EXPECT_EQ(registered.Find("SkinWeights"), nullptr);
  RegisterXTemplates(kXSkinTemplates, registered);
  EXPECT_NE(registered.Find("SkinWeights"), nullptr);
}

TEST(XFileWriter, WritesTextThatReadsBackTheSame) {
  XFileDocument document = ReadText(R"(xof 0303txt 0032
template Pair { <12345678-1234-1234-1234-123456789abc> DWORD a; array FLOAT b[a]; STRING c; [...] }
Pair P { <0000000a-0000-0000-0000-000000000000> 2; 0.1, 123456.7; "q\"uote\\"; Header { 1; 2; 3; } { P2 } }
Pair P2 { 0; ; ""; }
)");
  std::string text = WriteXText(document);
  XFileDocument again = ReadText(text);
  ASSERT_EQ(again.objects.size(), 2u);
  EXPECT_TRUE(SameContent(document.objects[0], again.objects[0])) << text;
  EXPECT_TRUE(SameContent(document.objects[1], again.objects[1])) << text;
  EXPECT_EQ(again.declaredTemplates, document.declaredTemplates);
  EXPECT_EQ(again.objects[0].guid->data1, 10u);
  EXPECT_EQ(again.objects[0].children[1].target, &again.objects[1]);
}

TEST(XFileWriter, RefusesObjectsThatDoNotFillTheirTemplate) {
  XFileDocument document;
  document.templates = StandardXTemplates();
  XDataObject header;
  header.templateName = "Header";
  header.numbers = {1, 2};
  document.objects.push_back(header);
  EXPECT_THROW(WriteXText(document), XFileError);
  document.objects[0].numbers = {1, 2, 3, 4};
  EXPECT_THROW(WriteXText(document), XFileError);
  document.objects[0].templateName = "Nothing";
  EXPECT_THROW(WriteXText(document), XFileError);
}

}  // namespace
}  // namespace d3dx
