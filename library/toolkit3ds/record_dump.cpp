#include "library/toolkit3ds/record_dump.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "library/toolkit3ds/error_stack.h"

namespace {

HeaderSections3ds HeaderSections;

constexpr int kSmoothGroups = 32;
constexpr size_t kHeaderLineSize = 16000;  // characters
constexpr size_t kSectionMarkerLength = 16;
constexpr size_t kEndMarkerLength = 12;

double D(float value) { return static_cast<double>(value); }

bool CheckArguments(const void* stream, const void* record) {
  if (stream == nullptr || record == nullptr) PushError3ds(ERR_INVALID_ARG);
  return stream != nullptr && record != nullptr;
}

// Four rows of three elements with their indexes.
void DumpMatrix(FILE* stream, const std::array<float, 12>& matrix) {
  for (int i = 0; i < 12; i += 3) {
    std::fprintf(stream, "[%i] %f [%i] %f [%i] %f\n", i, D(matrix[i]), i + 1, D(matrix[i + 1]),
                 i + 2, D(matrix[i + 2]));
  }
}

void DumpColor(FILE* stream, const char* label, const fcolor3ds& color) {
  std::fprintf(stream, "%s: r: %f, g: %f, b: %f\n", label, D(color.r), D(color.g), D(color.b));
}

void DumpTint(FILE* stream, const char* label, const fcolor3ds& color) {
  std::fprintf(stream, "   %s tint r: %f g: %f b: %f\n", label, D(color.r), D(color.g), D(color.b));
}

// Writes an array's declaration: elements separated by ", ", a new line before the first and
// every perLine-th one.
template <typename Write>
void DeclareArray(FILE* stream, size_t count, size_t perLine, Write write) {
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) std::fputs(", ", stream);
    if (i % perLine == 0) std::fputs("\n   ", stream);
    write(i);
  }
  std::fputs("\n};\n\n", stream);
}

void DeclareMatrix(FILE* stream, const std::array<float, 12>& matrix, const char* rowIndent) {
  for (size_t i = 0; i < matrix.size(); ++i) {
    if (i % 4 == 0) std::fprintf(stream, "\n%s", rowIndent);
    std::fprintf(stream, "%f, ", D(matrix[i]));
  }
}

// The record line of an array: its declared name, or NULL when it was not declared.
void ArrayField(FILE* stream, bool declared, const char* prefix, const char* suffix,
                const char* field) {
  if (declared) {
    std::fprintf(stream, "   %s%s, /* %s */\n", prefix, suffix, field);
  } else {
    std::fprintf(stream, "   NULL, /* %s */\n", field);
  }
}

