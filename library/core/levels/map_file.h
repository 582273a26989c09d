// The text formats of exported levels: map files of models and surfaces, and the material scripts
// that name each material's maps. Both parsers take the text only and never read past it, so that
// the fuzz target reaches them without files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/core/vortanautil.h"

inline constexpr size_t kMapNameChars = 255;      // model and material names are cut to this
inline constexpr size_t kMaterialMapChars = 255;  // map names of a script are cut to this

struct MapSurface {
  std::string material;
  std::vector<D3_Vertex> vertices;
  std::vector<uint16_t> indices;
};

struct MapModel {
  std::string name;
  std::vector<MapSurface> surfaces;
};

// Every "model {" of the text with its surfaces; nothing when a count, number, index or name is
// missing or wrong: counts that the rest of the text cannot hold, more vertices than 16-bit indices
// reach, an index count that is no multiple of 3, an index past the vertex count.
std::optional<std::vector<MapModel>> ParseMapText(std::string_view text);

struct MaterialMaps {
  std::string diffuse;
  std::string specular;
  std::string bump;
};

// The maps that the block following the first mention of name in script names ("diffusemap",
// "specularmap", "bumpmap" lines of its outer level); nothing when the script does not mention it.
std::optional<MaterialMaps> FindMaterialMaps(std::string_view script, std::string_view name);
