// The OpenGL device against plain OpenGL doing the same work in one run: the same offscreen
// X8R8G8B8 target with a depth buffer, cleared each frame; the same textured grid drawn the same
// number of times, each draw with its own world matrix and the other of two textures, linearly
// filtered, depth-tested. BM_Device reports plain_gl_ratio, its time over the plain calls' time
// for the same frames (the goal is below 1.1); BM_PlainGl and BM_DeviceAlone time each alone.
// Each runs twice: a few large grids, where filling pixels dominates, and many two-triangle
// draws, where the cost of each call does (arguments: quads per side of the grid, draws).
//
// The two are timed in alternating blocks of frames, so that a change in the machine's load
// falls on both alike. The software rasteriser allocates and frees large blocks on every draw;
// with the C library's default thresholds those go back to the system and fault in again, which
// costs both peers up to ten times what the drawing does and hides the layer's own cost. The
// allocator keeps them (StableAllocator), for both alike.
#include "bench/stable_allocator.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_state.h"
#include "tests/platform/d3d/gl_scene.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using namespace d3d;

constexpr UINT kTarget = 256;  // pixels per side
constexpr UINT kTexture = 64;  // texels per side
constexpr UINT kTextures = 2;  // the draws alternate between them

struct Vertex {
  float x, y, z;
  float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_TEX1;

struct Grid {
  std::vector<Vertex> vertices;
  std::vector<WORD> indices;
};

// What a frame draws: draws times a grid of quads x quads.
struct Work {
  UINT quads;
  UINT draws;
};

Work WorkOf(const benchmark::State& state) {
  return {static_cast<UINT>(state.range(0)), static_cast<UINT>(state.range(1))};
}

// The grid spans -1..1 in x and y: with identity view and projection, the whole target.
Grid MakeGrid(UINT quads) {
  Grid grid;
  for (UINT y = 0; y <= quads; ++y) {
    for (UINT x = 0; x <= quads; ++x) {
      const float u = static_cast<float>(x) / static_cast<float>(quads);
      const float v = static_cast<float>(y) / static_cast<float>(quads);
      grid.vertices.push_back({u * 2 - 1, 1 - v * 2, 0.5f, u, v});
    }
  }
  for (UINT y = 0; y < quads; ++y) {
    for (UINT x = 0; x < quads; ++x) {
      const auto at = static_cast<WORD>(y * (quads + 1) + x);
      const auto below = static_cast<WORD>(at + quads + 1);
      for (WORD index : {at, static_cast<WORD>(at + 1), below, below, static_cast<WORD>(at + 1),
                         static_cast<WORD>(below + 1)}) {
        grid.indices.push_back(index);
      }
    }
  }
  return grid;
}

std::vector<uint32_t> Checkers(uint32_t dark) {
  std::vector<uint32_t> texels(kTexture * kTexture);
  for (UINT i = 0; i < texels.size(); ++i) {
    texels[i] = ((i / 8 + i / kTexture / 8) % 2) != 0 ? 0xFFFFFFFFu : dark;
  }
  return texels;
}
constexpr std::array<uint32_t, kTextures> kDarkTexels = {0xFF204080u, 0xFF804020u};

// Every frame fills the target's area kFilledTargets times over, however many draws share it:
// draw d covers 1 / draws of that, placed along a scattered sequence, each draw nearer than the
// one before so that the depth test passes; the same matrices in both peers.
constexpr float kFilledTargets = 16.0f;

std::vector<D3DMATRIX> WorldMatrices(UINT draws) {
  const float scale = std::sqrt(kFilledTargets / static_cast<float>(draws));
  std::vector<D3DMATRIX> worlds(draws);
  for (UINT d = 0; d < draws; ++d) {
    const auto spread = [&](float step) {
      const float place = static_cast<float>(d) * step;
      return (place - std::floor(place)) * (2.0f - 2.0f * scale) - 1.0f + scale;
    };
    D3DMATRIX& m = worlds[d];
    m.m[0][0] = scale;
    m.m[1][1] = scale;
    m.m[2][2] = 1.0f;
    m.m[3][0] = spread(0.618034f);
    m.m[3][1] = spread(0.414214f);
    m.m[3][2] = -0.4f * static_cast<float>(d) / static_cast<float>(draws);
    m.m[3][3] = 1.0f;
  }
  return worlds;
}

// Plain OpenGL: its own context, a texture target with a depth buffer, buffers and the
// fixed-function pipeline.
class PlainGl {
 public:
  explicit PlainGl(Work work) : worlds_(WorldMatrices(work.draws)) {
    std::string error;
    context_ = gl::Context::Create(nullptr, &error);
    if (!context_) return;
    const Grid grid = MakeGrid(work.quads);
    indexCount_ = static_cast<GLsizei>(grid.indices.size());
    glGenTextures(1, &target_);
    glBindTexture(GL_TEXTURE_2D, target_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kTarget, kTarget, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kTarget, kTarget);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    glGenTextures(kTextures, textures_.data());
    for (UINT t = 0; t < kTextures; ++t) {
      glBindTexture(GL_TEXTURE_2D, textures_[t]);
      const auto texels = Checkers(kDarkTexels[t]);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTexture, kTexture, 0, GL_BGRA,
                   GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glGenBuffers(1, &vertices_);
    glBindBuffer(GL_ARRAY_BUFFER, vertices_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(grid.vertices.size() * sizeof(Vertex)),
                 grid.vertices.data(), GL_DYNAMIC_DRAW);
    glGenBuffers(1, &indices_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(grid.indices.size() * sizeof(WORD)), grid.indices.data(),
                 GL_DYNAMIC_DRAW);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), nullptr);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), reinterpret_cast<void*>(3 * sizeof(float)));
    // The device's first stage: colour = texture x diffuse, alpha = texture. The combiner must be
    // the same as the device's, not merely equivalent: llvmpipe draws some forms of it several
    // times faster than others (GL_MODULATE's texture x previous among the slow ones).
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
    glViewport(0, 0, kTarget, kTarget);
    glMatrixMode(GL_MODELVIEW);
  }

  ~PlainGl() {
    if (!context_) return;
    context_->MakeCurrent();
    glDeleteTextures(1, &target_);
    glDeleteTextures(kTextures, textures_.data());
    glDeleteRenderbuffers(1, &depth_);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteBuffers(1, &vertices_);
    glDeleteBuffers(1, &indices_);
  }

  bool Ready() const { return context_ != nullptr; }

  void Frame() {
    context_->MakeCurrent();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (UINT draw = 0; draw < worlds_.size(); ++draw) {
      // Read transposed, the device's row-vector matrix is OpenGL's column-vector one.
      glLoadMatrixf(&worlds_[draw].m[0][0]);
      glBindTexture(GL_TEXTURE_2D, textures_[draw % kTextures]);
      glDrawElements(GL_TRIANGLES, indexCount_, GL_UNSIGNED_SHORT, nullptr);
    }
    glFinish();
  }

 private:
  std::unique_ptr<gl::Context> context_;
  std::vector<D3DMATRIX> worlds_;
  GLuint target_ = 0;
  GLuint depth_ = 0;
  GLuint framebuffer_ = 0;
  std::array<GLuint, kTextures> textures_{};
  GLuint vertices_ = 0;
  GLuint indices_ = 0;
  GLsizei indexCount_ = 0;
};

