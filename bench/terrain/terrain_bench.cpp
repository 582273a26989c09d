// The terrain against its peers in one run.
//
// BM_TerrainRender: Terrain_Render of 8 x 8 chunks at precision 4 (65 x 65 vertices a chunk, every
// chunk in view) on the OpenGL device, against plain OpenGL drawing the same vertex grids and the
// same spiral strip from buffer objects with the same states (lighting by one directional light,
// texture times diffuse, alpha test and blending, depth test, back faces culled). It reports
// triangles per second and plain_ratio, our time over plain OpenGL's (the goal is below 1.2).
//
// BM_TerrainGetHeight and BM_TerrainRayPicking: the height under points and vertical picks on the
// same grid, shaped by a height map, against a brute-force test of every triangle of the grid with
// the same cell split (plain_ratio: ours over the brute force's).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/alternating_blocks.h"
#include "library/core/render/texture_factory.h"
#include "library/core/terrain/terrain.h"
#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_state.h"
#include "platform/d3d/headless.h"
#include "platform/d3dx/image_file.h"
#include "platform/d3dx/intersect.h"
#include "platform/d3dx/math.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/gl_library_device.h"

#include <unistd.h>

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

constexpr UINT kTarget = 256;      // pixels per side
constexpr int32_t kChunks = 8;     // per side
constexpr int32_t kPrecision = 4;  // terrain units between vertices
constexpr float kExtent = kChunks * kChunkSideF;
constexpr D3DCOLOR kTexel = 0xFFC08040;

void StableAllocator() {
  // The software rasteriser's large blocks stay with the process for both peers alike.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

// The camera high over the terrain's middle, looking straight down over all of it.
void LookDown(D3DXMATRIX* view, D3DXMATRIX* projection) {
  const D3DXVECTOR3 eye{{kExtent / 2, 2.2f * kExtent, kExtent / 2}};
  const D3DXVECTOR3 at{{kExtent / 2, 0, kExtent / 2}};
  const D3DXVECTOR3 up{{0, 0, 1}};
  d3dx::D3DXMatrixLookAtLH(view, &eye, &at, &up);
  d3dx::D3DXMatrixPerspectiveFovLH(projection, 0.5f, 1.0f, 10.0f, 10 * kExtent);
}

constexpr D3DVECTOR kLightDirection{0.3f, -1.0f, 0.2f};

// A height map of gentle waves for the queries, as a BMP file of its own; its path.
std::string WriteHeightMap() {
  d3dx::ArgbImage image(256, 256, 0);
  for (uint32_t y = 0; y < 256; ++y) {
    for (uint32_t x = 0; x < 256; ++x) {
      const auto h = static_cast<uint32_t>(127 + 120 * std::sin(x * 0.07) * std::cos(y * 0.05));
      image.At(x, y) = 0xFF000000u | h;
    }
  }
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("terrain-bench-" + std::to_string(getpid()) + ".bmp");
  win::WriteFileBytes(path, d3dx::EncodeBmp(image, false));
  return path.string();
}

// The library on the OpenGL device with one textured, lit terrain.
class LibraryTerrain {
 public:
  LibraryTerrain() {
    if (tests::CreateOffscreenLibraryDevice(kTarget, kTarget, &device_, &direct3d_) != D3D_OK) {
      device_ = nullptr;
      return;
    }
    System_SetVariables(0, &polygons_, 0);
    Terrain_Create(0);
    Terrain_GenerateEmptyTerrain(0, kPrecision, kChunks, kChunks, 0, 0);
    IDirect3DTexture8* texture = nullptr;
    device_->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
    D3DLOCKED_RECT locked{};
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT i = 0; i < 64 * 64; ++i) static_cast<D3DCOLOR*>(locked.pBits)[i] = kTexel;
    texture->UnlockRect(0);
    const int32_t id = TextureFactory_GetNewTextureId();
    TextureRecord& record = TextureFactory_TakeRecord(id);
    record.texture = texture;
    record.width = record.height = 64;
    Terrain_SetTexture(0, id, -1);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = kLightDirection;
    device_->SetLight(0, &light);
    device_->LightEnable(0, 1);
    D3DXMATRIX view, projection;
    LookDown(&view, &projection);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view, &projection);
    Viewport_SetCamera(&view.m[0][0], nullptr);
  }
  ~LibraryTerrain() {
    if (device_ == nullptr) return;
    ReleaseAll();
    ShutDownDevice();
    device_->Release();
    direct3d_->Release();
  }
  bool Ready() const { return device_ != nullptr; }

  void Frame() {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->BeginScene();
    Terrain_Render(0);
    device_->EndScene();
    glFinish();
  }
  int32_t Triangles() {
    polygons_ = 0;
    Frame();
    return polygons_;
  }
  std::vector<D3DCOLOR> Picture() const {
    return tests::ReadBackBufferPixels(device_, kTarget, kTarget);
  }

 private:
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  int32_t polygons_ = 0;
};

