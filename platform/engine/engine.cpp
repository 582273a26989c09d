#include "platform/engine/engine.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

#include "platform/d3dx/image_file.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/resources.h"
#include "platform/engine/scan_codes.h"
#include "platform/engine/scene.h"
#include "platform/forms/form.h"
#include "platform/win/app_path.h"
#include "platform/win/byte_writer.h"
#include "platform/win/clock.h"
#include "platform/win/window.h"

namespace engine {

namespace {

float Milliseconds(forms::Duration d) {
  return std::chrono::duration<float, std::milli>(d).count();
}

}  // namespace

Engine::Engine(std::unique_ptr<DrawBackend> backend) : backend_(std::move(backend)) {
  if (!backend_) backend_ = MakeNullBackend();
  joysticks_ = std::make_unique<ScriptedJoysticks>();
  // Four lights, as the scene sets up.
  lights_.resize(4);
}

Engine::~Engine() { ListenToWindow(false); }

void Engine::ListenToWindow(bool listen) {
  if (window_ == nullptr) return;
  if (!listen) {
    // The window may have been unloaded and freed before the engine lets go of it (a fixture's
    // form, the main display at shutdown); only a loaded one still holds our handlers.
    const std::vector<forms::Form*> loaded = forms::LoadedForms();
    if (std::find(loaded.begin(), loaded.end(), window_) == loaded.end()) return;
    window_->RawKeyInput = nullptr;
    window_->RawPointerMoved = nullptr;
    window_->RawPointerButton = nullptr;
    window_->RawFocusLost = nullptr;
    return;
  }
  window_->RawKeyInput = [this](const forms::RawKey& key) {
    if (key.autoRepeat) return;
    const auto code = scan::FromQtKey(key.qtKey, key.keypad, key.nativeScanCode);
    input_.KeyEvent(code, key.down);
    // A key's own event tells the state before it: Num Lock's own press is counted instead.
    if (key.numLockOn && code != scan::kNumLock) input_.SetNumLock(*key.numLockOn);
  };
  window_->RawPointerMoved = [this](float x, float y) {
    input_.MouseMoved(static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(y)));
  };
  window_->RawPointerButton = [this](int32_t button, bool down) {
    input_.MouseButton(button, down);
  };
  window_->RawFocusLost = [this] { input_.ReleaseAllKeys(); };
}

bool Engine::MovePointer(int32_t x, int32_t y) {
  input_.MouseMoved(x, y);
  return window_ == nullptr || window_->WarpPointer(x, y);
}

void Engine::HidePointer(bool hidden) {
  if (window_ != nullptr) window_->SetPointerHidden(hidden);
}

void Engine::Init(forms::Form& window, bool windowed, int32_t& result) {
  window_ = &window;
  windowed_ = windowed;
  width_ = window.ScaleWidth();
  height_ = window.ScaleHeight();
  if (width_ <= 0 || height_ <= 0) {
    window_ = nullptr;
    throw EngineError("Init: the window has no drawing area");
  }
  DeviceSettings settings;
  settings.engine = this;
  settings.window = reinterpret_cast<void*>(window.hWnd());
  settings.width = width_;
  settings.height = height_;
  settings.windowed = windowed;
  settings.vsync = vsync_;
  if (logEnabled_) settings.log = logPath_;
  try {
    backend_->Start(settings);
  } catch (...) {
    window_ = nullptr;
    throw;
  }
  timerOrigin_ = lastFrame_ = forms::Now();
  elapsedMs_ = 0;
  recentCount_ = recentNext_ = 0;
  result = 0;
  ListenToWindow(true);
  WriteLog("Engine started on a " + std::to_string(width_) + " x " + std::to_string(height_) +
           " window");
}

void Engine::Shutdown() {
  WriteLog("Engine shut down");
  ListenToWindow(false);
  if (window_ != nullptr) backend_->Stop();
  window_ = nullptr;
  surfaces_.clear();
}

void Engine::SetDebugFile(const std::string& programPath) {
  logPath_ = programPath.empty() ? std::filesystem::path{} : win::ResolvePath(programPath);
  if (!logPath_.empty()) std::ofstream(logPath_, std::ios::trunc);
}

void Engine::SetDebugMode(bool enabled, int32_t, int32_t) { logEnabled_ = enabled; }

void Engine::WriteLog(const std::string& text) {
  if (!logEnabled_ || logPath_.empty()) return;
  std::ofstream log(logPath_, std::ios::app);
  log << text << '\n';
}

void Engine::SetColourAndRange(uint32_t shadowColour, float range) {
  shadowColour_ = shadowColour;
  shadowRange_ = range;
}

