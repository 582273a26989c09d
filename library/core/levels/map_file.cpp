// The scanners of map files and material scripts: white space is space, tab, carriage return and
// line feed, "//" comments run to the end of the line and "/*" comments to "*/".
#include "library/core/levels/map_file.h"

#include <charconv>
#include <limits>

#include "platform/win/ascii_case.h"

namespace {

constexpr size_t kMaxVertices = std::numeric_limits<uint16_t>::max() + size_t{1};
constexpr size_t kMinVertexChars = 17;  // "(" and eight one-digit numbers with their spaces, ")"
constexpr size_t kMinIndexChars = 2;    // a digit and its separator

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  size_t Remaining() const { return text_.size() - position_; }

  void SkipSpace() {
    while (position_ < text_.size()) {
      const std::string_view rest = text_.substr(position_);
      if (IsSpace(rest[0])) {
        ++position_;
      } else if (rest.starts_with("//")) {
        const size_t end = rest.find('\n');
        position_ = end == std::string_view::npos ? text_.size() : position_ + end + 1;
      } else if (rest.starts_with("/*")) {
        const size_t end = rest.find("*/", 2);
        position_ = end == std::string_view::npos ? text_.size() : position_ + end + 2;
      } else {
        return;
      }
    }
  }

  // Moves past the next occurrence of word; false at the end of the text.
  bool FindAfter(std::string_view word) {
    const size_t at = text_.find(word, position_);
    if (at == std::string_view::npos) return false;
    position_ = at + word.size();
    return true;
  }

  bool Expect(char c) {
    SkipSpace();
    if (position_ >= text_.size() || text_[position_] != c) return false;
    ++position_;
    return true;
  }

  std::optional<std::string> Quoted() {
    if (!Expect('"')) return std::nullopt;
    const size_t end = text_.find('"', position_);
    if (end == std::string_view::npos) return std::nullopt;
    std::string name(text_.substr(position_, std::min(end - position_, kMapNameChars)));
    position_ = end + 1;
    return name;
  }

  template <typename T>
  std::optional<T> Number() {
    SkipSpace();
    T value{};
    const char* begin = text_.data() + position_;
    const auto [end, error] = std::from_chars(begin, text_.data() + text_.size(), value);
    if (error != std::errc{} || (end != text_.data() + text_.size() && !IsSpace(*end) &&
                                 *end != ')' && *end != '/' && *end != '}')) {
      return std::nullopt;
    }
    position_ += static_cast<size_t>(end - begin);
    return value;
  }

 private:
  std::string_view text_;
  size_t position_ = 0;
};

std::optional<MapSurface> ReadSurface(Scanner& scanner) {
  MapSurface surface;
  auto material = (scanner.Expect('{') ? scanner.Quoted() : std::nullopt);
  const auto vertexCount = scanner.Number<uint32_t>();
  const auto indexCount = scanner.Number<uint32_t>();
  if (!material || !vertexCount || !indexCount || *vertexCount > kMaxVertices ||
      *indexCount % 3 != 0 ||
      uint64_t{*vertexCount} * kMinVertexChars + uint64_t{*indexCount} * kMinIndexChars >
          scanner.Remaining() + 1) {
    return std::nullopt;
  }
  surface.material = std::move(*material);
  surface.vertices.resize(*vertexCount);
  for (D3_Vertex& vertex : surface.vertices) {
    if (!scanner.Expect('(')) return std::nullopt;
    for (float* field : {&vertex.x, &vertex.y, &vertex.z, &vertex.u, &vertex.v, &vertex.nx,
                         &vertex.ny, &vertex.nz}) {
      const auto value = scanner.Number<float>();
      if (!value) return std::nullopt;
      *field = *value;
    }
    if (!scanner.Expect(')')) return std::nullopt;
  }
  surface.indices.resize(*indexCount);
  for (uint16_t& index : surface.indices) {
    const auto value = scanner.Number<uint32_t>();
    if (!value || *value >= *vertexCount) return std::nullopt;
    index = static_cast<uint16_t>(*value);
  }
  scanner.Expect('}');
  return surface;
}

}  // namespace

std::optional<std::vector<MapModel>> ParseMapText(std::string_view text) {
  Scanner scanner(text);
  std::vector<MapModel> models;
  while (scanner.FindAfter("model {")) {
    MapModel model;
    auto name = scanner.Quoted();
    const auto surfaceCount = scanner.Number<uint32_t>();
    // A surface takes at least its braces, its name's quotes and two counts.
    if (!name || !surfaceCount || *surfaceCount > scanner.Remaining() / 8) return std::nullopt;
    model.name = std::move(*name);
    for (uint32_t surface = 0; surface < *surfaceCount; ++surface) {
      auto read = ReadSurface(scanner);
      if (!read) return std::nullopt;
      model.surfaces.push_back(std::move(*read));
    }
    models.push_back(std::move(model));
  }
  return models;
}

std::optional<MaterialMaps> FindMaterialMaps(std::string_view script, std::string_view name) {
  if (name.empty()) return std::nullopt;
  const size_t at = script.find(name);
  if (at == std::string_view::npos) return std::nullopt;
  MaterialMaps maps;
  const size_t open = script.find('{', at + name.size());
  if (open == std::string_view::npos) return maps;
  int depth = 1;
  size_t position = open + 1;
  while (position < script.size() && depth > 0) {
    const size_t end = std::min(script.find('\n', position), script.size());
    std::string_view line = script.substr(position, end - position);
    position = end + 1;
    while (!line.empty() && IsSpace(line.front())) line.remove_prefix(1);
    const size_t wordEnd = std::min(line.find_first_of(" \t\r"), line.size());
    const std::string_view keyword = line.substr(0, wordEnd);
    std::string_view rest = line.substr(wordEnd);
    while (!rest.empty() && IsSpace(rest.front())) rest.remove_prefix(1);
    const std::string_view argument =
        rest.substr(0, std::min(rest.find_first_of(" \t\r"), rest.size()));
    if (depth == 1) {
      std::string* target = win::EqualsIgnoringCase(keyword, "diffusemap")    ? &maps.diffuse
                            : win::EqualsIgnoringCase(keyword, "specularmap") ? &maps.specular
                            : win::EqualsIgnoringCase(keyword, "bumpmap")     ? &maps.bump
                                                                              : nullptr;
      if (target != nullptr) *target = argument.substr(0, kMaterialMapChars);
    }
    for (char c : line) {
      if (c == '{') ++depth;
      if (c == '}' && --depth == 0) break;
    }
  }
  return maps;
}