// Plain OpenGL: the same grids, one buffer object a chunk, and the shared strip.
class PlainTerrain {
 public:
  PlainTerrain() {
    std::string error;
    context_ = gl::Context::Create(nullptr, &error);
    if (!context_) return;
    const TerrainRecord& terrain = TerrainTable[0];
    std::vector<uint16_t> strip;
    BuildSpiralStrip(GridSide(kPrecision), strip);
    stripCount_ = static_cast<GLsizei>(strip.size());
    glGenTextures(1, &target_);
    glBindTexture(GL_TEXTURE_2D, target_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kTarget, kTarget, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kTarget, kTarget);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    const std::vector<D3DCOLOR> texels(64 * 64, kTexel);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    chunks_.resize(static_cast<size_t>(terrain.chunkCount));
    glGenBuffers(static_cast<GLsizei>(chunks_.size()), chunks_.data());
    for (int32_t c = 0; c < terrain.chunkCount; ++c) {
      const TerrainChunk& chunk = terrain.chunks[c];
      glBindBuffer(GL_ARRAY_BUFFER, chunks_[static_cast<size_t>(c)]);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(chunk.vertexCount * sizeof(TVertex)),
                   chunk.vertices, GL_STATIC_DRAW);
    }
    glGenBuffers(1, &strip_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, strip_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(strip.size() * 2), strip.data(),
                 GL_STATIC_DRAW);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_PRIMARY_COLOR);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_ALWAYS, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The device fills its target top row first, as Direct3D does, and OpenGL bottom row first:
    // the same clip-space triangles wind the other way here, so front faces are culled to remove
    // what the device's counter-clockwise culling removes.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat white[4] = {1, 1, 1, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glViewport(0, 0, kTarget, kTarget);
    D3DXMATRIX view, projection;
    LookDown(&view, &projection);
    // Row-vector matrices read transposed are OpenGL's; the depth range 0..1 becomes -1..1.
    glMatrixMode(GL_PROJECTION);
    const GLfloat depthRange[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0, 0, -1, 1};
    glLoadMatrixf(depthRange);
    glMultMatrixf(&projection.m[0][0]);
    glMatrixMode(GL_MODELVIEW);
    const GLfloat towards[4] = {-kLightDirection.x, -kLightDirection.y, -kLightDirection.z, 0};
    glLoadMatrixf(&view.m[0][0]);
    glLightfv(GL_LIGHT0, GL_POSITION, towards);
  }
  ~PlainTerrain() {
    if (!context_) return;
    context_->MakeCurrent();
    glDeleteBuffers(static_cast<GLsizei>(chunks_.size()), chunks_.data());
    glDeleteBuffers(1, &strip_);
    glDeleteTextures(1, &texture_);
    glDeleteTextures(1, &target_);
    glDeleteRenderbuffers(1, &depth_);
    glDeleteFramebuffers(1, &framebuffer_);
  }
  bool Ready() const { return context_ != nullptr; }

  // The last frame, rows top to bottom as the device reads its back buffer.
  std::vector<D3DCOLOR> Picture() const {
    context_->MakeCurrent();
    std::vector<D3DCOLOR> rows(kTarget * kTarget), picture(kTarget * kTarget);
    glReadPixels(0, 0, kTarget, kTarget, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    for (UINT y = 0; y < kTarget; ++y) {
      std::copy_n(&rows[(kTarget - 1 - y) * kTarget], kTarget, &picture[y * kTarget]);
    }
    return picture;
  }

  void Frame() {
    context_->MakeCurrent();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (GLuint chunk : chunks_) {
      glBindBuffer(GL_ARRAY_BUFFER, chunk);
      glVertexPointer(3, GL_FLOAT, sizeof(TVertex), nullptr);
      glNormalPointer(GL_FLOAT, sizeof(TVertex), reinterpret_cast<void*>(3 * sizeof(float)));
      glTexCoordPointer(2, GL_FLOAT, sizeof(TVertex), reinterpret_cast<void*>(6 * sizeof(float)));
      glDrawElements(GL_TRIANGLE_STRIP, stripCount_, GL_UNSIGNED_SHORT, nullptr);
    }
    glFinish();
  }

 private:
  std::unique_ptr<gl::Context> context_;
  GLuint target_ = 0, depth_ = 0, framebuffer_ = 0, texture_ = 0, strip_ = 0;
  std::vector<GLuint> chunks_;
  GLsizei stripCount_ = 0;
};