float Engine::GetFrameRate() const {
  // A frame that took no measurable time counts as one millisecond, so callers can divide by it.
  constexpr float kShortestFrameMs = 1.0f;
  float sum = 0;
  for (size_t i = 0; i < recentCount_; ++i) sum += recentMs_[i];
  const float mean = recentCount_ == 0 ? 0 : sum / static_cast<float>(recentCount_);
  return 1000.0f / std::max(mean, kShortestFrameMs);
}

int32_t Engine::GetRunTime() const {
  return static_cast<int32_t>(Milliseconds(forms::Now() - timerOrigin_));
}

void Engine::RestartTimer(int32_t) {
  timerOrigin_ = lastFrame_ = forms::Now();
  elapsedMs_ = 0;
  recentCount_ = recentNext_ = 0;
}

bool Engine::IsWindowActive() const {
  return window_ != nullptr && window_->Visible() &&
         window_->GetWindowState() != forms::WindowState::Minimized;
}

void Engine::Clear(uint32_t colour) {
  backend_->BeginTarget(DrawTarget{nullptr, width_, height_}, true, colour);
  backend_->EndTarget();
}

void Engine::CoverView(float left, float top, float right, float bottom) {
  // Only the pixels wholly inside: those a 2D drawing of the rectangle covers however it rounds
  // its edges (at pixel centres or half a pixel off).
  const auto after = [](float edge) { return static_cast<int32_t>(std::ceil(edge)); };
  const auto before = [](float edge) { return static_cast<int32_t>(std::floor(edge)); };
  covers_.push_back({after(left), after(top), before(right), before(bottom)});
}

PixelRect Engine::SceneArea() const { return SceneArea({0, 0, width_, height_}); }

PixelRect Engine::SceneArea(const PixelRect& within) const {
  PixelRect area{std::max(within.left, 0), std::max(within.top, 0), std::min(within.right, width_),
                 std::min(within.bottom, height_)};
  if (area.right <= area.left || area.bottom <= area.top) return area;
  // A cover trimming one side can let another reach across what is left: trims until none does.
  for (bool trimmed = true; trimmed;) {
    trimmed = false;
    for (const PixelRect& cover : covers_) {
      const bool across = cover.left <= area.left && cover.right >= area.right;
      const bool down = cover.top <= area.top && cover.bottom >= area.bottom;
      PixelRect next = area;
      if (across && cover.top <= area.top) next.top = std::max(area.top, cover.bottom);
      if (across && cover.bottom >= area.bottom) next.bottom = std::min(area.bottom, cover.top);
      if (down && cover.left <= area.left) next.left = std::max(area.left, cover.right);
      if (down && cover.right >= area.right) next.right = std::min(area.right, cover.left);
      // A cover of all that is left is drawn under: the 3D drawing goes on as before.
      if (next.right <= next.left || next.bottom <= next.top) continue;
      trimmed = trimmed || next != area;
      area = next;
    }
  }
  return area;
}

std::vector<PixelRect> Engine::SceneAreas(const PixelRect& within) const {
  const PixelRect whole = SceneArea(within);
  const auto size = [](const PixelRect& r) {
    return int64_t{std::max(r.right - r.left, 0)} * int64_t{std::max(r.bottom - r.top, 0)};
  };
  if (size(whole) == 0) return {};
  std::vector<PixelRect> least{whole};
  int64_t leastSize = size(whole);
  for (const PixelRect& cover : covers_) {
    for (const int32_t edge : {cover.top, cover.bottom}) {
      if (edge <= whole.top || edge >= whole.bottom) continue;
      const PixelRect above = SceneArea({whole.left, whole.top, whole.right, edge});
      const PixelRect below = SceneArea({whole.left, edge, whole.right, whole.bottom});
      if (size(above) + size(below) < leastSize) {
        leastSize = size(above) + size(below);
        least = {above, below};
      }
    }
  }
  return least;
}

void Engine::RenderToScreen() {
  if (!Initialised()) throw EngineError("RenderToScreen: the engine has not been started");
  if (effect_ != nullptr) {
    if (const float black = effect_->Blackness(); black > 0) backend_->DrawFade(black);
  }
  backend_->Present();
  covers_.clear();
  if (counting_) {
    WriteLog(FrameStatisticsLine(backend_->FrameStatistics()));
    backend_->SetFrameStatistics(false);
    counting_ = false;
  } else if (logEnabled_ && ++framesUncounted_ >= kStatisticsFrames) {
    backend_->SetFrameStatistics(true);
    counting_ = true;
    framesUncounted_ = 0;
  }
  if (pacing_ > forms::Duration::zero()) forms::CurrentClock().SkipAhead(pacing_);
  const forms::Duration now = forms::Now();
  elapsedMs_ = Milliseconds(now - lastFrame_);
  lastFrame_ = now;
  recentMs_[recentNext_] = elapsedMs_;
  recentNext_ = (recentNext_ + 1) % kMeanFrames;
  recentCount_ = std::min(recentCount_ + 1, kMeanFrames);
}