void DeclareArrays(FILE* stream, const Mesh3ds& mesh, const char* n) {
  if (mesh.nvertices > 0 && mesh.vertexarray.size() >= mesh.nvertices) {
    std::fprintf(stream, "point3ds %sverts[%i] = {", n, mesh.nvertices);
    DeclareArray(stream, mesh.nvertices, 2, [&](size_t i) {
      const point3ds& p = mesh.vertexarray[i];
      std::fprintf(stream, "{%f, %f, %f}", D(p.x), D(p.y), D(p.z));
    });
  }
  if (mesh.ntextverts > 0 && mesh.textarray.size() >= mesh.ntextverts) {
    std::fprintf(stream, "textvert3ds %stext[%i] = {", n, mesh.ntextverts);
    DeclareArray(stream, mesh.ntextverts, 3, [&](size_t i) {
      std::fprintf(stream, "{%f, %f}", D(mesh.textarray[i].u), D(mesh.textarray[i].v));
    });
  }
  bool faces = mesh.nfaces > 0 && mesh.facearray.size() >= mesh.nfaces;
  if (faces) {
    std::fprintf(stream, "face3ds %sface[%i] = {", n, mesh.nfaces);
    DeclareArray(stream, mesh.nfaces, 2, [&](size_t i) {
      const face3ds& f = mesh.facearray[i];
      std::fprintf(stream, "{%i, %i, %i, 0x%x}", f.v1, f.v2, f.v3, f.flag);
    });
  }
  if (faces && mesh.smootharray.size() >= mesh.nfaces) {
    std::fprintf(stream, "ulong3ds %ssmooth[%i] = {", n, mesh.nfaces);
    DeclareArray(stream, mesh.nfaces, 4,
                 [&](size_t i) { std::fprintf(stream, "0x%x", mesh.smootharray[i]); });
  }
  for (size_t g = 0; g < mesh.nmats && g < mesh.matarray.size(); ++g) {
    const objmat3ds& group = mesh.matarray[g];
    if (group.nfaces == 0 || group.faceindex.size() < group.nfaces) continue;
    std::fprintf(stream, "ushort3ds %sfal%i[%i] = {", n, static_cast<int>(g), group.nfaces);
    DeclareArray(stream, group.nfaces, 6,
                 [&](size_t i) { std::fprintf(stream, "%u", group.faceindex[i]); });
  }
  if (mesh.nmats > 0 && mesh.matarray.size() >= mesh.nmats) {
    std::fprintf(stream, "objmat3ds %smats[%i] = {\n", n, mesh.nmats);
    for (size_t g = 0; g < mesh.nmats; ++g) {
      const objmat3ds& group = mesh.matarray[g];
      std::fprintf(stream, "   {\"%s\", %i, ", group.name, group.nfaces);
      if (group.nfaces > 0 && group.faceindex.size() >= group.nfaces) {
        std::fprintf(stream, "%sfal%i}", n, static_cast<int>(g));
      } else {
        std::fputs("NULL}", stream);
      }
      std::fputs(g + 1 < mesh.nmats ? ",\n" : "\n", stream);
    }
    std::fputs("\n};\n\n", stream);
  }
  // The procedure's bytes, so that the record's procdata names an array that exists.
  if (mesh.procsize > 0 && mesh.procdata.size() >= mesh.procsize) {
    std::fprintf(stream, "unsigned char %sproc[%u] = {", n, mesh.procsize);
    DeclareArray(stream, mesh.procsize, 8,
                 [&](size_t i) { std::fprintf(stream, "0x%x", mesh.procdata[i]); });
  }
}

void DeclareMapInfo(FILE* stream, const MeshMapInfo3ds& map) {
  std::fputs("   { /* m_map */\n", stream);
  std::fprintf(stream, "      %i, /* m_map.maptype */\n", map.maptype);
  const struct {
    float value;
    const char* name;
  } fields[] = {{map.tilex, "tilex"}, {map.tiley, "tiley"}, {map.cenx, "cenx"},
                {map.ceny, "ceny"},   {map.cenz, "cenz"},   {map.scale, "scale"}};
  for (const auto& field : fields)
    std::fprintf(stream, "      %f, /* m_map.%s */\n", D(field.value), field.name);
  std::fputs("      { /* m_map.matrix[12] */", stream);
  DeclareMatrix(stream, map.matrix, "         ");
  std::fputs("\n      },\n", stream);
  std::fprintf(stream, "      %f, /* m_map.pw */\n", D(map.pw));
  std::fprintf(stream, "      %f, /* m_map.ph */\n", D(map.ph));
  std::fprintf(stream, "      %f, /* m_map.ch */\n", D(map.ch));
  std::fputs("   },\n", stream);
}

bool StartsWith(const char* line, const char* marker, size_t length) {
  return std::strncmp(line, marker, length) == 0;
}

// Whether the line is one of the markers of a kind of section; *copy follows the marker.
bool TakeMarker(const char* line, const char* const (&starts)[4], const bool (&kinds)[4],
                const char* end, bool* copy) {
  for (size_t kind = 0; kind < 4; ++kind) {
    if (StartsWith(line, starts[kind], kSectionMarkerLength)) {
      if (kinds[kind]) *copy = true;
      return true;
    }
  }
  if (StartsWith(line, end, kEndMarkerLength)) {
    *copy = false;
    return true;
  }
  return false;
}

}  // namespace

