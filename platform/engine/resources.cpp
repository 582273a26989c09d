#include "platform/engine/resources.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "platform/d3dx/texture.h"
#include "platform/engine/engine_error.h"
#include "platform/win/app_path.h"

namespace engine {

using d3dx::D3DXVECTOR3;

uint32_t EngineGlobals::MakeColor(float red, float green, float blue, float alpha) {
  return d3dx::D3DXCOLOR(red, green, blue, alpha).ToArgb();
}

int32_t EngineTextureFactory::LoadTexture(const std::string& programPath, const std::string& name,
                                          int32_t width, int32_t height, uint32_t colourKey,
                                          int32_t, int32_t) {
  const std::string path = win::ResolvePath(programPath).string();
  d3dx::D3DXIMAGE_INFO info{};
  if (d3dx::D3DXGetImageInfoFromFileA(path.c_str(), &info) != d3d::D3D_OK)
    throw EngineError("LoadTexture: cannot read the image " + path);
  double w = width > 0 ? width : static_cast<double>(info.Width);
  double h = height > 0 ? height : static_cast<double>(info.Height);
  const double most = engine_.MaxTextureSide();
  const double shrink = std::min({1.0, most / w, most / h});
  w = std::max(1.0, std::floor(w * shrink));
  h = std::max(1.0, std::floor(h * shrink));
  Texture texture{path, static_cast<int32_t>(w), static_cast<int32_t>(h), colourKey};
  texture.device = engine_.Backend().LoadTexture(texture);
  return engine_.Textures().Add(name, texture);
}

void EngineTextureFactory::DeleteTexture(int32_t texture) {
  if (const Texture* found = engine_.Textures().Get(texture); found != nullptr)
    engine_.Backend().DeleteTexture(found->device);
  engine_.Textures().Remove(texture);
}

int32_t EngineMaterialFactory::CreateMaterial(float red, float green, float blue, float alpha,
                                              const std::string& name) {
  Material material;
  material.diffuse = material.ambient = d3dx::D3DXCOLOR(red, green, blue, alpha);
  material.device = engine_.Backend().StoreMaterial(material);
  return engine_.Materials().Add(name, material);
}

void EngineMaterialFactory::Change(int32_t material, d3dx::D3DXCOLOR Material::*colour,
                                   const d3dx::D3DXCOLOR& value) {
  Material* found = engine_.Materials().Get(material);
  if (found == nullptr) throw EngineError("no material " + std::to_string(material));
  found->*colour = value;
  engine_.Backend().StoreMaterial(*found);
}

void EngineMaterialFactory::SetDiffuse(int32_t material, float red, float green, float blue,
                                       float alpha) {
  Change(material, &Material::diffuse, d3dx::D3DXCOLOR(red, green, blue, alpha));
}

void EngineMaterialFactory::SetAmbient(int32_t material, float red, float green, float blue,
                                       float alpha) {
  Change(material, &Material::ambient, d3dx::D3DXCOLOR(red, green, blue, alpha));
}

void EngineMaterialFactory::SetSpecular(int32_t material, float red, float green, float blue,
                                        float alpha) {
  Change(material, &Material::specular, d3dx::D3DXCOLOR(red, green, blue, alpha));
}

void EngineMaterialFactory::SetEmissive(int32_t material, float red, float green, float blue,
                                        float alpha) {
  Change(material, &Material::emissive, d3dx::D3DXCOLOR(red, green, blue, alpha));
}

Light& EngineLights::At(int32_t light) {
  if (light < 1 || light > kMaxLights) throw EngineError("no light " + std::to_string(light));
  auto& lights = engine_.Lights();
  if (static_cast<size_t>(light) > lights.size()) lights.resize(static_cast<size_t>(light));
  return lights[static_cast<size_t>(light - 1)];
}

int32_t EngineLights::CreateLight(const d3d::D3DLIGHT8& record, int32_t, int32_t) {
  const auto& lights = engine_.Lights();
  // The first light never set, else a new one.
  auto unused =
      std::find_if(lights.begin(), lights.end(), [](const Light& l) { return l.record.Type == 0; });
  const int32_t id = static_cast<int32_t>(unused - lights.begin()) + 1;
  Light& light = At(id);
  light.record = record;
  light.enabled = true;
  Store(light);
  return id;
}

void EngineLights::Store(Light& light) { light.device = engine_.Backend().StoreLight(light); }

void EngineLights::SetLight(int32_t light, const d3d::D3DLIGHT8& record) {
  At(light).record = record;
  Store(At(light));
}

void EngineLights::EnableLight(int32_t light, bool on) {
  At(light).enabled = on;
  Store(At(light));
}

const Light& EngineLights::GetLight(int32_t light) const {
  return const_cast<EngineLights*>(this)->At(light);
}

void EngineLights::ReleaseAll() {
  // The device keeps its lights, switched off, for the next ones.
  for (Light& light : engine_.Lights()) {
    light.record = d3d::D3DLIGHT8{};
    light.enabled = false;
    if (light.device != 0) Store(light);
  }
}

D3DXVECTOR3 EngineMathLibrary::PointOnSphere(const D3DXVECTOR3& centre, float distance, float a1,
                                             float a2) {
  return centre +
         D3DXVECTOR3{std::cos(a2) * std::sin(a1), -std::sin(a2), std::cos(a2) * std::cos(a1)} *
             distance;
}

d3dx::D3DXVECTOR2 EngineMathLibrary::PointOnCircle(const d3dx::D3DXVECTOR2& centre, float angle,
                                                   float distance) {
  return {centre.x + std::sin(angle) * distance, centre.y + std::cos(angle) * distance};
}

float EngineMathLibrary::Angle2D(float a, float b) {
  const float angle = std::atan2(a, b);
  return angle < 0 ? angle + 2 * std::numbers::pi_v<float> : angle;
}

d3dx::D3DXMATRIX EngineMathLibrary::RotationMatrix(float heading, float pitch, float roll) {
  d3dx::D3DXMATRIX m;
  d3dx::D3DXMatrixRotationYawPitchRoll(&m, heading, pitch, roll);
  return m;
}

float EngineMathLibrary::GetDistance2D(float x1, float y1, float x2, float y2) {
  return std::hypot(x2 - x1, y2 - y1);
}

float EngineMathLibrary::Distance3D(const D3DXVECTOR3& p, const D3DXVECTOR3& q) {
  return VectorLength(q - p);
}

D3DXVECTOR3 EngineMathLibrary::Normalize(const D3DXVECTOR3& v) {
  const float length = VectorLength(v);
  return length > 0 ? v * (1.0f / length) : D3DXVECTOR3{};
}

float EngineMathLibrary::ArcCos(float x) { return std::acos(std::clamp(x, -1.0f, 1.0f)); }

void EnginePath::MoveCamera(float value, float) {
  if (points_.empty()) return;
  const float last = static_cast<float>(points_.size() - 1);
  const float t = std::clamp(value, 0.0f, last);
  const size_t index = std::min(static_cast<size_t>(t), points_.size() - 1);
  const size_t next = std::min(index + 1, points_.size() - 1);
  const float f = t - static_cast<float>(index);
  const D3DXVECTOR3 at = points_[index] + (points_[next] - points_[index]) * f;
  // Look along the path; at its end, along its last leg.
  const D3DXVECTOR3 ahead =
      next != index ? points_[next] - points_[index]
                    : (index > 0 ? points_[index] - points_[index - 1] : D3DXVECTOR3{0, 0, 1});
  engine_.MainCamera().SetCamera(at, at + ahead);
}

void EngineAtmosphere::SetFlareCount(int32_t count) {
  if (count < 0) throw EngineError("SetFlareCount: negative count");
  flares_.resize(static_cast<size_t>(count));
}

void EngineAtmosphere::SetFlare(int32_t index, int32_t texture, float position, float size,
                                uint32_t colour, int32_t) {
  if (index < 1 || static_cast<size_t>(index) > flares_.size())
    throw EngineError("SetFlare: no flare " + std::to_string(index));
  flares_[static_cast<size_t>(index - 1)] = Flare{texture, position, size, colour};
}

void EngineAtmosphere::RenderSky() {
  engine_.Backend().DrawSky(*this, engine_.CurrentCameraView());
}

void EngineAtmosphere::ReleaseAll() {
  enabled_ = lensFlare_ = false;
  sunTexture_ = skyParameter_ = 0;
  sun_ = {};
  flares_.clear();
  std::fill(std::begin(skyBox_), std::end(skyBox_), 0);
  skyState_[0] = skyState_[1] = 0;
}

void EngineAtmosphere::SetSkyBox(const int32_t textures[6]) {
  std::copy(textures, textures + 6, skyBox_);
}

EngineGraphicEffect::EngineGraphicEffect(Engine& engine) : engine_(&engine) {
  engine.UseGraphicEffect(this);
}

EngineGraphicEffect::~EngineGraphicEffect() {
  if (engine_ != nullptr) engine_->UseGraphicEffect(nullptr);
}

void EngineGraphicEffect::SetGamma(float gamma) {
  gamma_ = gamma;
  if (engine_ != nullptr) engine_->Backend().SetGamma(gamma);
}

void EngineGraphicEffect::Start(int32_t durationMs) {
  running_ = true;
  fadeIn_ = false;
  start_ = forms::Now();
  end_ = start_ + std::chrono::milliseconds(durationMs);
}

void EngineGraphicEffect::StartFadeIn(int32_t durationMs) {
  Start(durationMs);
  fadeIn_ = true;
}

bool EngineGraphicEffect::IsFinished() const { return !running_ || forms::Now() >= end_; }

float EngineGraphicEffect::Blackness() const {
  if (IsFinished()) return 0;
  const float share = std::chrono::duration<float>(forms::Now() - start_).count() /
                      std::chrono::duration<float>(end_ - start_).count();
  return fadeIn_ ? 1 - share : share;
}

void EngineParticleSystem::Create(Engine& engine, int32_t count, int32_t, float size,
                                  const D3DXVECTOR3& position, int32_t, int32_t texture) {
  if (count < 0) throw EngineError("particle system: negative count");
  engine_ = &engine;
  capacity_ = static_cast<size_t>(count);
  size_ = size;
  emitter_ = position;
  texture_ = texture;
  particles_.clear();
}

void EngineParticleSystem::Update() {
  // A powered-down emitter lets the particles it made live out their lives but makes no more.
  const int32_t emitted = power_ > 0 ? amount_ : 0;
  for (int32_t i = 0; i < emitted && particles_.size() < capacity_; ++i) {
    Particle particle{emitter_, {}, life_[1]};
    if (NewParticle) NewParticle(particle.velocity, particle.life);
    particles_.push_back(particle);
  }
  for (Particle& particle : particles_) {
    particle.position = particle.position + particle.velocity * timeStep_;
    particle.life -= timeStep_;
  }
  std::erase_if(particles_, [](const Particle& p) { return p.life <= 0; });
  if (engine_ != nullptr) engine_->Backend().DrawParticles(*this, engine_->CurrentCameraView());
}

}  // namespace engine
