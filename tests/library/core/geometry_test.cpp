// The maths, frustum and ray exports, and the mesh queries on meshes made by the caller.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <set>
#include <utility>
#include <vector>

#include "platform/d3dx/math.h"
#include "platform/d3dx/mesh.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXPLANE;

constexpr float kPi = std::numbers::pi_v<float>;

float PlaneAt(const D3DXPLANE& plane, const D3DVECTOR& p) {
  return plane.a * p.x + plane.b * p.y + plane.c * p.z + plane.d;
}

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  d3dx::D3DXMatrixIdentity(&m);
  return m;
}

D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m;
  d3dx::D3DXMatrixTranslation(&m, x, y, z);
  return m;
}

TEST(GeometryMaths, ScalarExports) {
  struct Case {
    const char* name;
    float actual;
    float expected;
  };
  const Case cases[] = {
      {"distance 2D", Maths_GetDistance2D(0, 0, 3, 4), 5.0f},
      {"distance 3D", Maths_GetDistance3D(1, 2, 3, 3, 5, 9), 7.0f},
      {"square root", Maths_Sqr(2.25f), 1.5f},
      {"cos", Maths_Cos(kPi / 3), 0.5f},
      {"sin", Maths_Sin(kPi / 6), 0.5f},
      {"acos", Maths_Acos(0), kPi / 2},
      {"asin", Maths_Asin(1), kPi / 2},
      {"atan", Maths_Atan(1), kPi / 4},
      {"atan2", Maths_Atan2(1, -1), 3 * kPi / 4},
      {"degree cos", Maths_DegCos(60), 0.5f},
      {"degree sin", Maths_DegSin(-30), -0.5f},
      {"degree acos", Maths_DegAcos(0.5f), 60.0f},
      {"degree asin", Maths_DegAsin(1), 90.0f},
      {"degree atan", Maths_DegAtan(-1), -45.0f},
      {"degree atan2", Maths_DegAtan2(1, 1), 45.0f},
  };
  for (const Case& c : cases) EXPECT_NEAR(c.actual, c.expected, 1e-5f) << c.name;
}

TEST(GeometryMaths, VectorExportsAndFastNormalize) {
  const D3DVECTOR a{1, 2, 3}, b{4, -1, 0.5f};
  D3DVECTOR out{};
  EXPECT_EQ(Maths_VectorAdd(&out, &a, &b), 1);
  EXPECT_TRUE(Near(out, {5, 1, 3.5f}));
  EXPECT_EQ(Maths_VectorSubtract(&out, &a, &b), 1);
  EXPECT_TRUE(Near(out, {-3, 3, 2.5f}));
  EXPECT_EQ(Maths_VectorScale(&out, &a, -2), 1);
  EXPECT_TRUE(Near(out, {-2, -4, -6}));
  EXPECT_EQ(Maths_VectorAddF(&out, &a, &a), &out);
  EXPECT_EQ(Maths_VectorSubtractF(&out, &a, &a), &out);
  EXPECT_TRUE(Near(out, {0, 0, 0}));
  EXPECT_EQ(Maths_VectorScaleF(&out, &b, 12345, 2), &out);
  EXPECT_TRUE(Near(out, {8, -2, 1}));

  D3DVECTOR v{3, 0, 4};
  EXPECT_EQ(FastNormalize(&v), 0);
  EXPECT_NEAR(v.x, 0.6f, 0.6f * 0.002f);
  EXPECT_EQ(v.y, 0.0f);
  EXPECT_NEAR(v.z, 0.8f, 0.8f * 0.002f);
  D3DVECTOR zero{0, 0, 0};
  FastNormalize(&zero);
  EXPECT_TRUE(Near(zero, {0, 0, 0}, 0));
}

TEST(GeometryMaths, EulerAnglesOfQuaternionsAwayFromAndAtThePole) {
  struct Case {
    const char* name;
    d3dx::D3DXQUATERNION q;
    D3DVECTOR angles;
  };
  const float s = std::sin(0.25f), c = std::cos(0.25f), half = std::sqrt(0.5f);
  const Case cases[] = {
      {"identity", {0, 0, 0, 1}, {0, 0, 0}},
      {"about x", {s, 0, 0, c}, {0.5f, 0, 0}},
      {"about y", {0, s, 0, c}, {0, 0.5f, 0}},
      {"about z", {0, 0, s, c}, {0, 0, 0.5f}},
      // A quarter turn about y puts the pitch at the pole, where x is taken as 0.
      {"pole", {0, half, 0, half}, {0, kPi / 2, 0}},
      {"other pole", {0, -half, 0, half}, {0, -kPi / 2, 0}},
  };
  for (const Case& k : cases) {
    D3DVECTOR angles{9, 9, 9};
    EXPECT_EQ(MakeEulerAnglesFromQ(&k.q, &angles), 1);
    EXPECT_TRUE(Near(angles, k.angles, 1e-4f)) << k.name;
  }
}

