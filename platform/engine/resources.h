// The engine's smaller objects: named resources (textures, materials, fonts through the globals),
// lights, the maths helpers, the camera path, the sky and the screen effects. Each is made with a
// reference to the Engine and keeps its state there or in itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/d3d/types.h"
#include "platform/d3dx/math.h"
#include "platform/engine/engine.h"

namespace engine {

class EngineGlobals {
 public:
  explicit EngineGlobals(Engine& engine) : engine_(engine) {}
  // Ids by name, without regard to case, the newest of a name; 0 when there is none.
  int32_t GetTextureId(const std::string& name) const { return engine_.Textures().Find(name); }
  int32_t GetMaterialId(const std::string& name) const { return engine_.Materials().Find(name); }
  int32_t GetFontId(const std::string& name) const { return engine_.Fonts().Find(name); }
  static d3dx::D3DXVECTOR3 MakeVector(float x, float y, float z) { return {x, y, z}; }
  static d3dx::D3DXVECTOR3 MakeVector2(float x, float y, float z) { return {x, y, z}; }
  // Components 0..1 (values outside are clamped) to 0xAARRGGBB.
  static uint32_t MakeColor(float red, float green, float blue, float alpha);

 private:
  Engine& engine_;
};

class EngineTextureFactory {
 public:
  explicit EngineTextureFactory(Engine& engine) : engine_(engine) {}
  // Loads an image file (what the D3DX layer reads) under a name. A width or height of -1 takes
  // the file's; an image larger than the device allows is scaled down, keeping its proportions.
  // Texels of the colour key's RGB become transparent (0 = no key). The key 0xFFFAFFAC keys
  // nothing: it asks for a format with alpha, so the file's own alpha makes texels clear.
  int32_t LoadTexture(const std::string& programPath, const std::string& name, int32_t width = -1,
                      int32_t height = -1, uint32_t colourKey = 0, int32_t = -1, int32_t = -1);
  void DeleteTexture(int32_t texture);
  void SetTextureMode(int32_t mode) {
    mode_ = mode;
    engine_.Backend().SetTextureMode(mode);
  }
  int32_t TextureMode() const { return mode_; }

 private:
  Engine& engine_;
  int32_t mode_ = 0;
};

class EngineMaterialFactory {
 public:
  explicit EngineMaterialFactory(Engine& engine) : engine_(engine) {}
  // A material whose diffuse and ambient colours are (r, g, b, a); alpha is its opacity.
  int32_t CreateMaterial(float red, float green, float blue, float alpha, const std::string& name);
  void SetDiffuse(int32_t material, float red, float green, float blue, float alpha);
  void SetAmbient(int32_t material, float red, float green, float blue, float alpha);
  void SetSpecular(int32_t material, float red, float green, float blue, float alpha);
  void SetEmissive(int32_t material, float red, float green, float blue, float alpha);
  void ReleaseAll() { engine_.Materials().Clear(); }

 private:
  // Sets one colour of the material, in the device too.
  void Change(int32_t material, d3dx::D3DXCOLOR Material::*colour, const d3dx::D3DXCOLOR& value);
  Engine& engine_;
};

// Lights are numbered from 1.
class EngineLights {
 public:
  static constexpr int32_t kMaxLights = 8;

  explicit EngineLights(Engine& engine) : engine_(engine) {}
  int32_t CreateLight(const d3d::D3DLIGHT8& record, int32_t = 0, int32_t = 0);
  void SetLight(int32_t light, const d3d::D3DLIGHT8& record);
  void EnableLight(int32_t light, bool on);
  const Light& GetLight(int32_t light) const;
  void ReleaseAll();