void DumpMesh3ds(FILE* stream, const Mesh3ds* mesh) {
  if (!CheckArguments(stream, mesh)) return;
  std::fprintf(stream, "Mesh3ds structure contents:\n\n");
  std::fprintf(stream, "Name: %s\n", mesh->name);
  std::fprintf(stream, "Object Flags: ");
  const struct {
    uint8_t set;
    const char* text;
  } flags[] = {{mesh->ishidden, "ishidden "}, {mesh->isvislofter, "vislofter "},
               {mesh->ismatte, "ismatte "},   {mesh->isnocast, "isnocast "},
               {mesh->isfast, "isfast "},     {mesh->isnorcvshad, "isnorcvshad "},
               {mesh->isfrozen, "isfrozen"}};
  for (const auto& flag : flags) {
    if (flag.set) std::fputs(flag.text, stream);
  }
  std::fprintf(stream, "\n");
  std::fprintf(stream, "Number of vertices: %i\n", mesh->nvertices);
  std::fprintf(stream, "Number of texture coords: %i\n", mesh->ntextverts);
  if (mesh->usemapinfo) DumpMapInfo3ds(stream, &mesh->m_map);
  std::fprintf(stream, "Mesh Matrix:\n");
  DumpMatrix(stream, mesh->locmatrix);
  std::fprintf(stream, "Number of faces: %i\n", mesh->nfaces);
  std::fprintf(stream, "Mesh Color: %i\n", mesh->meshcolor);
  if (mesh->nmats != 0) {
    std::fprintf(stream, "Materials assigned to mesh:\n");
    for (size_t g = 0; g < mesh->nmats && g < mesh->matarray.size(); ++g)
      std::fprintf(stream, "%s\n", mesh->matarray[g].name);
  } else {
    std::fprintf(stream, "No materials assigned to mesh.\n");
  }
  if (!mesh->smootharray.empty()) {
    std::fprintf(stream, "Smooth groups assigned to mesh: ");
    for (int group = 0; group < kSmoothGroups; ++group) {
      uint32_t bit = 1u << group;
      for (ulong3ds word : mesh->smootharray) {
        if (word == bit) {
          std::fprintf(stream, "%i ", group);
          break;
        }
      }
    }
    std::fprintf(stream, "\n");
  }
  if (mesh->useboxmap) {
    std::fprintf(stream, "Box mapping assignment:\n");
    for (const char* side : mesh->boxmap) std::fprintf(stream, "%s\n", side);
  }
  if (mesh->procname[0] != '\0') std::fprintf(stream, "Stand-in procedure: %s\n", mesh->procname);
}

void DumpMapInfo3ds(FILE* stream, const MeshMapInfo3ds* map) {
  if (!CheckArguments(stream, map)) return;
  std::fprintf(stream, "Mapping info:\n");
  std::fprintf(stream, "m_map Type of %i\n", map->maptype);
  std::fprintf(stream, "X Tiling of %f\n", D(map->tilex));
  std::fprintf(stream, "Y Tiling of %f\n", D(map->tiley));
  std::fprintf(stream, "Icon position of %f, %f, %f\n", D(map->cenx), D(map->ceny), D(map->cenz));
  DumpMatrix(stream, map->matrix);
  std::fprintf(stream, "Scaling Value of %f\n", D(map->scale));
  std::fprintf(stream, "Planar Icon Width of %f\n", D(map->pw));
  std::fprintf(stream, "Planar Icon Height of %f\n", D(map->ph));
  std::fprintf(stream, "Cylinder Icon Height of %f\n", D(map->ch));
}

