// The root object of the engine stand-in: the window it draws into, the frame timer, the log, the
// tables of named textures, materials and fonts, the lights, the main camera and the drawing
// backend. Every other engine object is made with a reference to it.
//
// Time comes from the window system's clock (forms::Now), so headless tests that advance the
// virtual clock see it in GetElapsedTime and GetRunTime.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d/types.h"
#include "platform/d3dx/math.h"
#include "platform/engine/camera.h"
#include "platform/engine/draw_backend.h"
#include "platform/engine/input.h"
#include "platform/engine/joystick.h"
#include "platform/engine/name_table.h"
#include "platform/forms/event_pump.h"

namespace forms {
class Form;
}

namespace engine {

class EngineGraphicEffect;

struct Texture {
  std::string path;   // empty for the texture of a render surface
  int32_t width = 0;  // pixels, after any scaling down
  int32_t height = 0;
  uint32_t colourKey = 0;  // 0xAARRGGBB, as EngineTextureFactory::LoadTexture takes it
  int32_t device = 0;      // the drawing backend's identifier of it; 0 for none
};

struct Material {
  d3dx::D3DXCOLOR diffuse{1, 1, 1, 1};
  d3dx::D3DXCOLOR ambient{1, 1, 1, 1};
  d3dx::D3DXCOLOR specular{0, 0, 0, 0};
  d3dx::D3DXCOLOR emissive{0, 0, 0, 0};
  int32_t device = 0;  // the drawing backend's identifier of it; 0 for none
};

struct Font {
  std::string face;
  int32_t size = 0;  // points
  bool bold = false;
  bool textureFont = false;
  int32_t device = 0;  // the drawing backend's identifier of it; 0 for none
};

struct Light {
  d3d::D3DLIGHT8 record{};
  bool enabled = false;
  int32_t device = 0;  // the drawing backend's identifier of it; 0 for none
};

class Engine {
 public:
  // The largest texture side of a device that sets none [pixels].
  static constexpr int32_t kMaxTextureSide = 2048;

  explicit Engine(std::unique_ptr<DrawBackend> backend = MakeNullBackend());
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Start-up switches of the engine; nothing depends on them.
  void PreInitSwitchA(bool) {}
  void PreInitSwitchB(bool) {}
  void PostInitSwitch(int32_t) {}
  void SetVSync(bool on) { vsync_ = on; }

  // Creates the device on the main window; `result` is 0 on success.
  void Init(forms::Form& window, bool windowed, int32_t& result);
  bool Initialised() const { return window_ != nullptr; }
  void Shutdown();

  // The engine's log: lines go to the debug file while debug mode is on.
  void SetDebugFile(const std::string& programPath);
  void SetDebugMode(bool enabled, int32_t level, int32_t flags);
  void WriteLog(const std::string& text);

  void SetWindowTitle(const std::string& title) { title_ = title; }
  const std::string& WindowTitle() const { return title_; }
  void SetColourAndRange(uint32_t shadowColour, float range);
  // The same shadow colour and range, under the name some callers use.
  void SetViewFrustum(uint32_t shadowColour, float range) {
    SetColourAndRange(shadowColour, range);
  }
  uint32_t ShadowColour() const { return shadowColour_; }
  float ShadowRange() const { return shadowRange_; }

  // Frame timing: the time between the last two presented frames [ms], and the time since Init
  // or RestartTimer [ms]. The frame rate is that of the mean of the recent frames, so that one
  // slow frame does not make the rate jump.
  float GetElapsedTime() const { return elapsedMs_; }
  float GetFrameRate() const;
  // Headless pacing: each present moves a virtual clock on by one frame of this length, so that a
  // flight without a display runs in simulated time as fast as the machine allows. A real clock
  // is not moved; zero turns the pacing off.
  void SetFramePacing(forms::Duration frame) { pacing_ = frame; }
  int32_t GetRunTime() const;
  void RestartTimer(int32_t);
  bool IsWindowActive() const;

  void Clear(uint32_t colour);
  // A rectangle of the back buffer [pixels] that this frame's 2D layer will cover opaquely. The 3D
  // drawing into the back buffer is kept to what the covers leave, as far as one rectangle holds
  // it: a cover across the whole of what is left, at one of its sides, trims that side; any other
  // cover is drawn under as before. The covers hold until the frame is presented.
  void CoverView(float left, float top, float right, float bottom);
  // The part of the back buffer the 3D drawing of this frame is kept to; of a drawing that stays
  // inside within (clipped to the back buffer), the part of within it is kept to, the covers
  // trimming within as they trim the whole.
  PixelRect SceneArea() const;
  PixelRect SceneArea(const PixelRect& within) const;
  // The rectangles a drawing inside within is kept to: SceneArea(within), or where a cover's top
  // or bottom edge crosses it and that leaves less to draw, its parts above and below the edge,
  // each kept to SceneArea of its own (a column stopping above the strip of scene under it);
  // none when within reaches no pixel of the back buffer.
  std::vector<PixelRect> SceneAreas(const PixelRect& within) const;
  // Presents the frame. While debug mode is on, one frame in kStatisticsFrames is counted and
  // its frame-statistics line logged.
  void RenderToScreen();
  static constexpr int32_t kStatisticsFrames = 300;
  // "Frame: D draws, F fragments; " then each pass as "name D/F", fragments in thousands.
  static std::string FrameStatisticsLine(const std::vector<PassCost>& passes);
  // Presents the frame drawn since the last present into another window (a dialog's picture
  // box, by its win::Window record) at that size; the main window's frame timing is untouched.
  void PresentToWindow(uintptr_t window, int32_t width, int32_t height);
  struct WindowPresent {
    uintptr_t window = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t count = 0;  // presents into other windows so far
  };
  const WindowPresent& LastWindowPresent() const { return windowPresent_; }
  // Writes the back buffer as a 24-bit BMP under a new name, through a temporary file; a name that
  // a file has already is refused (EngineError), the file kept.
  void Screenshot(const std::string& programPath);