// An orthographic view of the box x, y in -128..128, z in -1024..1024: planes at places a float
// holds exactly.
class Frustum : public ::testing::Test {
 protected:
  void SetUp() override {
    const D3DXMATRIX view = Identity();
    d3dx::D3DXMatrixOrthoLH(&projection_, 256, 256, 0, 1024);
    EXPECT_EQ(ComputeClipPlanes(planes_, &view, &projection_), 0);
  }

  static int32_t Visible(float x, float y, float z, float radius) {
    const D3DXMATRIX world = Translation(x, y, z);
    const D3DVECTOR origin{0, 0, 0};
    return CheckVisibilitySphere2(0, &origin, &radius, &world);
  }

  D3DXMATRIX projection_;
  D3DXPLANE planes_[6];
};

TEST_F(Frustum, PlanesOfViewAndProjectionInTheirOrder) {
  // Far, near (the loose form c3 + c4), top, bottom, left, right; unit normals pointing inward.
  const float expected[6][4] = {{0, 0, -1, 1024}, {0, 0, 1, 1024}, {0, -1, 0, 128},
                                {0, 1, 0, 128},   {1, 0, 0, 128},  {-1, 0, 0, 128}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(planes_[i].a, expected[i][0], 1e-5f) << i;
    EXPECT_NEAR(planes_[i].b, expected[i][1], 1e-5f) << i;
    EXPECT_NEAR(planes_[i].c, expected[i][2], 1e-5f) << i;
    EXPECT_NEAR(planes_[i].d, expected[i][3], 1e-3f) << i;
  }
}

TEST_F(Frustum, SpheresStayVisibleUpTo30UnitsBeyondAPlane) {
  struct Case {
    float x, y, z, radius;
    int32_t visible;
  };
  const Case cases[] = {
      {0, 0, 500, 1, 1},                              // inside
      {-159, 0, 500, 1, 1},                           // 30 beyond the left plane past its radius
      {-159.01f, 0, 500, 1, 0},                       // 30.01 beyond
      {0, 168, 500, 10, 1},                           // above the top, within margin and radius
      {0, 169, 500, 10, 0},     {0, 0, 1064, 10, 1},  // past the far plane
      {0, 0, 1065, 10, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Visible(c.x, c.y, c.z, c.radius), c.visible) << c.x << ", " << c.y << ", " << c.z;
  }
}

