#include "platform/engine/scene.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/d3dx/intersect.h"
#include "platform/d3dx/x_file_mesh.h"
#include "platform/d3dx/x_file_reader.h"
#include "platform/engine/engine.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/resources.h"
#include "platform/win/app_path.h"
#include "platform/win/ascii_case.h"

namespace engine {

using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR2;
using d3dx::D3DXVECTOR3;

namespace {

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  d3dx::D3DXMatrixIdentity(&m);
  return m;
}

constexpr uint32_t kWhite = 0xFFFFFFFF;

}  // namespace

uint64_t NextGeometryRevision() {
  static uint64_t last = 0;
  return ++last;
}

const MeshGeometry::Sphere& MeshGeometry::Bound() const {
  if (boundRevision_ == revision) return bound_;
  boundRevision_ = revision;
  bound_ = Sphere{};
  if (positions.empty()) return bound_;
  D3DXVECTOR3 low = positions[0], high = positions[0];
  for (const D3DXVECTOR3& p : positions) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  bound_.centre = (low + high) * 0.5f;
  for (const D3DXVECTOR3& p : positions) {
    const D3DXVECTOR3 out = p - bound_.centre;
    bound_.radius = std::max(bound_.radius, d3dx::D3DXVec3Length(&out));
  }
  return bound_;
}

void MeshGeometry::AddVertex(const D3DXVECTOR3& position, uint32_t colour,
                             const D3DXVECTOR2& texcoord) {
  revision = NextGeometryRevision();
  positions.push_back(position);
  colours.push_back(colour);
  texcoords.push_back(texcoord);
  if (++looseVertices < 3) return;
  const auto last = static_cast<uint32_t>(positions.size() - 1);
  indices.insert(indices.end(), {last - 2, last - 1, last});
  groups.push_back(0);
  looseVertices = 0;
}

EngineMesh::EngineMesh(Engine& engine, std::string name)
    : engine_(engine),
      name_(std::move(name)),
      geometry_(std::make_shared<MeshGeometry>()),
      groups_(1),
      rotation_(Identity()),
      local_(Identity()) {}

void EngineMesh::LoadXFile(const std::string& programPath, int32_t, int32_t) {
  const std::filesystem::path path = win::ResolvePath(programPath);
  d3dx::XMesh merged;
  try {
    merged = d3dx::MergeXMeshes(d3dx::LoadXModel(d3dx::ReadXFile(path)).root);
  } catch (const std::exception& e) {
    throw EngineError("LoadXFile: " + path.string() + ": " + e.what());
  }
  if (merged.indices.empty())
    throw EngineError("LoadXFile: " + path.string() + " holds no triangles");
  auto geometry = std::make_shared<MeshGeometry>();
  geometry->positions = std::move(merged.positions);
  if (merged.normals.size() == geometry->positions.size())
    geometry->normals = std::move(merged.normals);
  geometry->texcoords = merged.texcoords;
  geometry->texcoords.resize(geometry->positions.size());
  geometry->colours = merged.colors;
  geometry->colours.resize(geometry->positions.size(), kWhite);
  geometry->indices = std::move(merged.indices);
  geometry->groups = std::move(merged.attributes);
  geometry->groups.resize(geometry->TriangleCount(), 0);
  geometry->groupCount = std::max<uint32_t>(1, static_cast<uint32_t>(merged.materials.size()));
  geometry_ = std::move(geometry);
  groups_.assign(geometry_->groupCount, MeshGroup{});
  ReleaseFileMaterials();
  fileMaterials_ = std::make_shared<std::vector<int32_t>>();
  for (size_t g = 0; g < merged.materials.size(); ++g) {
    const d3dx::XMaterial& file = merged.materials[g];
    Material material;
    material.diffuse = material.ambient =
        d3dx::D3DXCOLOR(file.diffuse[0], file.diffuse[1], file.diffuse[2], file.diffuse[3]);
    material.specular = d3dx::D3DXCOLOR(file.specular[0], file.specular[1], file.specular[2], 1);
    material.emissive = d3dx::D3DXCOLOR(file.emissive[0], file.emissive[1], file.emissive[2], 1);
    material.device = engine_.Backend().StoreMaterial(material);
    groups_[g].material = engine_.Materials().Add("", material);
    fileMaterials_->push_back(groups_[g].material);
    if (file.textureFilename.empty()) continue;
    try {
      groups_[g].texture = EngineTextureFactory(engine_).LoadTexture(
          (path.parent_path() / file.textureFilename).string(), "");
    } catch (const EngineError&) {
      groups_[g].texture = 0;
    }
  }
}