void BM_TerrainRender(benchmark::State& state) {
  StableAllocator();
  LibraryTerrain library;
  if (!library.Ready()) {
    state.SkipWithError(("no OpenGL device: " + GlDeviceError()).c_str());
    return;
  }
  PlainTerrain plain;
  if (!plain.Ready()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  const int32_t triangles = library.Triangles();
  plain.Frame();
  // Both must draw the same picture for the times to compare.
  const std::vector<D3DCOLOR> ours = library.Picture(), theirs = plain.Picture();
  int64_t matching = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    int worst = 0;
    for (int shift : {0, 8, 16}) {
      worst = std::max(worst, std::abs(static_cast<int>((ours[i] >> shift) & 0xFF) -
                                       static_cast<int>((theirs[i] >> shift) & 0xFF)));
    }
    if (worst <= 4) ++matching;
  }
  state.counters["pixels_matching"] =
      static_cast<double>(matching) / static_cast<double>(ours.size());
  bench::Alternate(
      state, [&] { library.Frame(); }, [&] { plain.Frame(); });
  state.counters["triangles_per_second"] =
      benchmark::Counter(static_cast<double>(triangles) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TerrainRender)->Unit(benchmark::kMillisecond)->UseManualTime();

// The library on the headless device with a terrain shaped by the height map.
class ShapedTerrain {
 public:
  ShapedTerrain() {
    direct3d_ = CreateHeadlessDirect3D();
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = params.BackBufferHeight = 64;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.Windowed = 1;
    VortanaSystem_CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                               &params, &device_, &direct3d_);
    const std::string heights = WriteHeightMap();
    Terrain_Create(0);
    Terrain_SetFactorY(0, 0.5f);
    Terrain_Generate(0, heights.c_str(), kPrecision, kChunks, kChunks, 0, 0, 0, 0);
    std::filesystem::remove(heights);
  }
  ~ShapedTerrain() {
    ReleaseAll();
    ShutDownDevice();
    if (device_ != nullptr) device_->Release();
    direct3d_->Release();
  }

 private:
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

// Every triangle of every chunk, split as the strip splits its cells, against the ray: the
// nearest hit's distance, or a negative one.
float BruteForce(const D3DXVECTOR3& from, const D3DXVECTOR3& direction) {
  const TerrainRecord& terrain = TerrainTable[0];
  float nearest = -1;
  for (int32_t c = 0; c < terrain.chunkCount; ++c) {
    TerrainChunk& chunk = terrain.chunks[c];
    for (int32_t r = 0; r + 1 < chunk.rows; ++r) {
      for (int32_t k = 0; k + 1 < chunk.columns; ++k) {
        const D3DXVECTOR3 a = Position(GridVertex(chunk, r, k));
        const D3DXVECTOR3 b = Position(GridVertex(chunk, r, k + 1));
        const D3DXVECTOR3 d = Position(GridVertex(chunk, r + 1, k));
        const D3DXVECTOR3 e = Position(GridVertex(chunk, r + 1, k + 1));
        const bool anti = IsAntiDiagonalCell(k, r, chunk.columns, chunk.rows);
        const D3DXVECTOR3 triangles[2][3] = {{a, b, anti ? d : e},
                                             {anti ? b : a, anti ? d : e, anti ? e : d}};
        for (const auto& t : triangles) {
          float u = 0, v = 0, distance = 0;
          if (d3dx::D3DXIntersectTri(&t[0], &t[1], &t[2], &from, &direction, &u, &v, &distance) &&
              (nearest < 0 || distance < nearest)) {
            nearest = distance;
          }
        }
      }
    }
  }
  return nearest;
}

// Points scattered over the terrain, the same for both peers.
D3DXVECTOR3 PointOf(int64_t i) {
  const double x = std::fmod(static_cast<double>(i) * 0.618034, 1.0) * (kExtent - 1);
  const double z = std::fmod(static_cast<double>(i) * 0.414214, 1.0) * (kExtent - 1);
  return {{static_cast<float>(x), 1000, static_cast<float>(z)}};
}

// The share of sample points where both peers answer the same distance (within 0.01 units).
template <class Ours>
double AgreeingShare(Ours ours, const D3DXVECTOR3& direction) {
  constexpr int64_t kSamples = 20;
  int64_t agreeing = 0;
  for (int64_t i = 0; i < kSamples; ++i) {
    if (std::fabs(ours(PointOf(i)) - BruteForce(PointOf(i), direction)) < 0.01f) ++agreeing;
  }
  return static_cast<double>(agreeing) / kSamples;
}

void BM_TerrainGetHeight(benchmark::State& state) {
  ShapedTerrain terrain;
  state.counters["answers_agreeing"] = AgreeingShare(
      [](const D3DXVECTOR3& point) {
        D3DXVECTOR3 out;
        Terrain_GetHeight(0, &point, &out);
        return point.y - out.y;
      },
      D3DXVECTOR3{{0, -1, 0}});
  int64_t ours = 0, peer = 0;
  bench::Alternate(
      state,
      [&] {
        const D3DXVECTOR3 point = PointOf(ours++);
        D3DXVECTOR3 out;
        Terrain_GetHeight(0, &point, &out);
        benchmark::DoNotOptimize(out);
      },
      [&] {
        const D3DXVECTOR3 direction{{0, -1, 0}};
        benchmark::DoNotOptimize(BruteForce(PointOf(peer++), direction));
      });
}
// The brute force is thousands of times slower: a fixed count of blocks bounds the run.
constexpr int64_t kQueryBlocks = 40;
BENCHMARK(BM_TerrainGetHeight)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(kQueryBlocks);

void BM_TerrainRayPicking(benchmark::State& state) {
  ShapedTerrain terrain;
  D3DXVECTOR3 slant{{40, -2000, 30}};
  d3dx::D3DXVec3Normalize(&slant, &slant);
  state.counters["answers_agreeing"] = AgreeingShare(
      [](const D3DXVECTOR3& from) {
        const D3DXVECTOR3 to{{from.x + 40, -1000, from.z + 30}};
        TerrainPickResult result{};
        Terrain_RayPicking(0, &from, &to, &result, 0);
        return result.distance;
      },
      slant);
  int64_t ours = 0, peer = 0;
  bench::Alternate(
      state,
      [&] {
        const D3DXVECTOR3 from = PointOf(ours++);
        const D3DXVECTOR3 to{{from.x + 40, -1000, from.z + 30}};
        TerrainPickResult result{};
        Terrain_RayPicking(0, &from, &to, &result, 0);
        benchmark::DoNotOptimize(result);
      },
      [&] { benchmark::DoNotOptimize(BruteForce(PointOf(peer++), slant)); });
}
BENCHMARK(BM_TerrainRayPicking)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(kQueryBlocks);

}  // namespace
