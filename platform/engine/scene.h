// The scene of the engine: meshes with their hierarchy, billboards, render surfaces and picking.
//
// Maths is row-vector and left-handed: a mesh's local matrix is scale, then rotation, then
// translation, and its world matrix is the local matrix times its parent's world matrix. Rows 0
// to 2 of a world matrix are the mesh's right, up and forward axes in world space, row 3 its
// place. Matrices are kept current on every change, so GetMatrix and TransformVector need no
// render before them.
//
// Material groups are numbered from 0 in the order of the model file's materials; group -1 means
// every group.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx/math.h"
#include "platform/engine/camera.h"

namespace engine {

class Engine;
class EngineScene;

// A number no geometry of the process had before.
uint64_t NextGeometryRevision();

// Triangles of a mesh in its own axes; clones share one.
struct MeshGeometry {
  std::vector<d3dx::D3DXVECTOR3> positions;
  std::vector<d3dx::D3DXVECTOR3> normals;    // the file's, one per position; empty: from the faces
  std::vector<d3dx::D3DXVECTOR2> texcoords;  // one per position
  std::vector<uint32_t> colours;             // 0xAARRGGBB, one per position
  std::vector<uint32_t> indices;             // three per triangle
  std::vector<uint32_t> groups;              // material group per triangle
  uint32_t looseVertices = 0;                // added vertices not yet in a triangle
  uint32_t groupCount = 1;
  // Changes with every change of the geometry (copies share it until they change): a drawing
  // backend's upload of the geometry is current while the revision is the same.
  uint64_t revision = NextGeometryRevision();
  // Vertices added one by one form triangles in threes (in group 0), after any loaded ones.
  void AddVertex(const d3dx::D3DXVECTOR3& position, uint32_t colour,
                 const d3dx::D3DXVECTOR2& texcoord);
  size_t TriangleCount() const { return indices.size() / 3; }

  // A sphere about every position, kept until the geometry changes: picks pass it by first.
  struct Sphere {
    d3dx::D3DXVECTOR3 centre{};
    float radius = 0;
  };
  const Sphere& Bound() const;

 private:
  mutable Sphere bound_;
  mutable uint64_t boundRevision_ = 0;
};

struct MeshGroup {
  int32_t material = 0;  // 0 = the default material
  int32_t texture = 0;   // 0 = none
  bool enabled = true;
};

// How a mesh is drawn; kept for the drawing backend, with the engine's own codes:
// - alpha test: texels whose alpha is below the reference (0..255) are not drawn;
// - alpha blending: blended with its D3DBLEND factors (0: by the texels' alpha), no depth writes;
// - blend mode 2: added to what is drawn, no depth writes;
// - draw mode 2: both faces drawn; draw mode 3: no depth writes;
// - surface flag: specular highlights;
// - lighting mode 2: unlit, the vertex colours give the colour; lit, the group's material does;
// - colour: multiplies the result (white: no tint);
// - billboard: turned to face the camera, about its own place.
// A group's texture multiplies its colour; texels of a texture's colour key are transparent.
struct MeshLook {
  bool alphaTest = false;
  int32_t alphaReference = 128;
  int32_t blendMode = 0;
  int32_t sourceBlend = 0;  // D3DBLEND numbering
  int32_t destinationBlend = 0;
  bool alphaBlending = false;
  int32_t drawMode = 0;
  bool surfaceFlag = false;
  int32_t lightingMode = 0;
  uint32_t colour = 0xFFFFFFFF;
  bool castsShadow = false;
  int32_t shadowLight = 0;
  bool billboard = false;
};

class EngineMesh : public std::enable_shared_from_this<EngineMesh> {
 public:
  EngineMesh(Engine& engine, std::string name);

  // Geometry. The path is a program path (program folder + "\Models\" + file name). Each of the
  // file's materials, with its texture (beside the file), becomes its group's until SetMaterial
  // or SetTexture; a texture that cannot be read leaves its group untextured.
  void LoadXFile(const std::string& programPath, int32_t optionA = -1, int32_t optionB = -1);
  void PrepareA() {}
  void PrepareB() {}
  void PrepareC() {}
  void AddVertex(float x, float y, float z, uint32_t colour, float u, float v);
  // Moves vertex `index` (from 0), keeping its texture coordinates and colour.
  void SetVertex(int32_t index, float x, float y, float z);
  // A horizontal square from (x1, y, z1) to (x2, y, z2), facing up; the texture repeats uRepeat by
  // vRepeat times.
  void AddFlatQuad(int32_t texture, float x1, float z1, float x2, float z2, float y, float uRepeat,
                   float vRepeat);
  // An upright square in the y-z plane from (0, bottom, z1) to (0, bottom + height, z2), facing -x.
  void AddUprightQuad(int32_t texture, float z1, float z2, float height, float bottom,
                      float uRepeat, float vRepeat);
  // A quad through four corners in order, two triangles (0, 1, 2) and (0, 2, 3).
  void CreateQuad(int32_t texture, const d3dx::D3DXVECTOR3 corners[4], float uRepeat,
                  float vRepeat);
  const MeshGeometry& Geometry() const { return *geometry_; }