void EngineMesh::AddVertex(float x, float y, float z, uint32_t colour, float u, float v) {
  geometry_->AddVertex({x, y, z}, colour, {u, v});
}

void EngineMesh::SetVertex(int32_t index, float x, float y, float z) {
  if (index < 0 || static_cast<size_t>(index) >= geometry_->positions.size())
    throw EngineError("SetVertex: no vertex " + std::to_string(index) + " in mesh \"" + name_ +
                      "\"");
  geometry_->positions[static_cast<size_t>(index)] = {x, y, z};
  geometry_->revision = NextGeometryRevision();
}

void EngineMesh::CreateQuad(int32_t texture, const D3DXVECTOR3 corners[4], float uRepeat,
                            float vRepeat) {
  const D3DXVECTOR2 uv[4] = {{0, vRepeat}, {0, 0}, {uRepeat, 0}, {uRepeat, vRepeat}};
  for (int corner : {0, 1, 2, 0, 2, 3})
    AddVertex(corners[corner].x, corners[corner].y, corners[corner].z, kWhite, uv[corner].x,
              uv[corner].y);
  if (texture != 0) SetTexture(texture);
}

void EngineMesh::AddFlatQuad(int32_t texture, float x1, float z1, float x2, float z2, float y,
                             float uRepeat, float vRepeat) {
  // Clockwise seen from above, the front face in a left-handed system.
  const D3DXVECTOR3 corners[4] = {{x1, y, z1}, {x1, y, z2}, {x2, y, z2}, {x2, y, z1}};
  CreateQuad(texture, corners, uRepeat, vRepeat);
}

void EngineMesh::AddUprightQuad(int32_t texture, float z1, float z2, float height, float bottom,
                                float uRepeat, float vRepeat) {
  const D3DXVECTOR3 corners[4] = {
      {0, bottom, z1}, {0, bottom + height, z1}, {0, bottom + height, z2}, {0, bottom, z2}};
  CreateQuad(texture, corners, uRepeat, vRepeat);
}

std::shared_ptr<EngineMesh> EngineMesh::Copy(const std::string& name,
                                             std::shared_ptr<MeshGeometry> geometry) const {
  auto copy = std::make_shared<EngineMesh>(engine_, name);
  copy->geometry_ = std::move(geometry);
  copy->groups_ = groups_;
  copy->fileMaterials_ = fileMaterials_;
  copy->look_ = look_;
  copy->position_ = position_;
  copy->scale_ = scale_;
  copy->origin_ = origin_;
  copy->rotation_ = rotation_;
  copy->local_ = local_;
  copy->stale_ = stale_;
  copy->enabled_ = enabled_;
  copy->pickable_ = pickable_;
  return scene_ ? scene_->Keep(copy) : copy;
}

std::shared_ptr<EngineMesh> EngineMesh::Duplicate(const std::string& name) const {
  return Copy(name, std::make_shared<MeshGeometry>(*geometry_));
}

std::shared_ptr<EngineMesh> EngineMesh::Clone(const std::string& name) const {
  return Copy(name, geometry_);
}

void EngineMesh::AttachChild(const std::shared_ptr<EngineMesh>& child) {
  if (!child) throw EngineError("AttachChild: no mesh");
  for (const EngineMesh* above = this; above != nullptr; above = above->Parent())
    if (above == child.get())
      throw EngineError("AttachChild: \"" + child->name_ + "\" would become its own parent");
  if (EngineMesh* old = child->Parent()) std::erase(old->children_, child);
  child->parent_ = weak_from_this();
  children_.push_back(child);
}

