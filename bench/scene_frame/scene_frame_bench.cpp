// The scene's two per-frame loops over many objects, each beside the same work done on plain
// D3DX maths: DrawStars over a full catalogue of 10,000 stars and UpdateRockField over a pool of
// 100 rocks. The goal for each is under 50 us a frame.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/d3dx/math.h"
#include "platform/win/rnd.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/placement.h"
#include "program/scene/scene_state.h"
#include "program/scene/world_models.h"

namespace {

constexpr size_t StarCount = 10000;
constexpr int32_t RockPool = 100;
constexpr float SkyRadius = 5000.0f;  // world units

void CreateScene() {
  if (Engine) return;
  Engine = std::make_unique<engine::Engine>();
  Globals = std::make_unique<engine::EngineGlobals>(*Engine);
  Scene = std::make_unique<engine::EngineScene>(*Engine);
  Screen2DDraw = std::make_unique<engine::EngineScreen2DDraw>(*Engine);
  ViewCameras[1] = &Engine->MainCamera();
  ViewCameras[1]->SetCamera({0, 0, 0}, {0, 0, 1});
  RenderDetail = 1;
  StarSize = 10;
  FieldOfView = 60.0f;
  CameraDistance = 100.0f;
  StarField = Scene->CreateMesh("");
  StarField->AddVertex(0, 0, 0, 0, 0, 0);
  for (size_t i = 0; i < StarCount; ++i) {
    const d3dx::D3DXVECTOR3 p = engine::EngineMathLibrary::PointOnSphere(
        {}, SkyRadius, win::Rnd() * 6.2831853f, (win::Rnd() - 0.5f) * 3.1415926f);
    MeshPtr point = i == 0 ? Scene->CreateMesh("") : StarPointMeshes[0]->Clone("");
    if (i == 0) point->AddVertex(0, 0, 0, 0, 0, 0);
    point->SetPosition(p.x, p.y, p.z);
    StarField->AttachChild(point);
    StarPointMeshes.push_back(point);
    KeptStars.push_back({{p.x, p.y, p.z}, true, 0.8f, ""});
  }
  BrightStarCount = static_cast<int32_t>(StarCount);
  RockCount = RockPool;
  RockGraphic = 75;
  for (int32_t n = 0; n < RockPool; ++n) {
    RockMeshes.push_back(Scene->CreateMesh(""));
    FakeRockMeshes.push_back(Scene->CreateMesh(""));
  }
  PlaceRocks();
}

void BM_DrawStars(benchmark::State& state) {
  CreateScene();
  auto surface = Scene->CreateRenderSurface(640, 480);
  surface->SetCamera(0, 0, 0, 0, 0, 1);
  surface->StartRender(true);
  for (auto _ : state) DrawStars();
  surface->EndRender();
}
BENCHMARK(BM_DrawStars)->Unit(benchmark::kMicrosecond);

// The same stars projected with the D3DX calls alone.
void BM_DrawStarsPlainMaths(benchmark::State& state) {
  CreateScene();
  const d3dx::D3DXMATRIX world = StarField->GetMatrix();
  const d3dx::D3DXMATRIX view = ViewCameras[1]->View();
  const d3dx::D3DXMATRIX projection = ViewCameras[1]->Projection(640.0f / 480.0f);
  d3dx::D3DXMATRIX all = world * view * projection;
  std::vector<d3dx::D3DXVECTOR3> points(StarCount);
  for (auto _ : state) {
    for (size_t i = 0; i < StarCount; ++i) {
      const d3dx::D3DXVECTOR3 local = StarPointMeshes[i]->GetPosition();
      d3dx::D3DXVec3TransformCoord(&points[i], &local, &all);
    }
    benchmark::DoNotOptimize(points.data());
  }
}
BENCHMARK(BM_DrawStarsPlainMaths)->Unit(benchmark::kMicrosecond);

void BM_UpdateRockField(benchmark::State& state) {
  CreateScene();
  for (auto _ : state) UpdateRockField();
}
BENCHMARK(BM_UpdateRockField)->Unit(benchmark::kMicrosecond);

// The rock records culled against the view cone with the D3DX calls alone.
void BM_UpdateRockFieldPlainMaths(benchmark::State& state) {
  CreateScene();
  const float cosine = std::cos(FieldOfView * 0.0174532925f);
  const d3dx::D3DXVECTOR3 ahead{0, 0, 1};
  for (auto _ : state) {
    int visible = 0;
    for (const RockRecord& rock : RockRecords) {
      d3dx::D3DXVECTOR3 toward{rock.World.x, rock.World.y, rock.World.z};
      if (d3dx::D3DXVec3Length(&toward) > static_cast<float>(RockGraphic) + 200.0f) continue;
      d3dx::D3DXVec3Normalize(&toward, &toward);
      if (d3dx::D3DXVec3Dot(&toward, &ahead) > cosine) ++visible;
    }
    benchmark::DoNotOptimize(visible);
  }
}
BENCHMARK(BM_UpdateRockFieldPlainMaths)->Unit(benchmark::kMicrosecond);

}  // namespace