  // A copy with geometry of its own; a clone shares the geometry. Both start without parent.
  std::shared_ptr<EngineMesh> Duplicate(const std::string& name) const;
  std::shared_ptr<EngineMesh> Clone(const std::string& name) const;

  // Makes `child` placed relative to this mesh and drawn with it.
  void AttachChild(const std::shared_ptr<EngineMesh>& child);
  EngineMesh* Parent() const { return parent_.lock().get(); }

  // Placement, relative to the parent.
  void SetPosition(float x, float y, float z);
  d3dx::D3DXVECTOR3 GetPosition() const { return position_; }
  // Absolute turn [radians]: roll about z, then pitch about x, then yaw about y.
  void SetRotation(float x, float y, float z);
  // Turns about the mesh's own current axes [radians].
  void RotateX(float angle);
  void RotateY(float angle);
  void RotateZ(float angle);
  void SetScale(float x, float y, float z);
  void SetOrigin(float x, float y, float z);
  void SetRotationMatrix(const d3dx::D3DXMATRIX& rotation);
  d3dx::D3DXMATRIX GetRotationMatrix() const { return rotation_; }
  // The whole local matrix: its rows' lengths become the scale, row 3 the place.
  void SetMatrix(const d3dx::D3DXMATRIX& local);
  void UpdateMatrix() {}
  d3dx::D3DXMATRIX GetMatrix() const;
  // A point in the mesh's axes to world axes, through the whole world matrix (parents included).
  d3dx::D3DXVECTOR3 TransformVector(const d3dx::D3DXVECTOR3& point) const;

  // Appearance.
  void SetMaterial(int32_t material, int32_t group = -1);
  void SetTexture(int32_t texture, float group = -1.0f);
  void SetAlphaTest(bool enabled, int32_t reference, int32_t = -1, int32_t = -1);
  void SetBlendMode(int32_t mode, int32_t = -1) { look_.blendMode = mode; }
  void SetAlphaBlending(bool enabled, int32_t sourceBlend, int32_t destinationBlend, int32_t = 0,
                        int32_t = -1);
  void SetDrawMode(int32_t mode) { look_.drawMode = mode; }
  void SetSurfaceFlag(bool on, int32_t = 0, int32_t = -1) { look_.surfaceFlag = on; }
  void SetLightingMode(int32_t mode) { look_.lightingMode = mode; }
  void SetColor(uint32_t colour, int32_t = 0) { look_.colour = colour; }
  void SetShadowCast(bool enabled, int32_t light, float = -1.0f);
  void SetPickable(bool pickable, int32_t = -1) { pickable_ = pickable; }
  bool IsPickable() const { return pickable_; }
  const MeshLook& Look() const { return look_; }
  const std::vector<MeshGroup>& Groups() const { return groups_; }

  void SetName(const std::string& name) { name_ = name; }
  const std::string& GetName() const { return name_; }

  void Enable(bool shown) { enabled_ = shown; }
  // Shown itself; a hidden parent hides it as well when drawn with it.
  bool IsEnabled() const { return enabled_; }
  bool IsShown() const;
  void EnableGroup(int32_t group, bool shown);

  // Draws the mesh and its children now, into the current target with its camera.
  void Render();
  // Asks for the shadow volume the mesh casts from its shadow light, in the engine's shadow colour
  // and range; the mesh itself is not drawn again.
  void ShadowPass();
  // Takes the mesh out of the scene; its handle stays valid but it is never drawn or picked.
  void Destroy();
  bool Destroyed() const { return destroyed_; }

 private:
  void Rebuild() const;
  void Turn(const d3dx::D3DXMATRIX& about);
  void ForGroups(int32_t group, void (*change)(MeshGroup&, int32_t), int32_t value);

  friend class EngineScene;
  std::shared_ptr<EngineMesh> Copy(const std::string& name,
                                   std::shared_ptr<MeshGeometry> geometry) const;