// The same through the device.
class DeviceScene {
 public:
  explicit DeviceScene(Work work) : worlds_(WorldMatrices(work.draws)) {
    direct3d_ = CreateGlDirect3D();
    D3DPRESENT_PARAMETERS params = d3dtest::BackBufferParams(kTarget, kTarget, nullptr, true);
    if (direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_) != D3D_OK) {
      return;
    }
    const Grid grid = MakeGrid(work.quads);
    indexCount_ = static_cast<UINT>(grid.indices.size());
    vertexCount_ = static_cast<UINT>(grid.vertices.size());
    for (UINT t = 0; t < kTextures; ++t) {
      device_->CreateTexture(kTexture, kTexture, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                             &textures_[t]);
      D3DLOCKED_RECT locked{};
      textures_[t]->LockRect(0, &locked, nullptr, 0);
      const auto texels = Checkers(kDarkTexels[t]);
      std::memcpy(locked.pBits, texels.data(), texels.size() * 4);
      textures_[t]->UnlockRect(0);
    }
    device_->CreateVertexBuffer(vertexCount_ * sizeof(Vertex), D3DUSAGE_WRITEONLY, kFvf,
                                D3DPOOL_MANAGED, &vertices_);
    BYTE* data = nullptr;
    vertices_->Lock(0, 0, &data, 0);
    std::memcpy(data, grid.vertices.data(), grid.vertices.size() * sizeof(Vertex));
    vertices_->Unlock();
    device_->CreateIndexBuffer(indexCount_ * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                               &indices_);
    indices_->Lock(0, 0, &data, 0);
    std::memcpy(data, grid.indices.data(), grid.indices.size() * 2);
    indices_->Unlock();
    device_->SetRenderState(D3DRS_LIGHTING, 0);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetVertexShader(kFvf);
    device_->SetStreamSource(0, vertices_, sizeof(Vertex));
    device_->SetIndices(indices_, 0);
  }

  ~DeviceScene() {
    if (device_ != nullptr) {
      device_->SetTexture(0, nullptr);
      device_->SetStreamSource(0, nullptr, 0);
      device_->SetIndices(nullptr, 0);
      for (IDirect3DTexture8* texture : textures_) texture->Release();
      vertices_->Release();
      indices_->Release();
      device_->Release();
    }
    direct3d_->Release();
  }

  bool Ready() const { return device_ != nullptr; }

  void Frame() {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->BeginScene();
    for (UINT draw = 0; draw < worlds_.size(); ++draw) {
      device_->SetTransform(D3DTS_WORLD, &worlds_[draw]);
      device_->SetTexture(0, textures_[draw % kTextures]);
      device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount_, 0, indexCount_ / 3);
    }
    device_->EndScene();
    glFinish();  // the device's context is current after its draws
  }

 private:
  std::vector<D3DMATRIX> worlds_;
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  std::array<IDirect3DTexture8*, kTextures> textures_{};
  IDirect3DVertexBuffer8* vertices_ = nullptr;
  IDirect3DIndexBuffer8* indices_ = nullptr;
  UINT indexCount_ = 0;
  UINT vertexCount_ = 0;
};

