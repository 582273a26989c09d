#include "platform/engine/camera.h"

#include <cmath>
#include <numbers>

#include "platform/engine/scene.h"

namespace engine {

using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

void EngineCamera::SetCamera(const D3DXVECTOR3& position, const D3DXVECTOR3& lookAt) {
  position_ = position;
  lookAt_ = lookAt;
  hasMatrix_ = false;
  Changed();
}

void EngineCamera::SetPosition(float x, float y, float z) {
  Changed();
  const D3DXVECTOR3 moved{x, y, z};
  if (hasMatrix_) {
    world_.m[3][0] = x;
    world_.m[3][1] = y;
    world_.m[3][2] = z;
    return;
  }
  // Keep the direction of view, so that moving the camera does not turn it.
  lookAt_ = moved + (lookAt_ - position_);
  position_ = moved;
}

D3DXVECTOR3 EngineCamera::GetPosition() const {
  if (hasMatrix_) return {world_.m[3][0], world_.m[3][1], world_.m[3][2]};
  return position_;
}

void EngineCamera::LookAt(float x, float y, float z) { SetCamera(GetPosition(), {x, y, z}); }

void EngineCamera::SetMatrix(const D3DXMATRIX& world) {
  world_ = world;
  hasMatrix_ = true;
  Changed();
}

void EngineCamera::SetRotation(float x, float y, float z) {
  const D3DXVECTOR3 position = GetPosition();
  d3dx::D3DXMatrixRotationYawPitchRoll(&world_, y, x, z);
  world_.m[3][0] = position.x;
  world_.m[3][1] = position.y;
  world_.m[3][2] = position.z;
  hasMatrix_ = true;
  Changed();
}

D3DXMATRIX EngineCamera::GetMatrix() const {
  if (hasMatrix_) return world_;
  D3DXMATRIX view = View();
  D3DXMATRIX world;
  d3dx::D3DXMatrixInverse(&world, nullptr, &view);
  return world;
}

void EngineCamera::ChaseMesh(const EngineMesh& mesh, const D3DXVECTOR3& position,
                             const D3DXVECTOR3& lookAt, float, int32_t, float, int32_t, float) {
  SetCamera(mesh.TransformVector(position), mesh.TransformVector(lookAt));
}

void EngineCamera::SetViewFrustum(float angleDegrees, float farPlane, float nearPlane) {
  fovDegrees_ = angleDegrees;
  far_ = farPlane;
  near_ = nearPlane;
  projection_.reset();
}

D3DXMATRIX EngineCamera::View() const {
  if (view_) return *view_;
  D3DXMATRIX& view = view_.emplace();
  if (hasMatrix_) {
    d3dx::D3DXMatrixInverse(&view, nullptr, &world_);
    return view;
  }
  D3DXVECTOR3 up{0, 1, 0};
  const D3DXVECTOR3 forward = lookAt_ - position_;
  D3DXVECTOR3 side;
  d3dx::D3DXVec3Cross(&side, &up, &forward);
  // Looking straight up or down: any up at right angles to the view will do.
  if (d3dx::D3DXVec3LengthSq(&side) < 1e-12f) up = {0, 0, 1};
  d3dx::D3DXMatrixLookAtLH(&view, &position_, &lookAt_, &up);
  return view;
}

D3DXMATRIX EngineCamera::Projection(float aspect) const {
  if (projection_ && projection_->aspect == aspect) return projection_->matrix;
  D3DXMATRIX projection;
  const float fov = fovDegrees_ * std::numbers::pi_v<float> / 180.0f;
  d3dx::D3DXMatrixPerspectiveFovLH(&projection, fov, aspect, near_, far_);
  projection_ = KeptProjection{aspect, projection};
  return projection;
}

}  // namespace engine