TEST_F(Frustum, PyramidOfEyeAndTargetFillsTheCallersArrayOnly) {
  std::vector<D3DXPLANE> storage(6);
  SAFEARRAY array{1, 0, sizeof(D3DXPLANE), 0, storage.data(), {{6, 0}}};
  SAFEARRAY* pointer = &array;
  const D3DVECTOR eye{0, 5, 0}, target{0, 5, 10};
  const float fieldOfView = kPi / 2, distance = 100;
  EXPECT_EQ(ComputeClipPlanesRTS(&pointer, &eye, &target, &fieldOfView, &distance), 0);
  EXPECT_EQ(array.cLocks, 0u);
  EXPECT_NEAR(PlaneAt(storage[0], {0, 5, 7}), 7, 1e-4f);   // the eye plane faces forward
  EXPECT_NEAR(PlaneAt(storage[1], {0, 5, 7}), 93, 1e-4f);  // the far plane faces back
  const float halfWidth = std::tan(fieldOfView / 4) * distance;
  const float halfHeight = 0.785f * halfWidth;
  // All six planes face into the pyramid: a point inside is in front of each, and a point just
  // beyond one side is behind that plane alone.
  const D3DVECTOR inside{0, 5, 50};
  for (const D3DXPLANE& plane : storage) EXPECT_GT(PlaneAt(plane, inside), 0);
  for (int i = 2; i < 6; ++i) {
    EXPECT_NEAR(PlaneAt(storage[static_cast<size_t>(i)], eye), 0, 1e-4f) << i;
  }
  // Half way to the far rectangle, one unit beyond each side.
  const float beyondX = halfWidth * 0.5f + 1, beyondY = halfHeight * 0.5f + 1;
  const D3DVECTOR outside[4] = {
      {0, 5 + beyondY, 50}, {0, 5 - beyondY, 50}, {-beyondX, 5, 50}, {beyondX, 5, 50}};
  for (int side = 0; side < 4; ++side) {
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(PlaneAt(storage[static_cast<size_t>(i)], outside[side]) < 0, i == side + 2)
          << "point beyond side " << side << ", plane " << i;
    }
  }
  // Each side plane passes through its two corners of the far rectangle.
  const D3DVECTOR top{halfWidth, 5 + halfHeight, 100}, bottom{-halfWidth, 5 - halfHeight, 100};
  EXPECT_NEAR(PlaneAt(storage[2], top), 0, 1e-3f);
  EXPECT_NEAR(PlaneAt(storage[3], bottom), 0, 1e-3f);
  EXPECT_NEAR(PlaneAt(storage[4], {-halfWidth, 5 + halfHeight, 100}), 0, 1e-3f);
  EXPECT_NEAR(PlaneAt(storage[5], {halfWidth, 5 - halfHeight, 100}), 0, 1e-3f);
  // The current frustum is the orthographic one still.
  EXPECT_EQ(Visible(-159, 0, 500, 1), 1);
  EXPECT_EQ(Visible(-159.01f, 0, 500, 1), 0);

  // An array of another element size is left alone.
  std::vector<float> small(6, 7.0f);
  SAFEARRAY wrong{1, 0, sizeof(float), 0, small.data(), {{6, 0}}};
  SAFEARRAY* wrongPointer = &wrong;
  EXPECT_EQ(ComputeClipPlanesRTS(&wrongPointer, &eye, &target, &fieldOfView, &distance), 0);
  EXPECT_EQ(small, std::vector<float>(6, 7.0f));
}

