// A landscape tile: a height grid (height_grid.h) placed in the world. Sample (column, row) lies at
// position + (column * spacing * scale x, height * scale y, row * spacing * scale z). Each grid
// cell is two triangles split along the diagonal from (column, row) to (column + 1, row + 1);
// heights, normals and picks all use these triangles, so they agree with one another.
//
// Heights are asked at render coordinates. Outside the tile GetHeight answers exactly 0, which
// callers read as "no ground here".
#pragma once

#include <cstdint>
#include <string>

#include "platform/d3dx/math.h"
#include "platform/engine/height_grid.h"
#include "platform/engine/scene.h"

namespace engine {

class Engine;

class EngineLandscape {
 public:
  explicit EngineLandscape(Engine& engine) : engine_(engine) {}

  // Mode 1 draws the whole tile at full detail; otherwise chunks far from the eye are drawn with
  // fewer samples, the sooner the larger the precision Generate was given.
  void SetPrecisionMode(int32_t mode) { precisionMode_ = mode; }
  int32_t PrecisionMode() const { return precisionMode_; }
  int32_t Precision() const { return precision_; }
  // Prepares a tile textured with that image; its heights come from LoadHeightMap.
  void Generate(const std::string& texturePath, int32_t precision, float uRepeat, float vRepeat,
                int32_t = 0, int32_t = 0, int32_t = 0);
  void LoadHeightMap(const std::string& programPath, int32_t = 0, int32_t = 0, int32_t = 1);
  // Reloads the heights, dropping changes made with SetHeight.
  void LoadHeights(const std::string& programPath, int32_t flag = 1) {
    LoadHeightMap(programPath, 0, 0, flag);
  }
  void SetTexture(int32_t texture, int32_t = 0, int32_t = 0, float = 1, float = 1, int32_t = 0);
  void SetMaterial(int32_t material, int32_t = -1, int32_t = 0);
  // A texture laid over the tile's, repeated every eight cells, and how it joins it (a D3DTEXTUREOP
  // code: 4 modulate, 5 modulate 2x, 7 add, 8 add signed, 10 subtract).
  void SetDetailTexture(int32_t texture, int32_t mode = kModulate2x) {
    detailTexture_ = texture;
    detailMode_ = mode;
  }
  void Update() {}
  // Makes the heights changed by SetHeight the ones drawn: the drawing rebuilds the tile when the
  // revision moves on.
  void UpdateHeights(int32_t = -1, int32_t = -1) { heightRevision_ = NextGeometryRevision(); }

  void SetPosition(float x, float y, float z) { position_ = {x, y, z}; }
  d3dx::D3DXVECTOR3 GetPosition() const { return position_; }
  void SetScale(float x, float y, float z, int32_t = -1) { scale_ = {x, y, z}; }
  d3dx::D3DXVECTOR3 GetScale() const { return scale_; }
  // The tile's extent along x and z [world units], at the current scale.
  float GetWidth() const;
  float GetDepth() const;

  float GetHeight(float x, float z) const;
  // The unit normal of the ground at (x, z); straight up outside the tile.
  d3dx::D3DXVECTOR3 GetNormal(float x, float z) const;
  // Sets the sample nearest to (x, z) to world height h; outside the tile nothing changes.
  void SetHeight(float x, float z, float h);
  // Where the segment from p1 to p2 first meets the ground.
  EnginePickResult PickRay(const d3dx::D3DXVECTOR3& p1, const d3dx::D3DXVECTOR3& p2) const;

  void Render(int32_t = 0, int32_t = 0);
  void Destroy();
  bool Loaded() const { return !grid_.heights.empty(); }
  const HeightGrid& Grid() const { return grid_; }
  // Changes with every change of the heights, unique in the process (as a mesh geometry's).
  uint64_t HeightRevision() const { return heightRevision_; }
  // The image Generate was given, drawn until SetTexture sets another.
  const std::string& TexturePath() const { return texturePath_; }
  int32_t Texture() const { return texture_; }
  int32_t DetailTexture() const { return detailTexture_; }
  int32_t DetailMode() const { return detailMode_; }
  int32_t Material() const { return material_; }

 private:
  // The grid cell under (x, z) and the place within it (0..1 each way); false outside the tile.
  bool Locate(float x, float z, uint32_t& column, uint32_t& row, float& fx, float& fz) const;
  d3dx::D3DXVECTOR3 Sample(uint32_t column, uint32_t row) const;

  Engine& engine_;
  HeightGrid grid_;
  d3dx::D3DXVECTOR3 position_{};
  d3dx::D3DXVECTOR3 scale_{1, 1, 1};
  std::string texturePath_;
  int32_t precisionMode_ = 0;
  int32_t precision_ = 0;
  int32_t texture_ = 0;
  static constexpr int32_t kModulate2x = 5;
  int32_t detailTexture_ = 0;
  int32_t detailMode_ = kModulate2x;
  int32_t material_ = 0;
  uint64_t heightRevision_ = NextGeometryRevision();
};

}  // namespace engine
