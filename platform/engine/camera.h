// A camera of the engine: the main view's, or a render surface's own. It is either placed by an
// eye point and a point looked at (up is world +y), or given a whole world matrix whose rows are
// its right, up and forward axes and its position (as a mesh's matrix is). The frustum angle is
// the vertical field of view in degrees.
#pragma once

#include <optional>

#include "platform/d3dx/math.h"

namespace engine {

class EngineMesh;

class EngineCamera {
 public:
  void SetCamera(const d3dx::D3DXVECTOR3& position, const d3dx::D3DXVECTOR3& lookAt);
  void SetPosition(float x, float y, float z);
  d3dx::D3DXVECTOR3 GetPosition() const;
  void LookAt(float x, float y, float z);
  // The camera's world matrix: rows right, up, forward, position.
  void SetMatrix(const d3dx::D3DXMATRIX& world);
  // Turns the camera in place [radians]: roll about z, then pitch about x, then yaw about y.
  void SetRotation(float x, float y, float z);
  d3dx::D3DXMATRIX GetMatrix() const;
  // Places the camera at the mesh's point `position` looking at its point `lookAt`, both in the
  // mesh's own axes, so it follows the mesh as it moves and turns. The follow speed, the distance
  // limit and the rest are for a smoothed chase; this camera follows at once.
  void ChaseMesh(const EngineMesh& mesh, const d3dx::D3DXVECTOR3& position,
                 const d3dx::D3DXVECTOR3& lookAt, float speed, int32_t flag, float distance,
                 int32_t mode, float factor);
  void SetViewFrustum(float angleDegrees, float farPlane, float nearPlane);
  float FieldOfView() const { return fovDegrees_; }
  float NearPlane() const { return near_; }
  float FarPlane() const { return far_; }

  d3dx::D3DXMATRIX View() const;
  d3dx::D3DXMATRIX Projection(float aspect) const;

 private:
  // Every mesh drawn asks for both; they are made again only after the camera changes.
  struct KeptProjection {
    float aspect;
    d3dx::D3DXMATRIX matrix;
  };
  void Changed() { view_.reset(); }
  mutable std::optional<d3dx::D3DXMATRIX> view_;
  mutable std::optional<KeptProjection> projection_;

  d3dx::D3DXVECTOR3 position_{};
  d3dx::D3DXVECTOR3 lookAt_{0, 0, 1};
  bool hasMatrix_ = false;
  d3dx::D3DXMATRIX world_{};
  float fovDegrees_ = 45.0f;
  float near_ = 1.0f;
  float far_ = 50000.0f;
};

}  // namespace engine