std::string Engine::FrameStatisticsLine(const std::vector<PassCost>& passes) {
  uint64_t draws = 0, fragments = 0;
  std::string each;
  for (const PassCost& pass : passes) {
    draws += pass.draws;
    fragments += pass.fragments;
    each += (each.empty() ? "" : ", ") + pass.name + " " + std::to_string(pass.draws) + "/" +
            std::to_string((pass.fragments + 500) / 1000) + "k";
  }
  return "Frame: " + std::to_string(draws) + " draws, " + std::to_string(fragments) +
         " fragments; " + each;
}

void Engine::PresentToWindow(uintptr_t window, int32_t width, int32_t height) {
  if (!Initialised()) throw EngineError("PresentToWindow: the engine has not been started");
  backend_->PresentToWindow(window, width, height);
  covers_.clear();
  windowPresent_ = {window, width, height, windowPresent_.count + 1};
}

void Engine::Screenshot(const std::string& programPath) {
  if (!Initialised()) throw EngineError("Screenshot: the engine has not been started");
  d3dx::ArgbImage image(static_cast<uint32_t>(width_), static_cast<uint32_t>(height_));
  image.pixels = backend_->ReadBackBuffer(width_, height_);
  const std::vector<uint8_t> bmp = d3dx::EncodeBmp(image, false);
  const std::filesystem::path path = win::ResolvePath(programPath);
  bool taken = false;
  if (!win::WriteNewFileBytes(path, bmp, &taken))
    throw EngineError(
        "Screenshot: " + std::string(taken ? "a file has the name " : "cannot write ") +
        path.string());
}

void Engine::UpdateWindowSize(int32_t& unused) {
  unused = 0;
  if (window_ == nullptr) return;
  // A window with no drawing area (minimised) keeps the old size.
  if (window_->ScaleWidth() > 0 && window_->ScaleHeight() > 0)
    ResizeDevice(window_->ScaleWidth(), window_->ScaleHeight());
}

void Engine::ResizeDevice(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) throw EngineError("ResizeDevice: no drawing area");
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (Initialised()) backend_->Resize(width, height);
}

void Engine::EnterFullScreen(int32_t width, int32_t height, int32_t, int32_t depthBuffer) {
  backend_->SetDepthBuffer(depthBuffer);
  // The desktop keeps its mode: the window covers the screen and the back buffer takes the
  // chosen mode's size.
  if (window_ != nullptr) window_->SetFullScreen(true);
  ResizeDevice(width, height);
  windowed_ = false;
}

void Engine::LeaveFullScreen() {
  if (window_ != nullptr) window_->SetFullScreen(false);
  windowed_ = true;
  int32_t unused = 0;
  UpdateWindowSize(unused);
}

void Engine::RefreshAfterModeChange(int32_t settleMs) {
  win::Wait(std::chrono::milliseconds(settleMs));
}

void Engine::WindowToBackBuffer(float& x, float& y) const {
  if (window_ == nullptr || window_->ScaleWidth() <= 0 || window_->ScaleHeight() <= 0) return;
  const win::Window* record = win::WindowFromHandle(reinterpret_cast<void*>(window_->hWnd()));
  const float ratio =
      static_cast<float>(record->clientWidth) / static_cast<float>(window_->ScaleWidth());
  const win::PresentedArea area =
      win::PlacePicture(record->clientWidth, record->clientHeight, width_, height_);
  if (area.width <= 0 || area.height <= 0) return;
  x = (x * ratio - static_cast<float>(area.x)) * static_cast<float>(width_) /
      static_cast<float>(area.width);
  y = (y * ratio - static_cast<float>(area.y)) * static_cast<float>(height_) /
      static_cast<float>(area.height);
}

DrawTarget Engine::CurrentTarget() const {
  if (surfaces_.empty()) return DrawTarget{nullptr, width_, height_};
  EngineRenderSurface* surface = surfaces_.back();
  return DrawTarget{surface, surface->GetWidth(), surface->GetHeight()};
}

CameraView Engine::CurrentCameraView() const {
  const DrawTarget target = CurrentTarget();
  const EngineCamera& camera = target.surface ? target.surface->Camera() : mainCamera_;
  const float aspect = target.height > 0
                           ? static_cast<float>(target.width) / static_cast<float>(target.height)
                           : 1.0f;
  return CameraView{camera.View(), camera.Projection(aspect)};
}

void Engine::UseJoysticks(std::unique_ptr<JoystickSource> source) {
  if (!source) throw EngineError("UseJoysticks: no joystick source");
  joysticks_ = std::move(source);
}

void Engine::PushSurface(EngineRenderSurface& surface) { surfaces_.push_back(&surface); }

void Engine::PopSurface(EngineRenderSurface& surface) {
  if (surfaces_.empty() || surfaces_.back() != &surface)
    throw EngineError("EndRender without its StartRender");
  surfaces_.pop_back();
}

}  // namespace engine