TEST(GeometryRays, TrianglesFromBothSidesBehindAndParallel) {
  const D3DVECTOR v0{0, 0, 0}, v1{1, 0, 0}, v2{0, 1, 0};
  struct Case {
    const char* name;
    D3DVECTOR origin, direction;
    int32_t hit;
    float t, u, v;
  };
  const Case cases[] = {
      {"ahead", {0.25f, 0.5f, -2}, {0, 0, 1}, 1, 2, 0.25f, 0.5f},
      {"from behind the face", {0.25f, 0.25f, 3}, {0, 0, -1}, 1, 3, 0.25f, 0.25f},
      {"behind the origin", {0.5f, 0.25f, 2}, {0, 0, 2}, 1, -1, 0.5f, 0.25f},
      {"parallel", {0.2f, 0.2f, 0}, {1, 0, 0}, 0, 0, 0, 0},
      {"past the edge", {0.75f, 0.5f, -1}, {0, 0, 1}, 0, 0, 0, 0},
      {"past the corner", {-0.1f, 0.5f, -1}, {0, 0, 1}, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    float t = 0, u = 0, v = 0;
    D3DVECTOR point{}, normal{};
    ASSERT_EQ(
        Triangle_RayCollision(&c.origin, &c.direction, &v0, &v1, &v2, &t, &u, &v, &point, &normal),
        c.hit)
        << c.name;
    if (c.hit == 0) continue;
    EXPECT_NEAR(t, c.t, 1e-5f) << c.name;
    EXPECT_NEAR(u, c.u, 1e-5f) << c.name;
    EXPECT_NEAR(v, c.v, 1e-5f) << c.name;
    EXPECT_TRUE(Near(point, {c.u, c.v, 0})) << c.name;
    EXPECT_TRUE(Near(normal, {0, 0, 1})) << c.name;
    EXPECT_EQ(
        Triangle_RayCollision(&c.origin, &c.direction, &v0, &v1, &v2, &t, &u, &v, nullptr, nullptr),
        1);
  }

  // The D3DX forms count hits ahead only, and closer than the limit.
  const D3DVECTOR origin{0.25f, 0.25f, -5}, ahead{0, 0, 1}, back{0, 0, -1};
  EXPECT_EQ(D3DX_IntersectTri(&v0, &v1, &v2, &origin, &ahead, 5.01f), 1);
  EXPECT_EQ(D3DX_IntersectTri(&v0, &v1, &v2, &origin, &ahead, 5.0f), 0);
  EXPECT_EQ(D3DX_IntersectTri(&v0, &v1, &v2, &origin, &back, 100), 0);
  float distance = 0, u = 0, v = 0;
  D3DVECTOR normal{}, point{};
  EXPECT_EQ(D3DX_IntersectTri2(&v0, &v2, &v1, &origin, &ahead, &distance, &u, &v, &normal, &point),
            1);
  EXPECT_NEAR(distance, 5, 1e-5f);
  EXPECT_TRUE(Near(normal, {0, 0, -1}));
  EXPECT_TRUE(Near(point, {0.25f, 0.25f, 0}));
}

TEST(GeometryRays, SpheresGrazedCrossedAndFromInside) {
  const D3DVECTOR centre{0, 0, 10};
  struct Case {
    const char* name;
    D3DVECTOR origin, direction;
    float radius;
    int32_t hit;
    float distance;
    D3DVECTOR point, normal;
  };
  const Case cases[] = {
      {"through the middle", {0, 0, 0}, {0, 0, 4}, 2, 1, 8, {0, 0, 8}, {0, 0, -1}},
      {"grazing", {2, 0, 0}, {0, 0, 1}, 2, 1, 10, {2, 0, 10}, {1, 0, 0}},
      {"from inside", {0, 0, 10}, {0, 1, 0}, 2, 1, -2, {0, -2, 10}, {0, -1, 0}},
      {"behind", {0, 0, 20}, {0, 0, 1}, 2, 1, -12, {0, 0, 8}, {0, 0, -1}},
      {"miss", {2.5f, 0, 0}, {0, 0, 1}, 2, 0, 0, {}, {}},
      {"no radius", {0, 0, 0}, {0, 0, 1}, 0, 0, 0, {}, {}},
  };
  for (const Case& c : cases) {
    float distance = 0;
    D3DVECTOR point{}, normal{};
    ASSERT_EQ(BoundingSphere2_Test(&c.origin, &c.direction, &centre, c.radius, &distance, &point,
                                   &normal),
              c.hit)
        << c.name;
    if (c.hit == 0) continue;
    EXPECT_NEAR(distance, c.distance, 1e-4f) << c.name;
    EXPECT_TRUE(Near(point, c.point, 1e-4f)) << c.name;
    EXPECT_TRUE(Near(normal, c.normal, 1e-4f)) << c.name;
  }
}

TEST(GeometryRays, BoxesBySegmentAndByRay) {
  const D3DVECTOR min{-1, -1, -1}, max{1, 1, 1};
  struct Case {
    const char* name;
    D3DVECTOR origin, segment;
    int32_t hit;
    D3DVECTOR point, normal;
  };
  const Case segments[] = {
      {"into the +x face", {5, 0.5f, 0}, {-10, 0, 0}, 1, {1, 0.5f, 0}, {1, 0, 0}},
      {"into the -z face", {0, 0, -3}, {0, 0, 4}, 1, {0, 0, -1}, {0, 0, -1}},
      {"ends before the box", {5, 0, 0}, {-3.9f, 0, 0}, 0, {}, {}},
      {"past the box", {5, 3, 0}, {-10, 0, 0}, 0, {}, {}},
      // Just outside the face but within the 0.1 tolerance of the box.
      {"grazing the edge", {5, 1.05f, 0}, {-10, 0, 0}, 1, {1, 1.05f, 0}, {1, 0, 0}},
      // Through the +x/+y edge: both planes give one t, and the later (+x) one is reported.
      {"through an edge", {3, 3, 0}, {-4, -4, 0}, 1, {1, 1, 0}, {1, 0, 0}},
  };
  for (const Case& c : segments) {
    D3DVECTOR point{}, normal{};
    ASSERT_EQ(BoundingBox2_Test(&c.origin, &c.segment, &min, &max, nullptr, &point, &normal), c.hit)
        << c.name;
    if (c.hit == 0) continue;
    EXPECT_TRUE(Near(point, c.point, 1e-5f)) << c.name;
    EXPECT_TRUE(Near(normal, c.normal)) << c.name;
  }

  const D3DVECTOR origin{0.5f, 0.25f, -10}, ahead{0, 0, 3}, away{0, 0, -1}, inside{0, 0, 0};
  float distance = 0;
  D3DVECTOR point{}, normal{};
  ASSERT_EQ(BoundingBox_Test(&origin, &ahead, &min, &max, &distance, &point, &normal), 1);
  EXPECT_NEAR(distance, 9, 1e-5f);
  EXPECT_TRUE(Near(point, {0.5f, 0.25f, -1}));
  EXPECT_TRUE(Near(normal, {0, 0, -1}));
  EXPECT_EQ(BoundingBox_Test(&origin, &away, &min, &max, &distance, &point, &normal), 0);
  // From inside, the face ahead.
  const D3DVECTOR up{0, 1, 0};
  ASSERT_EQ(BoundingBox_Test(&inside, &up, &min, &max, &distance, &point, &normal), 1);
  EXPECT_NEAR(distance, 1, 1e-5f);
  EXPECT_TRUE(Near(normal, {0, 1, 0}));
}

TEST(GeometryRays, BounceMirrorsAtTheSameSpeed) {
  struct Case {
    D3DVECTOR velocity, normal, out;
  };
  const Case cases[] = {
      {{1, -1, 0}, {0, 1, 0}, {1, 1, 0}},
      {{0, 0, -3}, {0, 0, 1}, {0, 0, 3}},
      {{2, 0, 0}, {0, 1, 0}, {2, 0, 0}},
      {{0, 0, 0}, {0, 1, 0}, {0, 0, 0}},  // at rest: no direction to mirror
  };
  for (const Case& c : cases) {
    D3DVECTOR out{9, 9, 9};
    EXPECT_EQ(Physics_Bounce(&c.velocity, &c.normal, &out), 1);
    EXPECT_TRUE(Near(out, c.out));
  }
  const D3DVECTOR v{};
  EXPECT_EQ(Physics_Sliding(&v, &v, &v, &v, &v), 1);
}

// A square of two triangles in the plane z = 0, x and y from -1 to 1, facing -z.
class MeshQueries : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
  }

  void TearDown() override {
    if (mesh_ != nullptr) mesh_->Release();
    EXPECT_TRUE(ShutDownAndRelease());
    LibraryTest::TearDown();
  }

  void MakeSquare(bool wideIndices) {
    const DWORD options = d3dx::D3DXMESH_MANAGED | (wideIndices ? d3dx::D3DXMESH_32BIT : 0);
    ASSERT_EQ(d3dx::D3DXCreateMeshFVF(2, 4, options, D3DFVF_XYZ | D3DFVF_NORMAL, device_, &mesh_),
              D3D_OK);
    const float vertices[4][6] = {
        {-1, -1, 0, 0, 0, -1}, {-1, 1, 0, 0, 0, -1}, {1, 1, 0, 0, 0, -1}, {1, -1, 0, 0, 0, -1}};
    const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
    BYTE* data = nullptr;
    mesh_->LockVertexBuffer(0, &data);
    std::memcpy(data, vertices, sizeof vertices);
    mesh_->UnlockVertexBuffer();
    mesh_->LockIndexBuffer(0, &data);
    for (size_t i = 0; i < 6; ++i) {
      if (wideIndices) {
        std::memcpy(data + 4 * i, &indices[i], 4);
      } else {
        const auto narrow = static_cast<uint16_t>(indices[i]);
        std::memcpy(data + 2 * i, &narrow, 2);
      }
    }
    mesh_->UnlockIndexBuffer();
    ASSERT_EQ(Mesh_CreateNormalArray(&mesh_, normals_), 1);
  }

  d3dx::ID3DXMesh* mesh_ = nullptr;
  float normals_[12] = {};
};