void EngineMesh::Rebuild() const {
  // toOrigin x scale x rotation x translation, written out, and only when the matrix is asked for:
  // meshes are placed thousands of times a frame (stars, rocks), each by several calls, and the
  // products were most of a headless frame. The origin is the point of the model that the
  // position places and that turns stay about.
  const float scale[3] = {scale_.x, scale_.y, scale_.z};
  const float origin[3] = {origin_.x, origin_.y, origin_.z};
  const float position[3] = {position_.x, position_.y, position_.z};
  D3DXMATRIX a;
  for (int j = 0; j < 4; ++j) {
    a.m[3][j] = rotation_.m[3][j];
    for (int i = 0; i < 3; ++i) {
      a.m[i][j] = scale[i] * rotation_.m[i][j];
      a.m[3][j] -= origin[i] * a.m[i][j];
    }
  }
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) local_.m[i][j] = a.m[i][j] + (j < 3 ? a.m[i][3] * position[j] : 0);
}

void EngineMesh::SetPosition(float x, float y, float z) {
  position_ = {x, y, z};
  stale_ = true;
}

void EngineMesh::SetRotation(float x, float y, float z) {
  d3dx::D3DXMatrixRotationYawPitchRoll(&rotation_, y, x, z);
  stale_ = true;
}

void EngineMesh::Turn(const D3DXMATRIX& about) {
  // The turn comes first, so it is about the mesh's own axes as they stand.
  rotation_ = about * rotation_;
  stale_ = true;
}

void EngineMesh::RotateX(float angle) {
  D3DXMATRIX turn;
  Turn(*d3dx::D3DXMatrixRotationX(&turn, angle));
}

void EngineMesh::RotateY(float angle) {
  D3DXMATRIX turn;
  Turn(*d3dx::D3DXMatrixRotationY(&turn, angle));
}

void EngineMesh::RotateZ(float angle) {
  D3DXMATRIX turn;
  Turn(*d3dx::D3DXMatrixRotationZ(&turn, angle));
}

void EngineMesh::SetScale(float x, float y, float z) {
  scale_ = {x, y, z};
  stale_ = true;
}

void EngineMesh::SetOrigin(float x, float y, float z) {
  origin_ = {x, y, z};
  stale_ = true;
}

void EngineMesh::SetRotationMatrix(const D3DXMATRIX& rotation) {
  rotation_ = rotation;
  rotation_.m[3][0] = rotation_.m[3][1] = rotation_.m[3][2] = 0;
  rotation_.m[0][3] = rotation_.m[1][3] = rotation_.m[2][3] = 0;
  rotation_.m[3][3] = 1;
  stale_ = true;
}

void EngineMesh::SetMatrix(const D3DXMATRIX& local) {
  D3DXMATRIX rotation = local;
  float lengths[3];
  for (int row = 0; row < 3; ++row) {
    const D3DXVECTOR3 axis{local.m[row][0], local.m[row][1], local.m[row][2]};
    lengths[row] = d3dx::D3DXVec3Length(&axis);
    if (lengths[row] > 0)
      for (int column = 0; column < 3; ++column) rotation.m[row][column] /= lengths[row];
  }
  scale_ = {lengths[0], lengths[1], lengths[2]};
  position_ = {local.m[3][0], local.m[3][1], local.m[3][2]};
  origin_ = {};
  SetRotationMatrix(rotation);
}

D3DXMATRIX EngineMesh::GetMatrix() const {
  const EngineMesh* parent = Parent();
  if (stale_) {
    Rebuild();
    stale_ = false;
  }
  return parent ? local_ * parent->GetMatrix() : local_;
}

D3DXVECTOR3 EngineMesh::TransformVector(const D3DXVECTOR3& point) const {
  const D3DXMATRIX world = GetMatrix();
  D3DXVECTOR3 out;
  d3dx::D3DXVec3TransformCoord(&out, &point, &world);
  return out;
}

void EngineMesh::ForGroups(int32_t group, void (*change)(MeshGroup&, int32_t), int32_t value) {
  if (group < 0) {
    for (MeshGroup& each : groups_) change(each, value);
    return;
  }
  if (static_cast<size_t>(group) >= groups_.size())
    throw EngineError("mesh \"" + name_ + "\" has no material group " + std::to_string(group));
  change(groups_[static_cast<size_t>(group)], value);
}