  // Window and display mode.
  void UpdateWindowSize(int32_t& unused);
  void ResizeDevice(int32_t width, int32_t height);
  void SetWindowedFlag(bool windowed) { windowed_ = windowed; }
  void SetWindowedState(bool windowed) { windowed_ = windowed; }
  bool IsWindowed() const { return windowed_; }
  void EnterFullScreen(int32_t width, int32_t height, int32_t depth, int32_t depthBuffer);
  void LeaveFullScreen();
  // Lets the display settle after a mode change; the window system's clock moves on meanwhile.
  void RefreshAfterModeChange(int32_t settleMs);
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // A point of the main window [the form's pixels] to the back-buffer pixel shown there: through
  // the device-pixel ratio and, for a back buffer of another shape, its place between the bars.
  void WindowToBackBuffer(float& x, float& y) const;

  // Shared state of the engine's objects.
  DrawBackend& Backend() { return *backend_; }
  // The largest texture side the device takes [pixels]; larger images are scaled down to it.
  int32_t MaxTextureSide() const {
    const int32_t device = backend_->MaxTextureSide();
    return device > 0 ? device : kMaxTextureSide;
  }
  NameTable<Texture>& Textures() { return textures_; }
  const NameTable<Texture>& Textures() const { return textures_; }
  NameTable<Material>& Materials() { return materials_; }
  const NameTable<Material>& Materials() const { return materials_; }
  NameTable<Font>& Fonts() { return fonts_; }
  const NameTable<Font>& Fonts() const { return fonts_; }
  std::vector<Light>& Lights() { return lights_; }
  const std::vector<Light>& Lights() const { return lights_; }
  EngineCamera& MainCamera() { return mainCamera_; }
  // The target drawing goes to now: a render surface between its StartRender and EndRender, else
  // the back buffer; and the camera that draws into it.
  DrawTarget CurrentTarget() const;
  CameraView CurrentCameraView() const;
  void PushSurface(EngineRenderSurface& surface);
  void PopSurface(EngineRenderSurface& surface);
  // Keyboard and mouse input of the main window, and where joysticks come from (scripted devices,
  // none plugged, until the program chooses SDL2's).
  InputQueue& Input() { return input_; }
  const InputQueue& Input() const { return input_; }
  JoystickSource& Joysticks() { return *joysticks_; }
  void UseJoysticks(std::unique_ptr<JoystickSource> source);
  // The pointer to a point of the main window's drawing area; false where the window system
  // refuses it. Hiding it hides the window system's pointer over the main window.
  bool MovePointer(int32_t x, int32_t y);
  void HidePointer(bool hidden);
  // The effect whose fade darkens the frames presented (nullptr: none).
  void UseGraphicEffect(const EngineGraphicEffect* effect) { effect_ = effect; }

 private:
  // Takes the main window's keys (as scan codes, without auto-repeat, with the window system's
  // Num Lock), its pointer and buttons, and lets every key go when it loses the keyboard.
  void ListenToWindow(bool listen);

  std::unique_ptr<DrawBackend> backend_;
  forms::Form* window_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool windowed_ = true;
  bool vsync_ = false;
  std::string title_;
  std::filesystem::path logPath_;
  bool logEnabled_ = false;
  int32_t framesUncounted_ = 0;  // presents since the last counted frame
  bool counting_ = false;        // the frame being drawn is counted
  uint32_t shadowColour_ = 0;
  float shadowRange_ = 0;
  std::vector<PixelRect> covers_;  // this frame's, see CoverView
  forms::Duration timerOrigin_{};
  forms::Duration lastFrame_{};
  float elapsedMs_ = 0;
  // The lengths of the recent frames [ms], oldest overwritten first.
  static constexpr size_t kMeanFrames = 30;
  std::array<float, kMeanFrames> recentMs_{};
  size_t recentCount_ = 0;
  size_t recentNext_ = 0;
  forms::Duration pacing_{};
  NameTable<Texture> textures_;
  NameTable<Material> materials_;
  NameTable<Font> fonts_;
  std::vector<Light> lights_;
  EngineCamera mainCamera_;
  std::vector<EngineRenderSurface*> surfaces_;
  InputQueue input_;
  std::unique_ptr<JoystickSource> joysticks_;
  const EngineGraphicEffect* effect_ = nullptr;
  WindowPresent windowPresent_;
};

}  // namespace engine