 private:
  Light& At(int32_t light);
  void Store(Light& light);
  Engine& engine_;
};

// Plain vector maths. Angles are radians.
class EngineMathLibrary {
 public:
  using Vector = d3dx::D3DXVECTOR3;
  // The point `distance` from the centre at azimuth a1 (about y, 0 = +z, clockwise from above) and
  // elevation a2, where a negative a2 is above the centre.
  static Vector PointOnSphere(const Vector& centre, float distance, float a1, float a2);
  // The point (x, z) `distance` from the centre (x, z) at the azimuth above.
  static d3dx::D3DXVECTOR2 PointOnCircle(const d3dx::D3DXVECTOR2& centre, float angle,
                                         float distance);
  // atan2(a, b) in [0, 2 pi).
  static float Angle2D(float a, float b);
  static float Angle(float x, float z) { return Angle2D(x, z); }
  // A turn of roll about z, then pitch about x, then heading about y.
  static d3dx::D3DXMATRIX RotationMatrix(float heading, float pitch, float roll);
  static float GetDistance2D(float x1, float y1, float x2, float y2);
  static float Distance2D(const Vector& p, const Vector& q) {
    return GetDistance2D(p.x, p.z, q.x, q.z);
  }
  static float Distance3D(const Vector& p, const Vector& q);
  static Vector VectorSubtract(const Vector& a, const Vector& b) { return a - b; }
  static Vector OffsetPoint(const Vector& p, const Vector& offset) { return p + offset; }
  static Vector ScaleVector(const Vector& v, float s) { return v * s; }
  static float VectorLength(const Vector& v) { return d3dx::D3DXVec3Length(&v); }
  static float DotProduct(const Vector& a, const Vector& b) { return d3dx::D3DXVec3Dot(&a, &b); }
  static float VectorDot(const Vector& a, const Vector& b) { return DotProduct(a, b); }
  // The unit vector along v; the zero vector stays zero.
  static Vector Normalize(const Vector& v);
  // acos clamped to its domain, so rounding just past 1 does not give a NaN.
  static float ArcCos(float x);
};

// A camera path through points; evaluating it moves the main camera.
class EnginePath {
 public:
  explicit EnginePath(Engine& engine) : engine_(engine) {}
  void Clear() { points_.clear(); }
  void SetMode(int32_t mode) { mode_ = mode; }
  void AddPoint(const d3dx::D3DXVECTOR3& point) { points_.push_back(point); }
  // Puts the main camera at parameter `value` along the path: 0 is the first point, 3.5 half-way
  // from point 3 to point 4 (clamped to the ends), looking along the path.
  void MoveCamera(float value, float speed);
  const std::vector<d3dx::D3DXVECTOR3>& Points() const { return points_; }

 private:
  Engine& engine_;
  std::vector<d3dx::D3DXVECTOR3> points_;
  int32_t mode_ = 0;
};

// Sky box, sun and lens flares; kept for the drawing backend, which draws them on RenderSky.
class EngineAtmosphere {
 public:
  struct Flare {
    int32_t texture = 0;
    float position = 0;
    float size = 0;
    uint32_t colour = 0;
  };

  explicit EngineAtmosphere(Engine& engine) : engine_(engine) {}
  void Enable(bool on) { enabled_ = on; }
  void SetSunTexture(int32_t texture) { sunTexture_ = texture; }
  void SetSunPosition(float x, float y, float z) { sun_ = {x, y, z}; }
  void EnableLensFlare(bool on) { lensFlare_ = on; }
  void SetFlareCount(int32_t count);
  // Flares are numbered from 1. Each lies on from the one before towards the sun by its position,
  // and size is half its side, both in sixteenths of a world unit; the sun stands at its position
  // from the eye.
  void SetFlare(int32_t index, int32_t texture, float position, float size, uint32_t colour,
                int32_t = -1);
  void SetSkyBox(const int32_t textures[6]);
  void SetSkyParameter(int32_t value) { skyParameter_ = value; }
  // (0, -1) draws the sky with the scene; (-1, -1) draws the sky alone, for a surface that shows
  // nothing else.
  void SetSkyState(int32_t a, int32_t b) { skyState_[0] = a, skyState_[1] = b; }
  // Draws the sky box, sun and flares into the current target with its camera.
  void RenderSky();
  void ReleaseAll();
  bool Enabled() const { return enabled_; }
  int32_t SunTexture() const { return sunTexture_; }
  const d3dx::D3DXVECTOR3& SunPosition() const { return sun_; }
  bool LensFlare() const { return lensFlare_; }
  const std::vector<Flare>& Flares() const { return flares_; }
  const int32_t* SkyBox() const { return skyBox_; }
  bool SkyOnly() const { return skyState_[0] != 0; }

 private:
  Engine& engine_;
  bool enabled_ = false;
  int32_t sunTexture_ = 0;
  d3dx::D3DXVECTOR3 sun_{};
  bool lensFlare_ = false;
  std::vector<Flare> flares_;
  int32_t skyBox_[6] = {};
  int32_t skyParameter_ = 0;
  int32_t skyState_[2] = {};
};

// Whole-screen effects: the gamma ramp and timed fades, on the window system's clock. Made with
// the engine, the fade darkens each frame the engine presents while it runs.
class EngineGraphicEffect {
 public:
  EngineGraphicEffect() = default;
  explicit EngineGraphicEffect(Engine& engine);
  ~EngineGraphicEffect();
  EngineGraphicEffect(const EngineGraphicEffect&) = delete;
  EngineGraphicEffect& operator=(const EngineGraphicEffect&) = delete;