  Engine& engine_;
  EngineScene* scene_ = nullptr;
  std::string name_;
  std::shared_ptr<MeshGeometry> geometry_;
  std::vector<MeshGroup> groups_;
  // The materials LoadXFile made for the file's groups, shared with the mesh's copies: the last
  // of them destroyed, or loading another file, lets them go.
  std::shared_ptr<std::vector<int32_t>> fileMaterials_;
  void ReleaseFileMaterials();
  MeshLook look_;
  std::weak_ptr<EngineMesh> parent_;
  std::vector<std::shared_ptr<EngineMesh>> children_;
  d3dx::D3DXVECTOR3 position_{};
  d3dx::D3DXVECTOR3 scale_{1, 1, 1};
  d3dx::D3DXVECTOR3 origin_{};
  d3dx::D3DXMATRIX rotation_{};
  mutable d3dx::D3DXMATRIX local_{};
  mutable bool stale_ = false;  // local_ waits for the latest placement
  bool enabled_ = true;
  bool pickable_ = true;
  bool destroyed_ = false;
};

class EnginePickResult {
 public:
  bool IsHit() const { return mesh_ != nullptr || hit_; }
  bool HasHit() const { return IsHit(); }
  EngineMesh* GetMesh() const { return mesh_.get(); }
  d3dx::D3DXVECTOR3 GetHitPoint() const { return point_; }
  float GetDistance() const { return distance_; }

  void Set(std::shared_ptr<EngineMesh> mesh, const d3dx::D3DXVECTOR3& point, float distance) {
    mesh_ = std::move(mesh);
    hit_ = true;
    point_ = point;
    distance_ = distance;
  }

 private:
  std::shared_ptr<EngineMesh> mesh_;
  bool hit_ = false;
  d3dx::D3DXVECTOR3 point_{};
  float distance_ = 0;
};

class EngineRenderSurface {
 public:
  EngineRenderSurface(Engine& engine, int32_t width, int32_t height);
  ~EngineRenderSurface();
  EngineRenderSurface(const EngineRenderSurface&) = delete;
  EngineRenderSurface& operator=(const EngineRenderSurface&) = delete;

  // Drawing between these goes into the surface, seen by its own camera.
  void StartRender(bool clear, uint32_t clearColour = 0);
  void EndRender();
  // The id of the surface's texture, for SetTexture and DrawTexture.
  int32_t GetTexture() const { return texture_; }
  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  EngineCamera& GetCamera() { return camera_; }
  const EngineCamera& Camera() const { return camera_; }
  void SetFrustum(float angleDegrees, float farPlane, float nearPlane);
  void SetCamera(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ);
  void SetCameraLookAt(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ) {
    SetCamera(eyeX, eyeY, eyeZ, atX, atY, atZ);
  }
  void Release();

 private:
  // Lets go of the surface's texture, in the backend too.
  void Forget();
  Engine& engine_;
  int32_t width_;
  int32_t height_;
  int32_t texture_ = 0;
  bool rendering_ = false;
  EngineCamera camera_;
};

class EngineScene {
 public:
  explicit EngineScene(Engine& engine) : engine_(engine) {}

  std::shared_ptr<EngineMesh> CreateMesh(const std::string& name = "");
  // A textured square of width by height centred at (x, y, z), turned towards the camera when
  // drawn; picked and transformed as a square facing -z.
  std::shared_ptr<EngineMesh> CreateBillboard(int32_t texture, float x, float y, float z,
                                              float width, float height, const std::string& name,
                                              int32_t = 0, int32_t = 0, int32_t = 0, int32_t = -1,
                                              int32_t = 0);
  std::shared_ptr<EngineRenderSurface> CreateRenderSurface(int32_t width, int32_t height,
                                                           int32_t = -1, int32_t = 0, int32_t = 0);
  std::shared_ptr<EngineRenderSurface> CreateRenderTarget(int32_t width, int32_t height,
                                                          int32_t flag = -1) {
    return CreateRenderSurface(width, height, flag);
  }
  // The nearest shown, pickable mesh under the window pixel (x, y) as the main camera sees it (of
  // two hit at one distance, the newest). Width and height of the pick area are always 1.
  void MousePick(int32_t x, int32_t y, int32_t width, int32_t height, EnginePickResult& result);
  // The newest mesh of that name (without regard to case), or nullptr.
  std::shared_ptr<EngineMesh> FindMesh(const std::string& name) const;
  // The software mouse cursor: a texture drawn at the mouse, 0 (or "nomouse") hides it.
  void SetMouseCursor(int32_t texture, float width, float height, int32_t hotX, int32_t hotY);
  int32_t MouseCursorTexture() const { return cursorTexture_; }
  void SetCameraLookAt(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ);
  void SetSixteenBitTextures(bool on) { sixteenBitTextures_ = on; }
  // 1 a Z-buffer, 2 a W-buffer, as the settings name them.
  void SetDepthBuffer(int32_t depth);
  void SetSpecularLighting(bool on);
  void ReleaseAll();
  size_t MeshCount() const;

 private:
  friend class EngineMesh;
  std::shared_ptr<EngineMesh> Keep(std::shared_ptr<EngineMesh> mesh);

  Engine& engine_;
  std::vector<std::shared_ptr<EngineMesh>> meshes_;
  std::vector<std::weak_ptr<EngineRenderSurface>> surfaces_;
  int32_t cursorTexture_ = 0;
  bool sixteenBitTextures_ = false;
  bool specular_ = false;
};

}  // namespace engine