void EngineMesh::SetMaterial(int32_t material, int32_t group) {
  if (material != 0 && engine_.Materials().Get(material) == nullptr)
    throw EngineError("SetMaterial: no material " + std::to_string(material));
  ForGroups(
      group, [](MeshGroup& g, int32_t id) { g.material = id; }, material);
}

void EngineMesh::SetTexture(int32_t texture, float group) {
  if (texture != 0 && engine_.Textures().Get(texture) == nullptr)
    throw EngineError("SetTexture: no texture " + std::to_string(texture));
  ForGroups(
      static_cast<int32_t>(std::lround(group)), [](MeshGroup& g, int32_t id) { g.texture = id; },
      texture);
}

void EngineMesh::EnableGroup(int32_t group, bool shown) {
  ForGroups(
      group, [](MeshGroup& g, int32_t on) { g.enabled = on != 0; }, shown ? 1 : 0);
}

void EngineMesh::SetAlphaTest(bool enabled, int32_t reference, int32_t, int32_t) {
  look_.alphaTest = enabled;
  look_.alphaReference = reference;
}

void EngineMesh::SetAlphaBlending(bool enabled, int32_t sourceBlend, int32_t destinationBlend,
                                  int32_t, int32_t) {
  look_.alphaBlending = enabled;
  look_.sourceBlend = sourceBlend;
  look_.destinationBlend = destinationBlend;
}

void EngineMesh::SetShadowCast(bool enabled, int32_t light, float) {
  look_.castsShadow = enabled;
  look_.shadowLight = light;
}

bool EngineMesh::IsShown() const {
  for (const EngineMesh* mesh = this; mesh != nullptr; mesh = mesh->Parent())
    if (!mesh->enabled_ || mesh->destroyed_) return false;
  return true;
}

void EngineMesh::Render() {
  if (destroyed_) throw EngineError("Render: mesh \"" + name_ + "\" was destroyed");
  if (!enabled_) return;
  engine_.Backend().DrawMesh(*this, engine_.CurrentCameraView());
  for (const auto& child : children_) child->Render();
}

void EngineMesh::ShadowPass() {
  if (look_.castsShadow && IsShown())
    engine_.Backend().DrawShadowVolume(*this, look_.shadowLight, engine_.ShadowColour(),
                                       engine_.ShadowRange(), engine_.CurrentCameraView());
}

void EngineMesh::ReleaseFileMaterials() {
  if (fileMaterials_ && fileMaterials_.use_count() == 1) {
    for (const int32_t id : *fileMaterials_) {
      if (const Material* material = engine_.Materials().Get(id))
        engine_.Backend().DeleteMaterial(material->device);
      engine_.Materials().Remove(id);
    }
  }
  fileMaterials_.reset();
}

void EngineMesh::Destroy() {
  destroyed_ = true;
  ReleaseFileMaterials();
  if (EngineMesh* parent = Parent())
    std::erase_if(parent->children_, [this](const auto& c) { return c.get() == this; });
  parent_.reset();
}

EngineRenderSurface::EngineRenderSurface(Engine& engine, int32_t width, int32_t height)
    : engine_(engine), width_(width), height_(height) {
  if (width <= 0 || height <= 0)
    throw EngineError("CreateRenderSurface: no surface of " + std::to_string(width) + " x " +
                      std::to_string(height));
  // Beyond what the device takes, the surface is halved until it fits, keeping its shape.
  while (width_ > engine_.MaxTextureSide() || height_ > engine_.MaxTextureSide()) {
    width_ = std::max(1, width_ / 2);
    height_ = std::max(1, height_ / 2);
  }
  Texture texture{"", width_, height_, 0};
  texture.device = engine_.Backend().CreateSurface(width_, height_);
  texture_ = engine_.Textures().Add("", texture);
}

EngineRenderSurface::~EngineRenderSurface() { Forget(); }

void EngineRenderSurface::Forget() {
  if (texture_ == 0) return;
  if (const Texture* texture = engine_.Textures().Get(texture_); texture != nullptr)
    engine_.Backend().DeleteTexture(texture->device);
  engine_.Textures().Remove(texture_);
  texture_ = 0;
}

