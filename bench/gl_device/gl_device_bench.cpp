// The OpenGL device against plain OpenGL: the same textured grid, drawn the same number of times
// into an offscreen target of the same size, in one run. BM_Device reports plain_gl_ratio, its
// time over the plain calls' time for the same work (the goal is below 1.1).
#include "platform/d3d/gl.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_state.h"
#include "tests/platform/d3d/gl_scene.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using namespace d3d;

constexpr UINT kTarget = 256;  // pixels per side
constexpr UINT kGrid = 32;     // quads per side of the grid
constexpr UINT kDrawsPerFrame = 64;
constexpr UINT kTexture = 64;  // texels per side

struct Vertex {
  float x, y, z;
  float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_TEX1;

struct Grid {
  std::vector<Vertex> vertices;
  std::vector<WORD> indices;
};

Grid MakeGrid() {
  Grid grid;
  for (UINT y = 0; y <= kGrid; ++y) {
    for (UINT x = 0; x <= kGrid; ++x) {
      const float u = static_cast<float>(x) / kGrid;
      const float v = static_cast<float>(y) / kGrid;
      grid.vertices.push_back({u * 2 - 1, 1 - v * 2, 0.5f, u, v});
    }
  }
  for (UINT y = 0; y < kGrid; ++y) {
    for (UINT x = 0; x < kGrid; ++x) {
      const auto at = static_cast<WORD>(y * (kGrid + 1) + x);
      const auto below = static_cast<WORD>(at + kGrid + 1);
      for (WORD index : {at, static_cast<WORD>(at + 1), below, below, static_cast<WORD>(at + 1),
                         static_cast<WORD>(below + 1)}) {
        grid.indices.push_back(index);
      }
    }
  }
  return grid;
}

std::vector<uint32_t> Checkers() {
  std::vector<uint32_t> texels(kTexture * kTexture);
  for (UINT i = 0; i < texels.size(); ++i) {
    texels[i] = ((i / 8 + i / kTexture / 8) % 2) != 0 ? 0xFFFFFFFFu : 0xFF204080u;
  }
  return texels;
}

// Plain OpenGL: its own context, a texture target, buffers and the fixed-function pipeline.
class PlainGl {
 public:
  PlainGl() {
    std::string error;
    context_ = gl::Context::Create(nullptr, &error);
    const Grid grid = MakeGrid();
    indexCount_ = static_cast<GLsizei>(grid.indices.size());
    glGenTextures(1, &target_);
    glBindTexture(GL_TEXTURE_2D, target_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kTarget, kTarget, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target_, 0);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    const auto texels = Checkers();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTexture, kTexture, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);  // the device's default
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glEnable(GL_TEXTURE_2D);
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
    glViewport(0, 0, kTarget, kTarget);
  }

  bool Ready() const { return context_ != nullptr; }

  void Frame() {
    context_->MakeCurrent();
    glClear(GL_COLOR_BUFFER_BIT);
    for (UINT draw = 0; draw < kDrawsPerFrame; ++draw) {
      glDrawElements(GL_TRIANGLES, indexCount_, GL_UNSIGNED_SHORT, nullptr);
    }
    glFinish();
  }

 private:
  std::unique_ptr<gl::Context> context_;
  GLuint target_ = 0;
  GLuint framebuffer_ = 0;
  GLuint texture_ = 0;
  GLuint vertices_ = 0;
  GLuint indices_ = 0;
  GLsizei indexCount_ = 0;
};

// The same through the device.
class DeviceScene {
 public:
  DeviceScene() {
    direct3d_ = CreateGlDirect3D();
    D3DPRESENT_PARAMETERS params = d3dtest::BackBufferParams(kTarget, kTarget, nullptr, false);
    if (direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_) != D3D_OK) {
      return;
    }
    const Grid grid = MakeGrid();
    indexCount_ = static_cast<UINT>(grid.indices.size());
    vertexCount_ = static_cast<UINT>(grid.vertices.size());
    device_->CreateTexture(kTexture, kTexture, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_);
    D3DLOCKED_RECT locked{};
    texture_->LockRect(0, &locked, nullptr, 0);
    const auto texels = Checkers();
    std::memcpy(locked.pBits, texels.data(), texels.size() * 4);
    texture_->UnlockRect(0);
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
    device_->SetTexture(0, texture_);
    device_->SetVertexShader(kFvf);
    device_->SetStreamSource(0, vertices_, sizeof(Vertex));
    device_->SetIndices(indices_, 0);
  }

  ~DeviceScene() {
    if (device_ != nullptr) {
      device_->SetTexture(0, nullptr);
      device_->SetStreamSource(0, nullptr, 0);
      device_->SetIndices(nullptr, 0);
      texture_->Release();
      vertices_->Release();
      indices_->Release();
      device_->Release();
    }
    direct3d_->Release();
  }

  bool Ready() const { return device_ != nullptr; }

  void Frame() {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    device_->BeginScene();
    for (UINT draw = 0; draw < kDrawsPerFrame; ++draw) {
      device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount_, 0, indexCount_ / 3);
    }
    device_->EndScene();
    glFinish();  // the device's context is current after its draws
  }

 private:
  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  IDirect3DTexture8* texture_ = nullptr;
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

void BM_PlainGl(benchmark::State& state) {
  PlainGl scene;
  if (!scene.Ready()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  SecondsFor(scene, kWarmUpFrames);
  for (auto _ : state) scene.Frame();
}
BENCHMARK(BM_PlainGl)->Unit(benchmark::kMillisecond);

void BM_Device(benchmark::State& state) {
  std::optional<DeviceScene> scene(std::in_place);
  if (!scene->Ready()) {
    state.SkipWithError(("no OpenGL device: " + GlDeviceError()).c_str());
    return;
  }
  SecondsFor(*scene, kWarmUpFrames);
  for (auto _ : state) scene->Frame();
  // The peer then runs as many frames, alone as the device ran alone: two live contexts slow
  // each other down in the software rasteriser.
  const int64_t frames = static_cast<int64_t>(state.iterations());
  const double device = SecondsFor(*scene, frames);
  scene.reset();
  PlainGl plain;
  SecondsFor(plain, kWarmUpFrames);
  state.counters["plain_gl_ratio"] = device / SecondsFor(plain, frames);
}
BENCHMARK(BM_Device)->Unit(benchmark::kMillisecond);

}  // namespace
