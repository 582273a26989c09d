// The table of loaded studio models: one copy of each file with its texture and sequence-group
// files, shared by the entities made from it, with the device data of the path chosen at its load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/core/actors/entities.h"
#include "library/core/actors/mdl_file.h"
#include "platform/d3d/interfaces.h"

inline constexpr int32_t kMdlShaderBoneLimit = 28;  // bones the shader's constants hold
inline constexpr uint32_t kMdlSoftVertexFormat = 0x112;
inline constexpr int32_t kMdlMaxGroups = 100;  // sequence groups a model may name

struct ActorModel {
  int32_t slot = 0;
  bool inUse = false;
  int32_t references = 0;
  MdlModel data;
  bool shaderPath = false;
  uint32_t bufferUsage = 0;
  // Shader path: every vertex (36 bytes, managed); processor path: the skinned vertices (32 bytes,
  // dynamic), released while the device is lost with its size kept in lostBytes.
  d3d::IDirect3DVertexBuffer8* buffer = nullptr;
  uint32_t lostBytes = 0;
  std::vector<int32_t> textures;  // texture table identifier of each texture, 0 when not loaded
  std::string path;               // compared exactly when a model is shared
  ModelBounds bounds{};
  bool boundsComputed = false;
};

extern std::vector<ActorModel> MDLModelTable;

// The slot of the model in use loaded from exactly this path, or -1.
int32_t MDL_FindModel(const char* path);
// Loads the file and its side files into a free slot and returns it, or -1 (logged) leaving no
// record in use and no device object behind. The caller adds its reference.
int32_t MDL_LoadModel(const char* path, int32_t loadTextures);
// Drops one reference and deletes the model at none.
void MDL_ReleaseModel(int32_t slot);
void MDL_DeleteModel(int32_t slot);
void MDL_DeleteAll();
// A side file's path: the model's path with its last four characters replaced.
std::string MDL_SidePath(const std::string& path, const std::string& ending);