void EngineRenderSurface::StartRender(bool clear, uint32_t clearColour) {
  if (texture_ == 0) throw EngineError("StartRender: the surface was released");
  if (rendering_) throw EngineError("StartRender: the surface is already being drawn");
  rendering_ = true;
  engine_.PushSurface(*this);
  engine_.Backend().BeginTarget(engine_.CurrentTarget(), clear, clearColour);
}

void EngineRenderSurface::EndRender() {
  if (!rendering_) throw EngineError("EndRender without StartRender");
  engine_.Backend().EndTarget();
  engine_.PopSurface(*this);
  rendering_ = false;
}

void EngineRenderSurface::SetFrustum(float angleDegrees, float farPlane, float nearPlane) {
  camera_.SetViewFrustum(angleDegrees, farPlane, nearPlane);
}

void EngineRenderSurface::SetCamera(float eyeX, float eyeY, float eyeZ, float atX, float atY,
                                    float atZ) {
  camera_.SetCamera({eyeX, eyeY, eyeZ}, {atX, atY, atZ});
}

void EngineRenderSurface::Release() {
  if (rendering_) EndRender();
  Forget();
}

void EngineScene::SetSpecularLighting(bool on) {
  specular_ = on;
  engine_.Backend().SetSpecularLighting(on);
}

std::shared_ptr<EngineMesh> EngineScene::Keep(std::shared_ptr<EngineMesh> mesh) {
  mesh->scene_ = this;
  std::erase_if(meshes_, [](const auto& m) { return m->Destroyed(); });
  meshes_.push_back(mesh);
  return mesh;
}

std::shared_ptr<EngineMesh> EngineScene::CreateMesh(const std::string& name) {
  return Keep(std::make_shared<EngineMesh>(engine_, name));
}

std::shared_ptr<EngineMesh> EngineScene::CreateBillboard(int32_t texture, float x, float y, float z,
                                                         float width, float height,
                                                         const std::string& name, int32_t, int32_t,
                                                         int32_t, int32_t, int32_t) {
  auto mesh = CreateMesh(name);
  const float w = width / 2, h = height / 2;
  const D3DXVECTOR3 corners[4] = {{-w, -h, 0}, {-w, h, 0}, {w, h, 0}, {w, -h, 0}};
  mesh->CreateQuad(texture, corners, 1, 1);
  mesh->look_.billboard = true;
  mesh->SetPosition(x, y, z);
  return mesh;
}

std::shared_ptr<EngineRenderSurface> EngineScene::CreateRenderSurface(int32_t width, int32_t height,
                                                                      int32_t, int32_t, int32_t) {
  auto surface = std::make_shared<EngineRenderSurface>(engine_, width, height);
  surfaces_.push_back(surface);
  return surface;
}

