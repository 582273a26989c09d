// The message channels reach the engine's 2D objects: boxes in one colour, text in the caller's
// font.

#include "program/cockpit/engine_screen2d.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/engine/draw_backend.h"
#include "platform/forms/forms.h"
#include "platform/win/twips.h"
#include "program/cockpit/cockpit_state.h"
#include "tests/program/saved_variables.h"

namespace {

class RecordingBackend : public engine::DrawBackend {
 public:
  explicit RecordingBackend(std::vector<engine::Shape2D>& shapes) : shapes_(shapes) {}
  void BeginTarget(const engine::DrawTarget&, bool, uint32_t) override {}
  void EndTarget() override {}
  void DrawMesh(const engine::EngineMesh&, const engine::CameraView&) override {}
  void DrawLandscape(const engine::EngineLandscape&, const engine::CameraView&) override {}
  void Draw2D(const engine::Shape2D& shape) override { shapes_.push_back(shape); }
  void Present() override {}
  void MeasureText(const std::string& text, const engine::Font&, int32_t pixelHeight,
                   int32_t& width, int32_t& height) override {
    width = static_cast<int32_t>(text.size()) * pixelHeight / 2;
    height = pixelHeight;
  }
  std::vector<uint32_t> ReadBackBuffer(int32_t, int32_t) override { return {}; }

 private:
  std::vector<engine::Shape2D>& shapes_;
};

struct WindowForm : forms::Form {
  WindowForm() : Form("EngineWindow") {
    SetBorderStyle(forms::BorderStyle::None);
    SetRenderSurface(true);
    Move(0, 0, win::PixelsToTwips(640), win::PixelsToTwips(480));
  }
};

TEST(EngineScreen2D, MessagesDrawAsABoxAndTextInTheMessageFont) {
  const SavedVariables saved{MessageText};
  std::vector<engine::Shape2D> shapes;
  engine::Engine engine(std::make_unique<RecordingBackend>(shapes));
  forms::FormSlot<WindowForm> window;
  window->Show();
  int32_t result = -1;
  engine.Init(*window, true, result);
  ASSERT_EQ(result, 0);
  engine::EngineScreen2DDraw draw(engine);
  engine::EngineScreen2DText text(engine);
  const int32_t font = text.CreateFont("Message", "Arial", 12, true);  // 16 pixels high
  EngineScreen2D screen(engine, draw, text, font);

  MessageText[0] = {"abcd", 0xFF0000FF, 0xFFFFFF00};
  DrawMessage(screen);

  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(shapes[0].kind, engine::Shape2D::Kind::FilledBox);
  for (uint32_t colour : shapes[0].colours) EXPECT_EQ(colour, 0xFF0000FFu);
  EXPECT_EQ(shapes[1].kind, engine::Shape2D::Kind::Text);
  EXPECT_EQ(shapes[1].text, "abcd");
  EXPECT_EQ(shapes[1].font, font);
  EXPECT_EQ(shapes[1].colours[0], 0xFFFFFF00u);
  // Four glyphs of 8 pixels, centred on the 640-pixel window, with the box 2 pixels wider each
  // side.
  EXPECT_FLOAT_EQ(shapes[1].x1, 304.0f);
  EXPECT_FLOAT_EQ(shapes[0].x1, 302.0f);
  EXPECT_FLOAT_EQ(shapes[0].x2, 338.0f);
  window.Unload();
}

}  // namespace
