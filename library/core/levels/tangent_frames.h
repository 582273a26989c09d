// Tangent frames for DOT3 bump mapping, shared by the map surfaces and the bump-map tool: each
// triangle adds its texture-space axes to its corners, then every vertex's frame is normalised.
#pragma once

// One corner of a triangle: its position, its coordinate pair and the sums it adds into.
struct TangentCorner {
  const float* position;  // x, y, z
  float u, v;
  float* s;  // the axis along u
  float* t;  // the axis along v
};

// Subtracts the triangle's share from each corner's s and t, axis by axis, for the axes whose
// limit |d| (the coordinates' determinant) stays above.
void AddTriangleTangents(const TangentCorner (&corners)[3], const float (&limits)[3]);
// Normalises s and t, writes s x t turned to the normal's side, and normalises the normal.
void FinishTangentFrame(float* s, float* t, float* sxt, float* normal);
