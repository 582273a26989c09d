// Text dumps of the mesh and material records, the mesh as initialised declarations in the
// toolkit's own type names, and a filter that copies the marked sections of a source header.
#pragma once

#include <cstdio>

#include "library/toolkit3ds/material_objects.h"
#include "library/toolkit3ds/mesh_objects.h"

void DumpMesh3ds(FILE* stream, const Mesh3ds* mesh);
void DumpMapInfo3ds(FILE* stream, const MeshMapInfo3ds* map);
void DumpMaterial3ds(FILE* stream, const Materials3ds* material);
void DumpMap3ds(FILE* stream, const bitmap3ds* map);
// Every declared name begins with prefix.
void WriteMeshDeclarations3ds(FILE* stream, const Mesh3ds* mesh, const char* prefix);

// What WriteHeaderSections3ds copies; all off when the toolkit loads.
struct HeaderSections3ds {
  bool publicSections = false, privateSections = false;
  bool typedefs = false, consts = false, prototypes = false, defines = false;
};
void SetHeaderSections3ds(const HeaderSections3ds& sections);
// Copies the lines between the switched-on section markers of a text file to standard output.
void WriteHeaderSections3ds(const char* path);
