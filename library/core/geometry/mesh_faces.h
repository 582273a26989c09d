// The triangles of a caller's mesh, for the face-normal arrays of the collision queries and the
// debug sphere.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "platform/d3dx/math.h"

namespace d3dx {
class ID3DXMesh;
}

using FaceCorners = std::array<d3dx::D3DXVECTOR3, 3>;

// The corner positions of every face, in face order, read from a system-memory copy of the mesh
// that keeps positions only; its indices are 16- or 32-bit as the mesh's options say. Nothing for a
// null mesh, one that cannot be copied, or one whose indices point past its vertices.
std::optional<std::vector<FaceCorners>> MeshFaceCorners(d3dx::ID3DXMesh* mesh);

// (v1 - v0) x (v2 - v0): the face's normal, as long as twice its area.
d3dx::D3DXVECTOR3 FaceCross(const FaceCorners& face);