void EngineScene::MousePick(int32_t x, int32_t y, int32_t, int32_t, EnginePickResult& result) {
  result = EnginePickResult{};
  const int32_t width = engine_.Width(), height = engine_.Height();
  if (width <= 0 || height <= 0) return;
  const EngineCamera& camera = engine_.MainCamera();
  const D3DXMATRIX viewProjection =
      camera.View() * camera.Projection(static_cast<float>(width) / static_cast<float>(height));
  D3DXMATRIX unproject;
  if (d3dx::D3DXMatrixInverse(&unproject, nullptr, &viewProjection) == nullptr) return;
  // The inverse of ProjectPoint, so a point projected to (x, y) is picked at (x, y).
  const float ndcX = 2.0f * static_cast<float>(x) / static_cast<float>(width) - 1.0f;
  const float ndcY = 1.0f - 2.0f * static_cast<float>(y) / static_cast<float>(height);
  D3DXVECTOR3 nearPoint{ndcX, ndcY, 0}, farPoint{ndcX, ndcY, 1};
  d3dx::D3DXVec3TransformCoord(&nearPoint, &nearPoint, &unproject);
  d3dx::D3DXVec3TransformCoord(&farPoint, &farPoint, &unproject);
  D3DXVECTOR3 direction = farPoint - nearPoint;
  d3dx::D3DXVec3Normalize(&direction, &direction);

  float nearest = std::numeric_limits<float>::max();
  // Newest first, so that of two meshes hit at one distance the newest wins.
  for (auto it = meshes_.rbegin(); it != meshes_.rend(); ++it) {
    const auto& mesh = *it;
    if (!mesh->IsPickable() || !mesh->IsShown()) continue;
    const MeshGeometry& geometry = mesh->Geometry();
    // The ray goes into the mesh's own space rather than every vertex into the world's: the hit's
    // parameter along the ray is the same in both, and so is the world distance it gives.
    const D3DXMATRIX world = mesh->GetMatrix();
    // Most meshes lie off the ray: their bounding sphere, carried into the world and grown by the
    // largest of the matrix's scales, says so without a look at their triangles.
    const MeshGeometry::Sphere& bound = geometry.Bound();
    D3DXVECTOR3 centre;
    d3dx::D3DXVec3TransformCoord(&centre, &bound.centre, &world);
    float largestScale = 0;
    for (int row = 0; row < 3; ++row) {
      const D3DXVECTOR3 axis{world.m[row][0], world.m[row][1], world.m[row][2]};
      largestScale = std::max(largestScale, d3dx::D3DXVec3Length(&axis));
    }
    if (!d3dx::D3DXSphereBoundProbe(&centre, bound.radius * largestScale, &nearPoint, &direction))
      continue;
    D3DXMATRIX toMesh;
    if (d3dx::D3DXMatrixInverse(&toMesh, nullptr, &world) == nullptr) continue;
    D3DXVECTOR3 origin, along;
    d3dx::D3DXVec3TransformCoord(&origin, &nearPoint, &toMesh);
    d3dx::D3DXVec3TransformNormal(&along, &direction, &toMesh);
    for (size_t t = 0; t < geometry.TriangleCount(); ++t) {
      if (!mesh->Groups()[std::min<size_t>(geometry.groups[t], mesh->Groups().size() - 1)].enabled)
        continue;
      const uint32_t* corner = &geometry.indices[t * 3];
      float u = 0, v = 0, distance = 0;
      if (d3dx::D3DXIntersectTri(&geometry.positions[corner[0]], &geometry.positions[corner[1]],
                                 &geometry.positions[corner[2]], &origin, &along, &u, &v,
                                 &distance) &&
          distance < nearest) {
        nearest = distance;
        result.Set(mesh, nearPoint + direction * distance, distance);
      }
    }
  }
}

std::shared_ptr<EngineMesh> EngineScene::FindMesh(const std::string& name) const {
  for (auto it = meshes_.rbegin(); it != meshes_.rend(); ++it)
    if (!(*it)->Destroyed() && win::EqualsIgnoringCase((*it)->GetName(), name)) return *it;
  return nullptr;
}

void EngineScene::SetMouseCursor(int32_t texture, float width, float height, int32_t hotX,
                                 int32_t hotY) {
  cursorTexture_ = texture;
  const Texture* shown = engine_.Textures().Get(texture);
  engine_.Backend().SetPointer(shown != nullptr ? shown->device : 0, width, height, hotX, hotY);
  // "nomouse" is the program's invisible cursor: the window system's pointer goes with it.
  engine_.HidePointer(texture == 0 || texture == engine_.Textures().Find("nomouse"));
}

void EngineScene::SetDepthBuffer(int32_t depth) { engine_.Backend().SetDepthBuffer(depth); }

void EngineScene::SetCameraLookAt(float eyeX, float eyeY, float eyeZ, float atX, float atY,
                                  float atZ) {
  engine_.MainCamera().SetCamera({eyeX, eyeY, eyeZ}, {atX, atY, atZ});
}

void EngineScene::ReleaseAll() {
  for (const auto& mesh : meshes_) mesh->Destroy();
  meshes_.clear();
  for (const auto& weak : surfaces_)
    if (auto surface = weak.lock()) surface->Release();
  surfaces_.clear();
  cursorTexture_ = 0;
}

size_t EngineScene::MeshCount() const {
  return static_cast<size_t>(
      std::count_if(meshes_.begin(), meshes_.end(), [](const auto& m) { return !m->Destroyed(); }));
}

}  // namespace engine