void DumpMaterial3ds(FILE* stream, const Materials3ds* m) {
  if (!CheckArguments(stream, m)) return;
  std::fprintf(stream, "Materials3ds structure contents:\n\n");
  std::fprintf(stream, "Name: %s\n", m->name);
  DumpColor(stream, "Ambient", m->ambient);
  DumpColor(stream, "Diffuse", m->diffuse);
  DumpColor(stream, "Specular", m->specular);
  std::fprintf(stream, "Shininess: %f Shininess Strength: %f\n", D(m->shininess),
               D(m->shininessstrength));
  if (m->useblur) {
    std::fprintf(stream, "Using blur of %f\n", D(m->blur));
  } else {
    std::fprintf(stream, "Not using blur, but its set to %f\n", D(m->blur));
  }
  std::fprintf(stream, "Transparency: %f\n", D(m->transparency));
  if (m->usetransparencyfalloff) {
    std::fprintf(stream, "Using transparency falloff of %f\n", D(m->transparencyfalloff));
  } else {
    std::fprintf(stream, "Not using transparency falloff, but is set to %f\n",
                 D(m->transparencyfalloff));
  }
  if (m->selfilluminated) std::fprintf(stream, "Self Illumination: %f\n", D(m->selfillumination));
  if (m->wire) std::fprintf(stream, "Wire frame size: %f\n", D(m->wireframesize));
  static constexpr const char* kShadings[] = {"Wire", "Flat", "Gouraud", "Phong", "Metal"};
  std::fprintf(stream, "Shading Style: ");
  if (m->shadingstyle >= 0 && m->shadingstyle < static_cast<int32_t>(std::size(kShadings)))
    std::fputs(kShadings[m->shadingstyle], stream);
  std::fprintf(stream, "\n");
  if (m->twosided) std::fprintf(stream, "Two Sided\n");
  std::fprintf(stream, "%s Transparency\n", m->additive ? "Additive" : "Subtractive");
  if (m->facemapping) std::fprintf(stream, "Using face mapping\n");
  if (m->phongsoftening) std::fprintf(stream, "Using phong softening\n");
  if (m->cubic.use) {
    std::fprintf(stream, "Cubic Reflection Mapping Parameters: \n");
    std::fprintf(stream, "\n");
    std::fprintf(stream, "   Flags:");
    if (m->cubic.firstframeonly) std::fprintf(stream, " [First Frame Only]");
    if (m->cubic.flatmirror) std::fprintf(stream, " [Flat Mirror]");
    if (!m->cubic.firstframeonly && !m->cubic.flatmirror) std::fprintf(stream, " None");
    std::fprintf(stream, "\n");
    std::fprintf(stream, "   m_map size: %i\n", static_cast<int>(m->cubic.mapsize));
    std::fprintf(stream, "   Nth frame: %i\n", static_cast<int>(m->cubic.nthframe));
  }
  const struct {
    const bitmap3ds& map;
    const char* heading;
  } before[] = {{m->texture, "Texture m_map contents:\n"},
                {m->texturemask, "Texture mask contents:\n"},
                {m->texturetwo, "Texture m_map two contents:\n"},
                {m->texturetwomask, "Texture mask two contents:\n"},
                {m->opacity, "Opacity m_map contents:\n"},
                {m->opacitymask, "Opacity mask contents:\n"}},
    after[] = {{m->bumpmask, "Bump mask contents:\n"},
               {m->specularmap, "Specular m_map contents:\n"},
               {m->specularmask, "Specular mask contents:\n"},
               {m->shininessmap, "Shininess m_map contents:\n"},
               {m->shininessmask, "Shininess mask contents:\n"},
               {m->selfillummap, "Illumination m_map contents:\n"},
               {m->selfillummask, "Illummap mask contents:\n"}};
  auto dump = [stream](const bitmap3ds& map, const char* heading) {
    if (map.name[0] == '\0') return false;
    std::fputs(heading, stream);
    DumpMap3ds(stream, &map);
    return true;
  };
  for (const auto& entry : before) dump(entry.map, entry.heading);
  if (m->reflection.name[0] != '\0') {
    std::fprintf(stream, "Reflection m_map contents:\n");
    std::fprintf(stream, "   Name: %s\n", m->reflection.name);
    std::fprintf(stream, "   Strength: %f\n", D(m->reflection.strength));
  }
  dump(m->reflectionmask, "Reflection mask contents:\n");
  if (dump(m->bump, "Bump m_map contents:\n"))
    std::fprintf(stream, "   R3 Bump of %f\n", D(m->bump.strength));
  for (const auto& entry : after) dump(entry.map, entry.heading);
}

