#include "library/core/actors/md2_draw.h"

#include <algorithm>
#include <cstring>

#include "library/core/actors/actor_resources.h"
#include "library/core/actors/keyframe_clock.h"
#include "library/core/actors/md2_system.h"
#include "library/core/frame/frame_state.h"
#include "platform/d3dx/math.h"

using namespace d3d;
using d3dx::D3DXMATRIX;

namespace {

constexpr uint32_t kFirstBlendConstant = 7;  // c7: weight of the next frame, c8: of the current
constexpr uint32_t kColourConstant = 4;

// The processor path: blended corners into the shared buffer, a batch of whole triangles at a time.
bool DrawOnTheProcessor(const ActorModel2& model, const MD2Pose& pose, const KeyFramePair& pair) {
  if (MD2SharedBuffer == nullptr) return false;
  const auto& corners = model.data.corners;
  const float* from = model.data.frames[static_cast<size_t>(pair.current)].positions.data();
  const float* to = model.data.frames[static_cast<size_t>(pair.next)].positions.data();
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 1);
  CurrentDevice->SetStreamSource(0, MD2SharedBuffer, sizeof(MD2Vertex));
  CurrentDevice->SetVertexShader(kMD2VertexFormat);
  CurrentDevice->SetTransform(D3DTS_WORLD, pose.world);
  const size_t triangles = corners.size() / 3;
  for (size_t start = 0; start < triangles; start += kMD2BatchTriangles) {
    const size_t count = std::min<size_t>(kMD2BatchTriangles, triangles - start);
    BYTE* data = nullptr;
    if (FAILED(MD2SharedBuffer->Lock(0, static_cast<UINT>(count * 3 * sizeof(MD2Vertex)), &data,
                                     D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK)))
      return false;
    for (size_t c = 0; c < count * 3; ++c) {
      const size_t corner = start * 3 + c;
      MD2Vertex vertex = {0, 0, 0, 1, 0, 0, corners[corner].u, corners[corner].v};
      float* position = &vertex.x;
      for (size_t axis = 0; axis < 3; ++axis) {
        const float a = from[corner * 3 + axis];
        position[axis] = a + pair.weight * (to[corner * 3 + axis] - a);
      }
      std::memcpy(data + c * sizeof(MD2Vertex), &vertex, sizeof vertex);
    }
    MD2SharedBuffer->Unlock();
    CurrentDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(count));
  }
  return true;
}

bool DrawWithTheShader(const ActorModel2& model, const MD2Pose& pose, const KeyFramePair& pair) {
  if (MD2ShaderHandle <= 0) return false;
  D3DXMATRIX combined, transform;
  d3dx::D3DXMatrixMultiply(&combined, reinterpret_cast<const D3DXMATRIX*>(pose.world),
                           reinterpret_cast<const D3DXMATRIX*>(pose.view));
  d3dx::D3DXMatrixMultiply(&combined, &combined,
                           reinterpret_cast<const D3DXMATRIX*>(pose.projection));
  d3dx::D3DXMatrixTranspose(&transform, &combined);
  const bool software = model.bufferUsage == D3DUSAGE_SOFTWAREPROCESSING;
  if (software) CurrentDevice->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 1);
  CurrentDevice->SetVertexShader(static_cast<DWORD>(MD2ShaderHandle));
  CurrentDevice->SetVertexShaderConstant(0, &transform, 4);
  const float colour[4] = {std::min(pose.diffuse.r, 1.0f), std::min(pose.diffuse.g, 1.0f),
                           std::min(pose.diffuse.b, 1.0f), std::min(pose.diffuse.a, 1.0f)};
  const float ones[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  const float next = pair.weight, current = 1.0f - pair.weight;
  const float blend[8] = {next, next, next, next, current, current, current, current};
  CurrentDevice->SetVertexShaderConstant(kColourConstant, colour, 1);
  CurrentDevice->SetVertexShaderConstant(kColourConstant + 1, ones, 2);
  CurrentDevice->SetVertexShaderConstant(kFirstBlendConstant, blend, 2);
  CurrentDevice->SetStreamSource(0, model.frameBuffers[static_cast<size_t>(pair.current)],
                                 sizeof(MD2Vertex));
  CurrentDevice->SetStreamSource(1, model.frameBuffers[static_cast<size_t>(pair.next)],
                                 sizeof(MD2Vertex));
  CurrentDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(model.data.triangleCount));
  // Nothing else draws from stream 1, and the device's shutdown unbinds only stream 0: a frame
  // left bound there would outlive its model.
  CurrentDevice->SetStreamSource(1, nullptr, 0);
  if (software) CurrentDevice->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, 0);
  return true;
}

}  // namespace

int32_t MD2_Draw(const ActorModel2& model, const MD2Pose& pose) {
  if (CurrentDevice == nullptr || !model.inUse) return 0;
  const KeyFramePair pair = BlendFrames(pose.frame, pose.first, pose.last,
                                        static_cast<int32_t>(model.data.frames.size()));
  CurrentDevice->SetTexture(0, ActorTexture(pose.texture));
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 0);
  CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  const bool drawn = model.softwarePath ? DrawOnTheProcessor(model, pose, pair)
                                        : DrawWithTheShader(model, pose, pair);
  if (!drawn) return 0;
  CountPolygons(model.data.triangleCount);
  return model.data.triangleCount;
}