template <class Scene>
double SecondsFor(Scene& scene, int64_t frames) {
  const auto start = std::chrono::steady_clock::now();
  for (int64_t i = 0; i < frames; ++i) scene.Frame();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The first frames of a context compile its pipeline; they are kept out of every measure.
constexpr int64_t kWarmUpFrames = 3;
// Frames per block of the alternating measure.
constexpr int64_t kBlockFrames = 2;

void BM_PlainGl(benchmark::State& state) {
  bench::StableAllocator();
  PlainGl scene(WorkOf(state));
  if (!scene.Ready()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  SecondsFor(scene, kWarmUpFrames);
  for (auto _ : state) scene.Frame();
}
// Quads per side of the grid, draws per frame: fill-bound, then call-bound.
void FrameShapes(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgNames({"quads", "draws"})->Args({32, 64})->Args({1, 2048});
}

BENCHMARK(BM_PlainGl)->Unit(benchmark::kMillisecond)->Apply(FrameShapes);

void BM_DeviceAlone(benchmark::State& state) {
  bench::StableAllocator();
  DeviceScene scene(WorkOf(state));
  if (!scene.Ready()) {
    state.SkipWithError(("no OpenGL device: " + GlDeviceError()).c_str());
    return;
  }
  SecondsFor(scene, kWarmUpFrames);
  for (auto _ : state) scene.Frame();
}
BENCHMARK(BM_DeviceAlone)->Unit(benchmark::kMillisecond)->Apply(FrameShapes);

// Each iteration is one block of device frames and one of plain frames; the time reported is the
// device's, and plain_gl_ratio the sum of the device's blocks over the sum of the plain ones.
void BM_Device(benchmark::State& state) {
  bench::StableAllocator();
  DeviceScene device(WorkOf(state));
  PlainGl plain(WorkOf(state));
  if (!device.Ready() || !plain.Ready()) {
    state.SkipWithError(("no OpenGL device: " + GlDeviceError()).c_str());
    return;
  }
  SecondsFor(device, kWarmUpFrames);
  SecondsFor(plain, kWarmUpFrames);
  double deviceSeconds = 0.0;
  double plainSeconds = 0.0;
  for (auto _ : state) {
    const double blockSeconds = SecondsFor(device, kBlockFrames);
    deviceSeconds += blockSeconds;
    state.SetIterationTime(blockSeconds / kBlockFrames);
    state.PauseTiming();
    plainSeconds += SecondsFor(plain, kBlockFrames);
    state.ResumeTiming();
  }
  state.counters["plain_gl_ratio"] = deviceSeconds / plainSeconds;
}
BENCHMARK(BM_Device)->Unit(benchmark::kMillisecond)->UseManualTime()->Apply(FrameShapes);

}  // namespace
