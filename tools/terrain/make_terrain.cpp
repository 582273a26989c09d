// make_terrain FOLDER SEED ROUGHNESS [lift:HEIGHT] [flat:X,Z,RADIUS,HEIGHT]...
//              [below:X0,Z0,X1,Z1,HEIGHT]...
// writes a mission's ground into its "Textures" folder: the three height grids temp0.ht to
// temp2.ht and their pictures Land0.jpg to Land2.jpg.
//
// The ground is one surface in world units: gentle relief (ROUGHNESS 0 for a smooth mare, 1 for
// rough highlands) and craters whose sizes follow a power law (many small, few large), each a bowl
// with a raised rim and ejecta, all raised by "lift". A "flat" spot levels the ground round a point
// to a height (a Surveyor's stand, a landing site); a "below" box keeps the ground under a height
// (the race course). The tiles are levels of detail of that surface, laid out as every scenario
// places them (LandTileLayout below, docs/formats.md): tile 0 fine and small, tile 2 coarse and
// wide, and a coarser tile never rises above a finer one where they overlap, so the finer one is
// the ground there. No height is exactly 0, the height the program takes for no ground.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/engine/height_grid.h"
#include "platform/win/byte_writer.h"
#include "tools/common/canvas.h"
#include "tools/common/elapsed.h"
#include "tools/terrain/land_tile_layout.h"

namespace {

namespace fs = std::filesystem;

struct Crater {
  float x, z, radius;
};

struct FlatSpot {
  float x, z, radius, height;
};

struct Ceiling {
  float x0, z0, x1, z1, height;
};

struct Ground {
  uint32_t seed = 1;
  float roughness = 0.5f;
  float lift = 0;               // world units added to the whole ground
  std::vector<Crater> craters;  // largest first
  std::vector<FlatSpot> flats;
  std::vector<Ceiling> ceilings;
};

constexpr float SmallestCrater = 3.0f;  // world units of radius
constexpr float LargestCrater = 700.0f;
constexpr float CraterDensity = 0.007f;  // craters wider than r per square world unit: this / r^2
constexpr float CraterReach = 2.5f;      // radii beyond which a crater changes nothing

// The crater field, in bands of radius, each band's number from the power law. A band is laid
// over the widest tile whose samples still show its craters, so small craters cover only the
// fine tile.
void PlaceCraters(Ground& ground) {
  const float density = CraterDensity * (0.6f + 0.8f * ground.roughness);
  uint32_t index = 0;
  for (float r0 = LargestCrater / 2; r0 * 2 > SmallestCrater; r0 /= 2) {
    const float r1 = r0 * 2;
    const TileLayout* region = &LandTileLayout[0];
    for (const TileLayout& tile : LandTileLayout)
      if (tile.spacing * 0.75f <= r1) region = &tile;
    const float extent = region->Extent() + 2 * r1 * CraterReach;
    const float x0 = region->x - r1 * CraterReach, z0 = region->z - r1 * CraterReach;
    const double count = density * extent * extent * (1 / (r0 * r0) - 1 / (r1 * r1));
    for (uint32_t k = 0; k < static_cast<uint32_t>(count); ++k, ++index) {
      const auto i = static_cast<int32_t>(index);
      ground.craters.push_back(
          {x0 + extent * Hash01(i, 0, ground.seed), z0 + extent * Hash01(i, 1, ground.seed),
           std::max(SmallestCrater, r0 * std::pow(2.0f, Hash01(i, 2, ground.seed)))});
    }
  }
}

// A crater's height change at distance d from its centre: bowl, rim, ejecta.
float CraterProfile(float d, float r) {
  const float q = d / r;
  const float depth = 0.18f * r, rim = 0.05f * r;
  if (q < 1) return -depth * (1 - q * q) + rim * q * q * q;
  return rim * std::pow(q, -3.0f) * std::max(0.0f, 1 - (q - 1) / 1.5f);
}

// The gentle relief: value noise of a few octaves, in world units.
float Relief(const Ground& g, float x, float z) {
  const float amplitude = 8 + 70 * g.roughness;
  return g.lift +
         amplitude * (FractalNoise(x / 3000 + 50, z / 3000 + 50, 5, g.seed + 100) - 0.5f) * 2;
}

// The ground's heights on one tile's grid, with the craters no smaller than its samples show.
engine::HeightGrid Heights(const Ground& g, const TileLayout& tile) {
  engine::HeightGrid grid;
  grid.columns = grid.rows = tile.samples;
  grid.spacing = tile.spacing;
  grid.heights.resize(size_t{tile.samples} * tile.samples);
  for (uint32_t r = 0; r < tile.samples; ++r)
    for (uint32_t c = 0; c < tile.samples; ++c)
      grid.At(c, r) = Relief(g, tile.x + static_cast<float>(c) * tile.spacing,
                             tile.z + static_cast<float>(r) * tile.spacing);
  const float smallest = tile.spacing * 0.75f;
  for (const Crater& crater : g.craters) {
    if (crater.radius < smallest) continue;
    const float reach = crater.radius * CraterReach;
    const auto span = [&](float centre, float origin) {
      const int lo = static_cast<int>(std::ceil((centre - reach - origin) / tile.spacing));
      const int hi = static_cast<int>(std::floor((centre + reach - origin) / tile.spacing));
      return std::array<int, 2>{std::max(lo, 0), std::min(hi, static_cast<int>(tile.samples) - 1)};
    };
    const auto [c0, c1] = span(crater.x, tile.x);
    const auto [r0, r1] = span(crater.z, tile.z);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c) {
        const float dx = tile.x + static_cast<float>(c) * tile.spacing - crater.x;
        const float dz = tile.z + static_cast<float>(r) * tile.spacing - crater.z;
        grid.At(static_cast<uint32_t>(c), static_cast<uint32_t>(r)) +=
            CraterProfile(std::sqrt(dx * dx + dz * dz), crater.radius);
      }
  }
  for (uint32_t r = 0; r < tile.samples; ++r)
    for (uint32_t c = 0; c < tile.samples; ++c) {
      const float x = tile.x + static_cast<float>(c) * tile.spacing;
      const float z = tile.z + static_cast<float>(r) * tile.spacing;
      float& h = grid.At(c, r);
      for (const FlatSpot& f : g.flats) {
        const float d = std::hypot(x - f.x, z - f.z) / f.radius;
        // Level inside the radius, blending out over as much again.
        const float w = d <= 1   ? 1
                        : d >= 2 ? 0
                                 : 0.5f + 0.5f * std::cos((d - 1) * std::numbers::pi_v<float>);
        h = h * (1 - w) + f.height * w;
      }
      for (const Ceiling& ceiling : g.ceilings)
        if (x >= ceiling.x0 && x <= ceiling.x1 && z >= ceiling.z0 && z <= ceiling.z1)
          h = std::min(h, ceiling.height);
    }
  return grid;
}