void DumpMap3ds(FILE* stream, const bitmap3ds* map) {
  if (!CheckArguments(stream, map)) return;
  std::fprintf(stream, "   Name: %s\n", map->name);
  std::fprintf(stream, "   Strength: %f\n", D(map->strength));
  static constexpr const char* kTilings[] = {"", "Tile", "Decal", "Both"};
  std::fprintf(stream, "   Tiling: %s\n",
               map->tiling >= 1 && map->tiling <= 3 ? kTilings[map->tiling] : "");
  if (map->ignorealpha) std::fprintf(stream, "   Ignoring Alpha Channel\n");
  std::fprintf(stream, "%s m_map Filtering\n", map->filtering ? "   Summed Array" : "   Pyramidal");
  std::fprintf(stream, "   m_map Blurring of %f\n", D(map->blur));
  if (map->mirrored) std::fprintf(stream, "   m_map is mirrored\n");
  if (map->negative) std::fprintf(stream, "   m_map is negative\n");
  std::fprintf(stream, "   Scaling u: %f v: %f\n", D(map->uscale), D(map->vscale));
  std::fprintf(stream, "   Offset u: %f v: %f\n", D(map->uoffset), D(map->voffset));
  std::fprintf(stream, "   Rotation angle: %f\n", D(map->rotation));
  static constexpr const char* kSources[] = {"m_map RGB", "m_map alpha", "RGB lumanence tint",
                                             "alpha channel tint", "RGB component tint"};
  std::fprintf(stream, "   Image source from %s\n",
               map->source >= 0 && map->source <= 4 ? kSources[map->source] : "");
  DumpTint(stream, "First", map->firsttint);
  DumpTint(stream, "Second", map->secondtint);
  DumpTint(stream, "Red", map->redtint);
  DumpTint(stream, "Green", map->greentint);
  DumpTint(stream, "Blue", map->bluetint);
}