TEST_F(MeshQueries, NormalArraysOfBothIndexWidths) {
  for (bool wide : {false, true}) {
    MakeSquare(wide);
    const float expected[12] = {0, 0, -1, -1, -1, 0, 0, 0, -1, -1, -1, 0};
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(normals_[i], expected[i]) << wide << " " << i;
    mesh_->Release();
    mesh_ = nullptr;
  }
  EXPECT_EQ(Mesh_CreateNormalArray(nullptr, normals_), 0);
}

TEST_F(MeshQueries, SegmentsAgainstThePlacedMeshInEachMode) {
  MakeSquare(true);
  // Scaled by 2, then moved 10 along x: the square covers x 8..12, y -2..2 at z = 0.
  D3DXMATRIX scaling, world;
  d3dx::D3DXMatrixScaling(&scaling, 2, 2, 2);
  const D3DXMATRIX move = Translation(10, 0, 0);
  d3dx::D3DXMatrixMultiply(&world, &scaling, &move);
  const D3DVECTOR centre{0, 0, 0}, boxMin{-1, -1, -0.1f}, boxMax{1, 1, 0.1f};
  const float faceValues[2] = {0.25f, 0.75f};
  const D3DVECTOR start{11, -1, -10}, end{11, -1, 10};
  struct Case {
    const char* name;
    int32_t mode;
    D3DVECTOR point, normal;
    float distance;
  };
  const float sphereZ = -2 * std::sqrt(1 - 0.25f - 0.25f);
  const Case cases[] = {
      {"box", 0, {11, -1, -0.2f}, {0, 0, -1}, 9.8f},
      {"sphere", 1, {11, -1, sphereZ}, {0.5f, -0.5f, sphereZ / 2}, 10 + sphereZ},
      {"sphere then faces", 2, {11, -1, 0}, {0, 0, -1}, 10},
  };
  for (const Case& c : cases) {
    MeshCollisionResult result{};
    ASSERT_EQ(Mesh_Collision(&mesh_, normals_, &centre, 1, &boxMin, &boxMax, faceValues, &start,
                             &end, &world, &result, c.mode),
              1)
        << c.name;
    EXPECT_EQ(result.hit, 1);
    EXPECT_TRUE(Near(result.point, c.point, 1e-4f)) << c.name;
    EXPECT_TRUE(Near(result.normal, c.normal, 1e-4f)) << c.name;
    EXPECT_NEAR(result.distance, c.distance, 1e-4f) << c.name;
    if (c.mode == 2) {
      EXPECT_EQ(result.faceIndex, 1);
      EXPECT_EQ(result.faceValue, 0.75f);
      EXPECT_GE(result.u, 0.0f);
      EXPECT_GE(result.v, 0.0f);
    }
  }

  // Misses leave an all-zero record: a segment that ends before the box, a world with no inverse,
  // and a mode this query does not have.
  const MeshCollisionResult zero{};
  D3DXMATRIX flat;
  d3dx::D3DXMatrixScaling(&flat, 1, 0, 1);
  const D3DVECTOR shortEnd{11, -1, -1};
  struct Miss {
    const char* name;
    const D3DVECTOR* end;
    const D3DXMATRIX* world;
    int32_t mode;
  };
  const Miss misses[] = {{"ends before the box", &shortEnd, &world, 0},
                         {"ends before the faces", &shortEnd, &world, 2},
                         {"singular world", &end, &flat, 0},
                         {"unknown mode", &end, &world, 3}};
  for (const Miss& m : misses) {
    MeshCollisionResult result;
    std::memset(&result, 0x5A, sizeof result);
    EXPECT_EQ(Mesh_Collision(&mesh_, normals_, &centre, 1, &boxMin, &boxMax, faceValues, &start,
                             m.end, m.world, &result, m.mode),
              0)
        << m.name;
    EXPECT_EQ(std::memcmp(&result, &zero, sizeof zero), 0) << m.name;
  }

  // The advanced query reports the distance in the mesh's own space and the normal unnormalised.
  MeshAdvancedCollisionResult advanced{};
  ASSERT_EQ(
      Mesh_AdvancedCollision(&mesh_, normals_, &centre, 0, 0, &start, &end, &world, &advanced), 1);
  EXPECT_TRUE(Near(advanced.point, {11, -1, 0}, 1e-4f));
  EXPECT_TRUE(Near(advanced.normal, {0, 0, -2}));
  EXPECT_NEAR(advanced.distance, 5, 1e-4f);
  EXPECT_EQ(advanced.faceIndex, 1);
  // A bounding sphere the segment misses refuses before the faces are tried.
  const D3DVECTOR farCentre{0, 50, 0};
  EXPECT_EQ(
      Mesh_AdvancedCollision(&mesh_, normals_, &farCentre, 1, 0, &start, &end, &world, &advanced),
      0);
  EXPECT_EQ(
      Mesh_AdvancedCollision(&mesh_, normals_, &centre, 0, 0, &start, &shortEnd, &world, &advanced),
      0);
}

