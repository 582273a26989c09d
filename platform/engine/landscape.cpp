#include "platform/engine/landscape.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/d3dx/intersect.h"
#include "platform/engine/engine.h"
#include "platform/engine/engine_error.h"
#include "platform/win/app_path.h"
#include "platform/win/byte_reader.h"

namespace engine {

using d3dx::D3DXVECTOR3;

namespace {

constexpr size_t kMaxHeightFileBytes =
    20 + size_t{HeightGrid::kMaxSide} * HeightGrid::kMaxSide * sizeof(float);

}  // namespace

void EngineLandscape::Generate(const std::string& texturePath, int32_t precision, float, float,
                               int32_t, int32_t, int32_t) {
  texturePath_ = texturePath;
  precision_ = precision;
}

void EngineLandscape::LoadHeightMap(const std::string& programPath, int32_t, int32_t, int32_t) {
  const std::filesystem::path path = win::ResolvePath(programPath);
  const auto bytes = win::ReadFileBytes(path, kMaxHeightFileBytes);
  if (!bytes) throw EngineError("LoadHeightMap: cannot read " + path.string());
  std::string why;
  auto grid = ReadHeightGrid(*bytes, &why);
  if (!grid) throw EngineError("LoadHeightMap: " + path.string() + ": " + why);
  grid_ = std::move(*grid);
  heightRevision_ = NextGeometryRevision();
}

void EngineLandscape::SetTexture(int32_t texture, int32_t, int32_t, float, float, int32_t) {
  if (texture != 0 && engine_.Textures().Get(texture) == nullptr)
    throw EngineError("Landscape SetTexture: no texture " + std::to_string(texture));
  texture_ = texture;
}

void EngineLandscape::SetMaterial(int32_t material, int32_t, int32_t) {
  if (material != 0 && engine_.Materials().Get(material) == nullptr)
    throw EngineError("Landscape SetMaterial: no material " + std::to_string(material));
  material_ = material;
}

float EngineLandscape::GetWidth() const {
  return Loaded() ? static_cast<float>(grid_.columns - 1) * grid_.spacing * scale_.x : 0.0f;
}

float EngineLandscape::GetDepth() const {
  return Loaded() ? static_cast<float>(grid_.rows - 1) * grid_.spacing * scale_.z : 0.0f;
}

bool EngineLandscape::Locate(float x, float z, uint32_t& column, uint32_t& row, float& fx,
                             float& fz) const {
  if (!Loaded() || scale_.x == 0 || scale_.z == 0) return false;
  const float gx = (x - position_.x) / (grid_.spacing * scale_.x);
  const float gz = (z - position_.z) / (grid_.spacing * scale_.z);
  const float lastColumn = static_cast<float>(grid_.columns - 1),
              lastRow = static_cast<float>(grid_.rows - 1);
  if (!(gx >= 0 && gz >= 0 && gx <= lastColumn && gz <= lastRow)) return false;
  column = std::min(static_cast<uint32_t>(gx), grid_.columns - 2);
  row = std::min(static_cast<uint32_t>(gz), grid_.rows - 2);
  fx = gx - static_cast<float>(column);
  fz = gz - static_cast<float>(row);
  return true;
}

D3DXVECTOR3 EngineLandscape::Sample(uint32_t column, uint32_t row) const {
  return {position_.x + static_cast<float>(column) * grid_.spacing * scale_.x,
          position_.y + grid_.At(column, row) * scale_.y,
          position_.z + static_cast<float>(row) * grid_.spacing * scale_.z};
}

float EngineLandscape::GetHeight(float x, float z) const {
  uint32_t column = 0, row = 0;
  float fx = 0, fz = 0;
  if (!Locate(x, z, column, row, fx, fz)) return 0.0f;
  const float h00 = grid_.At(column, row), h11 = grid_.At(column + 1, row + 1);
  // Below the diagonal the triangle (00, 10, 11), above it (00, 11, 01).
  const float h =
      fx >= fz
          ? h00 + fx * (grid_.At(column + 1, row) - h00) + fz * (h11 - grid_.At(column + 1, row))
          : h00 + fz * (grid_.At(column, row + 1) - h00) + fx * (h11 - grid_.At(column, row + 1));
  return position_.y + h * scale_.y;
}

D3DXVECTOR3 EngineLandscape::GetNormal(float x, float z) const {
  uint32_t column = 0, row = 0;
  float fx = 0, fz = 0;
  if (!Locate(x, z, column, row, fx, fz)) return {0, 1, 0};
  const D3DXVECTOR3 p00 = Sample(column, row), p11 = Sample(column + 1, row + 1);
  const D3DXVECTOR3 other = fx >= fz ? Sample(column + 1, row) : Sample(column, row + 1);
  // Edges taken so that the cross product points up in a left-handed system.
  D3DXVECTOR3 a = fx >= fz ? p11 - p00 : other - p00;
  D3DXVECTOR3 b = fx >= fz ? other - p00 : p11 - p00;
  D3DXVECTOR3 normal;
  d3dx::D3DXVec3Cross(&normal, &a, &b);
  if (normal.y < 0) normal = -normal;
  d3dx::D3DXVec3Normalize(&normal, &normal);
  return normal;
}

void EngineLandscape::SetHeight(float x, float z, float h) {
  uint32_t column = 0, row = 0;
  float fx = 0, fz = 0;
  if (!Locate(x, z, column, row, fx, fz) || scale_.y == 0) return;
  grid_.At(column + (fx >= 0.5f ? 1 : 0), row + (fz >= 0.5f ? 1 : 0)) =
      (h - position_.y) / scale_.y;
  heightRevision_ = NextGeometryRevision();
}

EnginePickResult EngineLandscape::PickRay(const D3DXVECTOR3& p1, const D3DXVECTOR3& p2) const {
  EnginePickResult result;
  if (!Loaded() || scale_.x == 0 || scale_.z == 0) return result;
  const D3DXVECTOR3 along = p2 - p1;
  const float length = d3dx::D3DXVec3Length(&along);
  if (length == 0) return result;
  D3DXVECTOR3 direction = along * (1.0f / length);
  // Only the cells under the segment's bounding rectangle can be hit.
  const float cellX = grid_.spacing * scale_.x, cellZ = grid_.spacing * scale_.z;
  auto cellRange = [](float a, float b, float origin, float cell, uint32_t cells, uint32_t& first,
                      uint32_t& last) {
    float lo = (std::min(a, b) - origin) / cell, hi = (std::max(a, b) - origin) / cell;
    if (lo > hi) std::swap(lo, hi);
    if (hi < 0 || lo > static_cast<float>(cells)) return false;
    first = static_cast<uint32_t>(std::max(0.0f, std::floor(lo)));
    last = std::min(cells - 1, static_cast<uint32_t>(std::max(0.0f, std::floor(hi))));
    return true;
  };
  uint32_t c0 = 0, c1 = 0, r0 = 0, r1 = 0;
  if (!cellRange(p1.x, p2.x, position_.x, cellX, grid_.columns - 1, c0, c1) ||
      !cellRange(p1.z, p2.z, position_.z, cellZ, grid_.rows - 1, r0, r1))
    return result;
  float nearest = std::numeric_limits<float>::max();
  for (uint32_t row = r0; row <= r1; ++row)
    for (uint32_t column = c0; column <= c1; ++column) {
      const D3DXVECTOR3 p00 = Sample(column, row), p10 = Sample(column + 1, row);
      const D3DXVECTOR3 p01 = Sample(column, row + 1), p11 = Sample(column + 1, row + 1);
      const D3DXVECTOR3* triangles[2][3] = {{&p00, &p10, &p11}, {&p00, &p11, &p01}};
      for (const auto& t : triangles) {
        float u = 0, v = 0, distance = 0;
        if (d3dx::D3DXIntersectTri(t[0], t[1], t[2], &p1, &direction, &u, &v, &distance) &&
            distance <= length && distance < nearest) {
          nearest = distance;
          result.Set(nullptr, p1 + direction * distance, distance);
        }
      }
    }
  return result;
}

void EngineLandscape::Render(int32_t, int32_t) {
  if (Loaded()) engine_.Backend().DrawLandscape(*this, engine_.CurrentCameraView());
}

void EngineLandscape::Destroy() {
  grid_ = HeightGrid{};
  texture_ = detailTexture_ = material_ = 0;
}

}  // namespace engine
