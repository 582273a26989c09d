// The table of loaded MD2 models: one copy of each file, shared by the entities made from it and
// counted by them, with the device data of the path chosen when it was loaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/core/actors/md2_file.h"
#include "platform/d3d/interfaces.h"

inline constexpr size_t kMD2MaxFileBytes = 32 << 20;  // bytes

struct ActorModel2 {
  int32_t slot = 0;
  bool inUse = false;
  int32_t references = 0;
  Md2Model data;
  // The processor path keeps only the decoded frames; the shader path one buffer per frame.
  bool softwarePath = true;
  uint32_t bufferUsage = 0;
  std::vector<d3d::IDirect3DVertexBuffer8*> frameBuffers;
  int32_t skinTexture = 0;
  std::string path;  // compared exactly when a model is shared
};

extern std::vector<ActorModel2> MD2ModelTable;

// The slot of the model in use loaded from exactly this path, or -1.
int32_t MD2_FindModel(const char* path);
// Loads the file into a free slot and returns it, or -1 (logged) leaving no record in use and no
// device object behind. The caller adds its reference.
int32_t MD2_LoadModel(const char* path, int32_t loadTextures);
// Drops one reference and deletes the model at none.
void MD2_ReleaseModel(int32_t slot);
// Releases the model's device objects and frees its record (harmless for a free one).
void MD2_DeleteModel(int32_t slot);
void MD2_DeleteAll();