// Lowers the coarse tile wherever the fine one lies under its triangles: each coarse sample comes
// no higher than any fine sample within one coarse plus one fine spacing of it, so every coarse
// triangle lies under the fine surface that covers it.
void KeepUnder(engine::HeightGrid& coarse, const TileLayout& coarseTile,
               const engine::HeightGrid& fine, const TileLayout& fineTile) {
  const float reach = coarseTile.spacing + fineTile.spacing;
  for (uint32_t r = 0; r < coarse.rows; ++r)
    for (uint32_t c = 0; c < coarse.columns; ++c) {
      const float x = coarseTile.x + static_cast<float>(c) * coarseTile.spacing;
      const float z = coarseTile.z + static_cast<float>(r) * coarseTile.spacing;
      const auto span = [&](float centre, float origin) {
        const int lo = static_cast<int>(std::ceil((centre - reach - origin) / fineTile.spacing));
        const int hi = static_cast<int>(std::floor((centre + reach - origin) / fineTile.spacing));
        return std::array<int, 2>{std::max(lo, 0),
                                  std::min(hi, static_cast<int>(fine.columns) - 1)};
      };
      const auto [c0, c1] = span(x, fineTile.x);
      const auto [r0, r1] = span(z, fineTile.z);
      float& h = coarse.At(c, r);
      for (int fr = r0; fr <= r1; ++fr)
        for (int fc = c0; fc <= c1; ++fc)
          h = std::min(h, fine.At(static_cast<uint32_t>(fc), static_cast<uint32_t>(fr)) - 0.05f);
    }
}

