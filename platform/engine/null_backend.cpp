#include "platform/engine/draw_backend.h"

namespace engine {
namespace {

class NullBackend final : public DrawBackend {
 public:
  void BeginTarget(const DrawTarget& target, bool clear, uint32_t clearColour) override {
    if (clear && target.surface == nullptr) clearColour_ = clearColour;
  }
  void EndTarget() override {}
  void DrawMesh(const EngineMesh&, const CameraView&) override {}
  void DrawLandscape(const EngineLandscape&, const CameraView&) override {}
  void Draw2D(const Shape2D&) override {}
  void Present() override {}
  void MeasureText(const std::string& text, const Font&, int32_t pixelHeight, int32_t& width,
                   int32_t& height) override {
    int32_t characters = 0;
    for (unsigned char c : text)
      if ((c & 0xC0) != 0x80) ++characters;
    width = characters * ((pixelHeight + 1) / 2);
    height = pixelHeight;
  }
  std::vector<uint32_t> ReadBackBuffer(int32_t width, int32_t height) override {
    return std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height),
                                 clearColour_);
  }

 private:
  uint32_t clearColour_ = 0xFF000000;
};

}  // namespace

std::unique_ptr<DrawBackend> MakeNullBackend() { return std::make_unique<NullBackend>(); }

}  // namespace engine