  void SetGamma(float gamma);
  float Gamma() const { return gamma_; }
  // A fade out of that length [ms]: the frame darkens to black, then shows again once it ends.
  void Start(int32_t durationMs);
  // A fade in: the frame comes up from black over that length.
  void StartFadeIn(int32_t durationMs);
  void Stop() { running_ = false; }
  // True once the effect has run its length (and when none was started).
  bool IsFinished() const;
  bool FadingIn() const { return fadeIn_; }
  // The opacity of the black over the frame now (0 while no fade runs).
  float Blackness() const;

 private:
  Engine* engine_ = nullptr;
  float gamma_ = 1.0f;
  bool running_ = false;
  bool fadeIn_ = false;
  forms::Duration start_{};
  forms::Duration end_{};
};

// A particle emitter. Update emits `amount` particles while the power is above 0, asking
// NewParticle for each one's velocity and life [s], then moves every particle by its velocity
// over one time step and drops the dead.
class EngineParticleSystem {
 public:
  struct Particle {
    d3dx::D3DXVECTOR3 position;
    d3dx::D3DXVECTOR3 velocity;
    float life = 0;  // seconds left
  };

  std::function<void(d3dx::D3DXVECTOR3& velocity, float& life)> NewParticle;

  void SetTimeStep(float seconds) { timeStep_ = seconds; }
  // The system joins the engine here; from then on each Update hands its live particles to the
  // drawing.
  void Create(Engine& engine, int32_t count, int32_t, float size, const d3dx::D3DXVECTOR3& position,
              int32_t, int32_t texture);
  void SetSpread(int32_t a, int32_t b, int32_t c) {
    spread_[0] = a, spread_[1] = b, spread_[2] = c;
  }
  void SetLifeRange(float shortest, float longest) { life_[0] = shortest, life_[1] = longest; }
  void SetPower(float power) { power_ = power; }
  void SetAmount(int32_t amount) { amount_ = amount; }
  void SetEmitterPosition(const d3dx::D3DXVECTOR3& position) { emitter_ = position; }
  void SetSecondPosition(const d3dx::D3DXVECTOR3& position) { second_ = position; }
  void SetOptionA(int32_t option) { optionA_ = option; }
  void SetOptionB(int32_t option) { optionB_ = option; }
  void SetRandomValue(float value) { random_ = value; }
  // The look and motion of the particles as the drawing takes them: their size, texture, blend
  // factors, drift (x, y) and speed; Start emits `amount` particles at each update from then on.
  void SetParticleSize(float size) { size_ = size; }
  void SetTexture(int32_t texture) { texture_ = texture; }
  void SetBlend(int32_t source, int32_t destination, int32_t operation) {
    blend_[0] = source, blend_[1] = destination, blend_[2] = operation;
  }
  void SetDrift(float x, float y) { drift_[0] = x, drift_[1] = y; }
  void SetSpeed(float speed) { speed_ = speed; }
  void Start(int32_t amount) { amount_ = amount; }
  void Update();
  const std::vector<Particle>& Particles() const { return particles_; }
  int32_t Texture() const { return texture_; }
  float Size() const { return size_; }
  const int32_t (&Blend() const)[3] { return blend_; }
  const float (&Drift() const)[2] { return drift_; }
  float Speed() const { return speed_; }
  int32_t Amount() const { return amount_; }

 private:
  Engine* engine_ = nullptr;
  float timeStep_ = 0.05f;  // seconds
  size_t capacity_ = 0;
  float size_ = 1;
  int32_t texture_ = 0;
  int32_t spread_[3] = {};
  float life_[2] = {};
  float power_ = 0;
  int32_t amount_ = 0;
  d3dx::D3DXVECTOR3 emitter_{};
  d3dx::D3DXVECTOR3 second_{};
  int32_t optionA_ = 0;
  int32_t optionB_ = 0;
  float random_ = 0;
  int32_t blend_[3] = {};
  float drift_[2] = {};
  float speed_ = 0;
  std::vector<Particle> particles_;
};

}  // namespace engine