TEST_F(MeshQueries, DebugSphereExistsBetweenInitializeAndUnload) {
  const D3DVECTOR origin{10.3f, 0.2f, -20}, ahead{0, 0, 1};
  const D3DXMATRIX world = Translation(10, 0, 0);
  D3DVECTOR point{}, normal{};
  float distance = 0;
  EXPECT_EQ(BoundingSphere_Test(&origin, &ahead, 0, 2, &point, &normal, &distance, &world), 0);
  ASSERT_EQ(BoundingSphere_Initialize(), 1);
  ASSERT_EQ(BoundingSphere_Test(&origin, &ahead, 0, 2, &point, &normal, &distance, &world), 1);
  // The sphere of radius 2 about (10, 0, 0), as facets: the hit is a little inside the true one.
  EXPECT_GT(distance, 18.0f);
  EXPECT_LT(distance, 18.5f);
  EXPECT_NEAR(point.x, 10.3f, 1e-4f);
  EXPECT_NEAR(point.z, distance - 20, 1e-4f);
  EXPECT_LT(normal.z, -0.8f);
  EXPECT_NEAR(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z, 1, 1e-5f);
  const D3DVECTOR wide{20, 0, -20};
  EXPECT_EQ(BoundingSphere_Test(&wide, &ahead, 0, 2, &point, &normal, &distance, &world), 0);
  EXPECT_EQ(Boundings_Unload(), 1);
  EXPECT_EQ(BoundingSphere_Test(&origin, &ahead, 0, 2, &point, &normal, &distance, &world), 0);
  // ReleaseAll in the teardown releases a sphere made again.
  EXPECT_EQ(BoundingSphere_Initialize(), 1);
}