// The tile's picture: its heights shaded by a low sun from +x, with albedo patches and bright
// young crater rims.
ArgbImage Shaded(const engine::HeightGrid& grid, const TileLayout& tile, const Ground& g) {
  constexpr uint32_t Side = 1024;
  ArgbImage image(Side, Side);
  const float last = static_cast<float>(grid.columns - 1);
  const auto height = [&](float c, float r) {
    c = std::clamp(c, 0.0f, last);
    r = std::clamp(r, 0.0f, last);
    const auto c0 = static_cast<uint32_t>(std::min(c, last - 1)),
               r0 = static_cast<uint32_t>(std::min(r, last - 1));
    const float fc = c - static_cast<float>(c0), fr = r - static_cast<float>(r0);
    const float a = grid.At(c0, r0), b = grid.At(c0 + 1, r0);
    const float d = grid.At(c0, r0 + 1), e = grid.At(c0 + 1, r0 + 1);
    return (a + (b - a) * fc) * (1 - fr) + (d + (e - d) * fc) * fr;
  };
  const float sunX = 0.98f, sunY = 0.2f;
  for (uint32_t py = 0; py < Side; ++py)
    for (uint32_t px = 0; px < Side; ++px) {
      const float c = (static_cast<float>(px) + 0.5f) * last / Side;
      const float r = (static_cast<float>(py) + 0.5f) * last / Side;
      const float step = 0.5f;
      const float dx = (height(c + step, r) - height(c - step, r)) / (2 * step * tile.spacing);
      const float dz = (height(c, r + step) - height(c, r - step)) / (2 * step * tile.spacing);
      const float n = 1 / std::sqrt(dx * dx + dz * dz + 1);
      const float light = std::clamp((-dx * sunX + sunY) * n / 0.2f * 0.55f + 0.1f, 0.0f, 1.0f);
      const float x = tile.x + c * tile.spacing, z = tile.z + r * tile.spacing;
      const float albedo = 0.75f + 0.35f * FractalNoise(x / 900 + 7, z / 900 + 7, 4, g.seed + 200) +
                           0.12f * (ValueNoise(x / 15, z / 15, g.seed + 300) - 0.5f);
      const auto v = static_cast<uint32_t>(std::clamp(light * albedo * 230.0f, 0.0f, 255.0f));
      image.At(px, py) =
          Argb(v, v, static_cast<uint32_t>(std::min(255.0f, static_cast<float>(v) * 0.97f)));
    }
  return image;
}

std::vector<float> Numbers(const std::string& text, size_t count) {
  std::vector<float> values;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    values.push_back(std::stof(text.substr(start, comma - start)));
    start = comma + 1;
  }
  if (values.size() != count)
    throw std::runtime_error("expected " + std::to_string(count) + " numbers: " + text);
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: make_terrain FOLDER SEED ROUGHNESS [lift:HEIGHT] "
                 "[flat:X,Z,RADIUS,HEIGHT]... [below:X0,Z0,X1,Z1,HEIGHT]...\n";
    return 2;
  }
  const Elapsed elapsed;
  try {
    const fs::path folder = argv[1];
    Ground ground;
    ground.seed = static_cast<uint32_t>(std::stoul(argv[2]));
    ground.roughness = std::stof(argv[3]);
    for (int k = 4; k < argc; ++k) {
      const std::string option = argv[k];
      if (option.rfind("lift:", 0) == 0) {
        ground.lift = Numbers(option.substr(5), 1)[0];
      } else if (option.rfind("flat:", 0) == 0) {
        const auto v = Numbers(option.substr(5), 4);
        ground.flats.push_back({v[0], v[1], v[2], v[3]});
      } else if (option.rfind("below:", 0) == 0) {
        const auto v = Numbers(option.substr(6), 5);
        ground.ceilings.push_back({v[0], v[1], v[2], v[3], v[4]});
      } else {
        throw std::runtime_error("unknown option " + option);
      }
    }
    PlaceCraters(ground);
    std::vector<engine::HeightGrid> grids;
    for (const TileLayout& tile : LandTileLayout) grids.push_back(Heights(ground, tile));
    for (size_t k = 1; k < grids.size(); ++k)
      for (size_t finer = 0; finer < k; ++finer)
        KeepUnder(grids[k], LandTileLayout[k], grids[finer], LandTileLayout[finer]);
    fs::create_directories(folder);
    for (size_t k = 0; k < grids.size(); ++k) {
      for (float& h : grids[k].heights)
        if (h == 0.0f) h = 0.001f;
      const std::string n = std::to_string(k);
      if (!win::WriteFileBytes(folder / ("temp" + n + ".ht"), engine::WriteHeightGrid(grids[k])))
        throw std::runtime_error("cannot write " + (folder / ("temp" + n + ".ht")).string());
      WriteJpeg(folder / ("Land" + n + ".jpg"), Shaded(grids[k], LandTileLayout[k], ground), 85);
    }
    std::cout << "make_terrain: " << folder.parent_path().filename().string() << " "
              << ground.craters.size() << " craters " << elapsed.Text() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "make_terrain: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