void WriteMeshDeclarations3ds(FILE* stream, const Mesh3ds* mesh, const char* prefix) {
  if (!CheckArguments(stream, mesh) || !CheckArguments(stream, prefix)) return;
  const char* n = prefix;
  DeclareArrays(stream, *mesh, n);
  std::fprintf(stream, "mesh3ds %s = {\n", n);
  std::fputs("   {", stream);
  for (size_t i = 0; mesh->name[i] != '\0' && i < sizeof(mesh->name); ++i)
    std::fprintf(stream, i == 0 ? "'%c'" : ",'%c'", mesh->name[i]);
  std::fputs("}, /* name */\n", stream);
  const struct {
    uint8_t value;
    const char* name;
  } flags[] = {{mesh->ishidden, "ishidden"}, {mesh->isvislofter, "isvislofter"},
               {mesh->ismatte, "ismatte"},   {mesh->isnocast, "isnocast"},
               {mesh->isfast, "isfast"},     {mesh->isnorcvshad, "isnorcvshad"},
               {mesh->isfrozen, "isfrozen"}};
  for (const auto& flag : flags) std::fprintf(stream, "   %u, /* %s */\n", flag.value, flag.name);
  bool faces = mesh->nfaces > 0 && mesh->facearray.size() >= mesh->nfaces;
  std::fprintf(stream, "   %i, /* nvertices */\n", mesh->nvertices);
  ArrayField(stream, mesh->nvertices > 0 && mesh->vertexarray.size() >= mesh->nvertices, n, "verts",
             "vertexarray");
  std::fprintf(stream, "   %i, /* ntextverts */\n", mesh->ntextverts);
  ArrayField(stream, mesh->ntextverts > 0 && mesh->textarray.size() >= mesh->ntextverts, n, "text",
             "textarray");
  std::fprintf(stream, "   %u, /* usemapinfo */\n", mesh->usemapinfo);
  DeclareMapInfo(stream, mesh->m_map);
  std::fputs("   { /* locmatrix[12] */", stream);
  DeclareMatrix(stream, mesh->locmatrix, "      ");
  std::fputs("\n   },\n", stream);
  std::fprintf(stream, "   %i, /* nfaces */\n", mesh->nfaces);
  ArrayField(stream, faces, n, "face", "facearray");
  ArrayField(stream, faces && mesh->smootharray.size() >= mesh->nfaces, n, "smooth", "smootharray");
  std::fprintf(stream, "   %u, /* useboxmap */\n", mesh->useboxmap);
  std::fputs("   { /* boxmap */\n", stream);
  for (const char* side : mesh->boxmap) std::fprintf(stream, "      \"%s\",\n", side);
  std::fputs("   },\n", stream);
  std::fprintf(stream, "   %i, /* meshcolor */\n", mesh->meshcolor);
  std::fprintf(stream, "   %i, /* nmats */\n", mesh->nmats);
  ArrayField(stream, mesh->nmats > 0 && mesh->matarray.size() >= mesh->nmats, n, "mats",
             "matarray");
  std::fprintf(stream, "   %i, /* procsize */\n", static_cast<int>(mesh->procsize));
  std::fprintf(stream, "   \"%s\", /* procname */\n", mesh->procname);
  if (mesh->procsize > 0 && mesh->procdata.size() >= mesh->procsize) {
    std::fprintf(stream, "   %sproc /* procdata */\n", n);
  } else {
    std::fputs("   NULL /* procdata */\n", stream);
  }
  std::fputs("};\n", stream);
}

void SetHeaderSections3ds(const HeaderSections3ds& sections) { HeaderSections = sections; }

void WriteHeaderSections3ds(const char* path) {
  if (path == nullptr) return;
  FILE* file = std::fopen(path, "r");
  if (file == nullptr) return;
  std::unique_ptr<char[]> line(new (std::nothrow) char[kHeaderLineSize]);
  if (line == nullptr) {
    std::fclose(file);
    return;
  }
  const HeaderSections3ds& s = HeaderSections;
  const bool kinds[4] = {s.typedefs, s.consts, s.prototypes, s.defines};
  static constexpr const char* kPublic[4] = {"/* Public Typedefs */", "/* Public Consts */",
                                             "/* Public Prototypes */", "/* Public Defines */"};
  static constexpr const char* kPrivate[4] = {"/* Private Typedefs */", "/* Private Consts */",
                                              "/* Private Prototypes */", "/* Private Defines */"};
  bool copyPublic = false, copyPrivate = false;
  while (std::fgets(line.get(), static_cast<int>(kHeaderLineSize), file) != nullptr) {
    const char* text = line.get();
    if (s.publicSections && TakeMarker(text, kPublic, kinds, "/* End Public */", &copyPublic))
      continue;
    if (s.privateSections && TakeMarker(text, kPrivate, kinds, "/* End Private */", &copyPrivate))
      continue;
    if (copyPublic) std::printf("%s", text);
    if (copyPrivate) {
      if (text[0] == '\n' || text[0] == '\r') {
        std::printf("%s", text);
      } else {
        std::printf("/* Priv */ %s", text);
      }
    }
  }
  std::fclose(file);
}