TEST_F(MeshQueries, BoxEdgesAreOneLineListWithTheirStates) {
  const D3DVECTOR min{-1, -2, -3}, max{1, 2, 3};
  const D3DXMATRIX world = Translation(0, 0, 5);
  Control()->ClearDraws();
  device_->BeginScene();
  ASSERT_EQ(BoundingBox_Draw(&min, &max, &world, 0x80FF0000u), 1);
  device_->EndScene();
  ASSERT_EQ(Control()->Draws().size(), 1u);
  const DrawRecord& draw = Control()->Draws()[0];
  EXPECT_EQ(draw.call, DrawCall::IndexedPrimitiveUP);
  EXPECT_EQ(draw.primitive, D3DPT_LINELIST);
  EXPECT_EQ(draw.primitiveCount, 12u);
  EXPECT_EQ(draw.indexFormat, D3DFMT_INDEX16);
  EXPECT_EQ(draw.stride, 16u);
  EXPECT_EQ(draw.fvf, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  EXPECT_EQ(draw.textures[0], nullptr);
  EXPECT_TRUE(draw.state.Transform(D3DTS_WORLD) == world);
  const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {{D3DRS_LIGHTING, 0},
                                                         {D3DRS_FOGENABLE, 0},
                                                         {D3DRS_COLORVERTEX, 1},
                                                         {D3DRS_SPECULARENABLE, 0},
                                                         {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                                                         {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                                                         {D3DRS_STENCILENABLE, 0},
                                                         {D3DRS_ZWRITEENABLE, 1}};
  for (const auto& [state, value] : states)
    EXPECT_EQ(draw.state.renderStates[state], value) << state;

  // Every edge joins two corners that differ in one coordinate, and all 12 edges are there.
  ASSERT_EQ(draw.indices.size(), 24u * 2);
  ASSERT_GE(draw.vertices.size(), 8u * 16);
  struct Corner {
    float x, y, z;
    D3DCOLOR colour;
  };
  std::vector<Corner> corners(8);
  std::memcpy(corners.data(), draw.vertices.data(), 8 * sizeof(Corner));
  std::set<std::pair<int, int>> edges;
  for (size_t i = 0; i < 24; i += 2) {
    uint16_t a = 0, b = 0;
    std::memcpy(&a, &draw.indices[2 * i], 2);
    std::memcpy(&b, &draw.indices[2 * i + 2], 2);
    const Corner& p = corners[a];
    const Corner& q = corners[b];
    EXPECT_EQ((p.x != q.x) + (p.y != q.y) + (p.z != q.z), 1) << a << "-" << b;
    edges.insert({std::min(a, b), std::max(a, b)});
  }
  EXPECT_EQ(edges.size(), 12u);
  for (const Corner& corner : corners) {
    EXPECT_EQ(corner.colour, 0x80FF0000u);
    EXPECT_TRUE(std::fabs(corner.x) == 1 && std::fabs(corner.y) == 2 && std::fabs(corner.z) == 3);
  }
}

}  // namespace
