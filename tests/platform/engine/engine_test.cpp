// The root object and the 2D side: frame timing on the window system's clock, the log, screenshots,
// textures larger than the device, fixed text metrics, and the rules of drawing batches.
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/d3dx/image_file.h"
#include "platform/engine/draw2d.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/resources.h"
#include "platform/win/byte_reader.h"
#include "tests/platform/engine/engine_fixture.h"

namespace {

using engine::EngineError;
using std::chrono::milliseconds;

TEST_F(EngineTest, FrameTimesFollowTheWindowSystemsClock) {
  clock.Advance(milliseconds(40));
  engine.RenderToScreen();
  EXPECT_FLOAT_EQ(engine.GetElapsedTime(), 40);
  EXPECT_FLOAT_EQ(engine.GetFrameRate(), 25);
  clock.Advance(milliseconds(10));
  engine.RenderToScreen();
  EXPECT_FLOAT_EQ(engine.GetElapsedTime(), 10);
  EXPECT_EQ(engine.GetRunTime(), 50);

  engine.RestartTimer(0);
  EXPECT_EQ(engine.GetRunTime(), 0);
  engine.RenderToScreen();
  EXPECT_FLOAT_EQ(engine.GetElapsedTime(), 0);
  // A frame of no measurable length still gives a rate callers can divide by.
  EXPECT_GT(engine.GetFrameRate(), 0);

  // Settling after a mode change lets the clock run on.
  engine.RefreshAfterModeChange(500);
  EXPECT_EQ(engine.GetRunTime(), 500);
}

// One slow frame among fast ones moves the rate a little, not to the slow frame's own rate; a
// restart of the timer forgets the frames before it.
// The covers a frame's 2D layer announces leave the 3D drawing one rectangle: each cover across
// the whole of what is left, at a side of it, trims that side (a trim letting the next cover reach
// across); fractional edges give only the pixels wholly under; the covers end with the frame.
TEST_F(EngineTest, CoversTrimTheSceneAreaWhereTheyLeaveOneRectangle) {
  using engine::PixelRect;
  const float w = kWidth, h = kHeight;
  struct Case {
    const char* name;
    std::vector<std::array<float, 4>> covers;
    PixelRect area;
  };
  const Case cases[] = {
      {"none", {}, {0, 0, kWidth, kHeight}},
      {"a bar along the bottom", {{0, h - 20.5f, w, h}}, {0, 0, kWidth, kHeight - 20}},
      {"a column, then the bar it meets",
       {{w - 100.5f, 0, w, h - 20}, {0, h - 20, w, h}},
       {0, 0, kWidth - 100, kHeight - 20}},
      {"a column short of the bar",
       {{w - 100, 0, w, h - 30}, {0, h - 20, w, h}},
       {0, 0, kWidth, kHeight - 20}},
      {"a top and a left edge", {{0, 0, w, 10}, {0, 0, 30, h}}, {30, 10, kWidth, kHeight}},
      {"a box in the middle", {{100, 100, 200, 200}}, {0, 0, kWidth, kHeight}},
      {"everything", {{0, 0, w, h}}, {0, 0, kWidth, kHeight}},
  };
  for (const Case& c : cases) {
    for (const auto& [left, top, right, bottom] : c.covers)
      engine.CoverView(left, top, right, bottom);
    EXPECT_EQ(engine.SceneArea(), c.area) << c.name;
    engine.RenderToScreen();
    EXPECT_EQ(engine.SceneArea(), (PixelRect{0, 0, kWidth, kHeight})) << c.name << ", presented";
  }
}

// A drawing that stays inside a rectangle is kept to what the covers leave of that rectangle,
// trimmed as the whole is: a cover short of the whole may still reach across the rectangle.
TEST_F(EngineTest, CoversTrimARectangleOfTheSceneAsTheyTrimTheWhole) {
  using engine::PixelRect;
  const float w = kWidth, h = kHeight;
  engine.CoverView(w - 100, 0, w, h - 30);  // a column short of the bar
  engine.CoverView(0, h - 20, w, h);
  ASSERT_EQ(engine.SceneArea(), (PixelRect{0, 0, kWidth, kHeight - 20}));
  const struct {
    const char* name;
    PixelRect within, area;
  } cases[] = {
      {"beside the column", {0, 0, kWidth, 100}, {0, 0, kWidth - 100, 100}},
      {"down into the strip under the column",
       {0, 0, kWidth, kHeight - 25},
       {0, 0, kWidth, kHeight - 25}},
      {"over the bar and off the back buffer",
       {-10, 100, kWidth + 10, kHeight + 10},
       {0, 100, kWidth, kHeight - 20}},
      {"wholly under the column", {kWidth - 50, 10, kWidth, 20}, {kWidth - 50, 10, kWidth, 20}},
      {"off the back buffer", {kWidth + 5, 0, kWidth + 10, 10}, {kWidth + 5, 0, kWidth, 10}},
  };
  for (const auto& c : cases) EXPECT_EQ(engine.SceneArea(c.within), c.area) << c.name;
}

// Where a cover's edge crosses what a drawing may reach, the parts either side of it are kept to
// what the covers leave of each, if that leaves less to draw than the rectangle around it all.
TEST_F(EngineTest, ACoversEdgeAcrossADrawingSplitsItWhereThatLeavesLess) {
  using engine::PixelRect;
  const float w = kWidth, h = kHeight;
  engine.CoverView(w - 100, 0, w, h - 30);  // a column short of the bar
  engine.CoverView(0, h - 20, w, h);
  engine.CoverView(100, 100, 200, 200);  // a box nothing goes round
  const struct {
    const char* name;
    PixelRect within;
    std::vector<PixelRect> areas;
  } cases[] = {
      {"down into the strip under the column",
       {0, 0, kWidth, kHeight},
       {{0, 0, kWidth - 100, kHeight - 30}, {0, kHeight - 30, kWidth, kHeight - 20}}},
      {"beside the column", {0, 0, kWidth, 100}, {{0, 0, kWidth - 100, 100}}},
      {"across the box alone", {0, 50, 300, 250}, {{0, 50, 300, 250}}},
      {"off the back buffer", {kWidth + 5, 0, kWidth + 10, 10}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(engine.SceneAreas(c.within), c.areas) << c.name;
}

TEST_F(EngineTest, FrameRateIsThatOfTheMeanOfRecentFrames) {
  for (int i = 0; i < 29; ++i) {
    clock.Advance(milliseconds(10));
    engine.RenderToScreen();
  }
  EXPECT_FLOAT_EQ(engine.GetFrameRate(), 100);
  clock.Advance(milliseconds(300));
  engine.RenderToScreen();
  EXPECT_FLOAT_EQ(engine.GetFrameRate(), 1000.0f / ((29 * 10 + 300) / 30.0f));
  // The slow frame leaves the mean once enough frames follow it.
  for (int i = 0; i < 30; ++i) {
    clock.Advance(milliseconds(20));
    engine.RenderToScreen();
  }
  EXPECT_FLOAT_EQ(engine.GetFrameRate(), 50);
  engine.RestartTimer(0);
  clock.Advance(milliseconds(40));
  engine.RenderToScreen();
  EXPECT_FLOAT_EQ(engine.GetFrameRate(), 25);
}

// Paced, every present is one frame later on the virtual clock, with no one moving it.
TEST_F(EngineTest, PacingMovesTheVirtualClockOneFramePerPresent) {
  engine.SetFramePacing(milliseconds(16));
  engine.RenderToScreen();
  engine.RenderToScreen();
  EXPECT_FLOAT_EQ(engine.GetElapsedTime(), 16);
  EXPECT_EQ(engine.GetRunTime(), 32);
  engine.SetFramePacing({});
  engine.RenderToScreen();
  EXPECT_FLOAT_EQ(engine.GetElapsedTime(), 0);
}

// The mouse reaches the program in the window's pixels; picks need the back buffer's.
TEST_F(EngineTest, WindowPointsMapToTheBackBufferPixelShownThere) {
  float x = 100, y = 50;
  engine.WindowToBackBuffer(x, y);
  EXPECT_FLOAT_EQ(x, 100);
  EXPECT_FLOAT_EQ(y, 50);
  // A full-screen mode twice as wide as high shows between bars above and below.
  engine.EnterFullScreen(1280, 640, 32, 24);
  const struct {
    float x, y, backX, backY;
  } cases[] = {{0, 80, 0, 0}, {320, 240, 640, 320}, {640, 400, 1280, 640}, {320, 40, 640, -80}};
  for (const auto& c : cases) {
    x = c.x, y = c.y;
    engine.WindowToBackBuffer(x, y);
    EXPECT_FLOAT_EQ(x, c.backX) << c.x << ", " << c.y;
    EXPECT_FLOAT_EQ(y, c.backY) << c.x << ", " << c.y;
  }
}

TEST_F(EngineTest, TheLogIsWrittenWhileDebugModeIsOn) {
  engine.SetDebugFile(ProgramPath("GraphicDebug.txt"));
  engine.WriteLog("before");
  engine.SetDebugMode(true, -1, 0);
  engine.WriteLog("Stars loaded");
  engine.WriteLog("Earth loaded");
  EXPECT_EQ(folder.ReadFile("GraphicDebug.txt"), "Stars loaded\nEarth loaded\n");
}

// In debug mode one frame in kStatisticsFrames is counted, and the frame after it logs the line.
TEST_F(EngineTest, DebugModeLogsAFrameStatisticsLineEveryFewHundredFrames) {
  engine.SetDebugFile(ProgramPath("GraphicDebug.txt"));
  engine.SetDebugMode(true, -1, 0);
  for (int32_t frame = 0; frame < 2 * engine::Engine::kStatisticsFrames + 2; ++frame)
    engine.RenderToScreen();
  EXPECT_EQ(folder.ReadFile("GraphicDebug.txt"),
            "Frame: 0 draws, 0 fragments; \nFrame: 0 draws, 0 fragments; \n");
  EXPECT_EQ(engine::Engine::FrameStatisticsLine({{"scene", 98, 2241499}, {"text", 30, 549000}}),
            "Frame: 128 draws, 2790499 fragments; scene 98/2241k, text 30/549k");
}

TEST_F(EngineTest, ScreenshotsAreBitmapsOfTheWindowThatNeverReplaceAFile) {
  const std::string old(10000, 'x');
  folder.WriteFile("old.bmp", old);
  engine.Clear(0xFF336699);
  EXPECT_THROW(engine.Screenshot(ProgramPath("old.bmp")), EngineError);
  EXPECT_EQ(folder.ReadFile("old.bmp"), old);
  engine.Screenshot(ProgramPath("shot.bmp"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2)
      << "no temporary left";
  const std::string bytes = folder.ReadFile("shot.bmp");
  const auto image = d3dx::DecodeImageFile(
      std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  win::ByteReader header(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  header.Seek(18);
  EXPECT_EQ(header.I32(), kWidth);
  EXPECT_EQ(header.I32(), kHeight);
  EXPECT_THROW(engine.Screenshot(ProgramPath("no such folder\\shot.bmp")), EngineError);
}

TEST_F(EngineTest, TexturesLargerThanTheDeviceAreScaledDown) {
  d3dx::ArgbImage wide(3000, 100, 0xFFFFFFFF);
  const auto bmp = d3dx::EncodeBmp(wide, false);
  folder.WriteFile("Textures/moonbackground.bmp", std::string(bmp.begin(), bmp.end()));
  engine::EngineTextureFactory textures(engine);
  const int32_t natural =
      textures.LoadTexture(ProgramPath("textures\\MoonBackground.bmp"), "moonbackground");
  ASSERT_NE(engine.Textures().Get(natural), nullptr);
  EXPECT_EQ(engine.Textures().Get(natural)->width, engine::Engine::kMaxTextureSide);
  EXPECT_EQ(engine.Textures().Get(natural)->height, 68);
  const int32_t asked =
      textures.LoadTexture(ProgramPath("Textures\\moonbackground.bmp"), "huge", 12306, 5110);
  ASSERT_NE(engine.Textures().Get(asked), nullptr);
  EXPECT_EQ(engine.Textures().Get(asked)->width, engine::Engine::kMaxTextureSide);
  EXPECT_EQ(engine.Textures().Get(asked)->height, 850);
  EXPECT_THROW(textures.LoadTexture(ProgramPath("Textures\\none.png"), "none"), EngineError);

  engine::EngineGlobals globals(engine);
  EXPECT_EQ(globals.GetTextureId("MOONBACKGROUND"), natural);
  textures.DeleteTexture(natural);
  EXPECT_EQ(globals.GetTextureId("moonbackground"), 0);
}

TEST_F(EngineTest, TextHasFixedMetricsHeadless) {
  engine::EngineScreen2DText text(engine);
  const int32_t font = text.CreateFont("Panel", "Arial", 12, true);  // 16 pixels high
  int32_t width = 0, height = 0;
  text.GetTextSize("P63", font, width, height);
  EXPECT_EQ(width, 24);
  EXPECT_EQ(height, 16);
  text.GetTextSize("Zündung", font, width, height);
  EXPECT_EQ(width, 7 * 8);
  EXPECT_THROW(text.GetTextSize("x", 0, width, height), EngineError);

  EXPECT_THROW(text.DrawText("outside", 0, 0, 0xFFFFFFFF, font), EngineError);
  text.Begin();
  text.DrawText("inside", 0, 0, 0xFFFFFFFF, font);
  text.End();
  text.ResetFonts();
  EXPECT_THROW(text.GetTextSize("x", font, width, height), EngineError);
}

TEST_F(EngineTest, ColoursAndBatches) {
  EXPECT_EQ(engine::EngineGlobals::MakeColor(1, 0, 0, 1), 0xFFFF0000u);
  EXPECT_EQ(engine::EngineGlobals::MakeColor(0, 0, 0, 0.6f), 0x99000000u);
  // Out-of-range components are clamped, as fades and bright stars pass them.
  EXPECT_EQ(engine::EngineGlobals::MakeColor(-0.2f, 12, 0, 1), 0xFF00FF00u);

  engine::EngineScreen2DDraw draw(engine);
  EXPECT_THROW(draw.DrawFilledBox(0, 0, 10, 10, 0, 0, 0, 0), EngineError);
  draw.Begin();
  EXPECT_THROW(draw.Begin(), EngineError);
  EXPECT_THROW(draw.DrawTexture(42, 0, 0, 1, 1, 0, 0, 0, 0), EngineError);
  EXPECT_THROW(draw.DrawCircleBorder(5, 5, 3, 2, 0), EngineError);
  draw.End();
  EXPECT_EQ(engine.Textures().Get(0), nullptr);  // id 0 is no texture
}

TEST_F(EngineTest, ButtonsLightUpUnderTheMouse) {
  engine::EngineTextureFactory textures(engine);
  const auto bmp = d3dx::EncodeBmp(d3dx::ArgbImage(4, 4), false);
  folder.WriteFile("b.bmp", std::string(bmp.begin(), bmp.end()));
  const int32_t normal = textures.LoadTexture(ProgramPath("b.bmp"), "button");
  const int32_t hover = textures.LoadTexture(ProgramPath("b.bmp"), "buttonhover");
  engine::EngineScreen2DDraw draw(engine);
  bool over = true;
  draw.Begin();
  engine.Input().MouseMoved(5, 5);
  draw.DrawButton(hover, normal, 10, 10, 60, 30, over);
  EXPECT_FALSE(over);
  engine.Input().MouseMoved(60, 30);
  draw.DrawButton(hover, normal, 10, 10, 60, 30, over);
  EXPECT_TRUE(over);
  draw.End();
}

TEST_F(EngineTest, MathsConventionsOfTheCallers) {
  using M = engine::EngineMathLibrary;
  constexpr float kPi = 3.14159265f;
  // An unrolled attitude ball: the projected point lies right of the origin, which reads as 270
  // degrees, and the caller's +90 makes it a whole turn.
  EXPECT_NEAR(M::Angle2D(-1, 0) * 180 / kPi, 270, 1e-3f);
  EXPECT_NEAR(M::Angle2D(0, 1), 0, 1e-6f);
  // Negative elevation is above the centre.
  const auto above = M::PointOnSphere({1, 2, 3}, 10, 0, -kPi / 2);
  EXPECT_NEAR(above.y, 12, 1e-4f);
  const auto ahead = M::PointOnSphere({0, 0, 0}, 10, kPi / 2, 0);
  EXPECT_NEAR(ahead.x, 10, 1e-4f);
  EXPECT_FLOAT_EQ(M::GetDistance2D(0, 0, 3, 4), 5);
  EXPECT_FLOAT_EQ(M::ArcCos(1.0000001f), 0);
  EXPECT_EQ(M::Normalize({0, 0, 0}), (d3dx::D3DXVECTOR3{0, 0, 0}));

  engine::EnginePath path(engine);
  path.AddPoint({0, 0, 0});
  path.AddPoint({10, 0, 0});
  path.AddPoint({10, 0, 10});
  path.MoveCamera(1.5f, 1.0f);
  const auto at = engine.MainCamera().GetPosition();
  EXPECT_FLOAT_EQ(at.x, 10);
  EXPECT_FLOAT_EQ(at.z, 5);
}

TEST_F(EngineTest, EffectsAndLightsKeepTheirState) {
  engine::EngineGraphicEffect effect;
  EXPECT_TRUE(effect.IsFinished());
  effect.Start(2000);
  clock.Advance(milliseconds(500));
  EXPECT_FLOAT_EQ(effect.Blackness(), 0.25f) << "a fade out darkens";
  clock.Advance(milliseconds(1499));
  EXPECT_FALSE(effect.IsFinished());
  clock.Advance(milliseconds(1));
  EXPECT_TRUE(effect.IsFinished());
  EXPECT_EQ(effect.Blackness(), 0.0f) << "and shows the frame again once it ends";
  effect.StartFadeIn(1000);
  clock.Advance(milliseconds(250));
  EXPECT_FLOAT_EQ(effect.Blackness(), 0.75f) << "a fade in comes up from black";

  engine::EngineLights lights(engine);
  d3d::D3DLIGHT8 sun{};
  sun.Type = d3d::D3DLIGHT_DIRECTIONAL;
  sun.Range = 100;
  const int32_t id = lights.CreateLight(sun);
  EXPECT_EQ(id, 1);
  lights.EnableLight(id, false);
  EXPECT_FALSE(lights.GetLight(id).enabled);
  EXPECT_FLOAT_EQ(lights.GetLight(id).record.Range, 100);
  EXPECT_THROW(lights.SetLight(0, sun), EngineError);

  engine::EngineParticleSystem dust;
  dust.NewParticle = [](d3dx::D3DXVECTOR3& velocity, float& life) {
    velocity = {0, 10, 0};
    life = 0.1f;
  };
  dust.Create(engine, 3, 0, 15.0f, {0, 0, 0}, 0, 0);
  dust.SetAmount(2);
  dust.SetTimeStep(0.05f);
  dust.Update();
  EXPECT_TRUE(dust.Particles().empty()) << "no power, no particles";
  dust.SetPower(30);
  dust.Update();
  ASSERT_EQ(dust.Particles().size(), 2u);
  EXPECT_FLOAT_EQ(dust.Particles()[0].position.y, 0.5f);
  dust.Update();  // room for one more; the first two die at the end of this step
  ASSERT_EQ(dust.Particles().size(), 1u);
  dust.SetPower(0);
  dust.Update();
  EXPECT_TRUE(dust.Particles().empty()) << "the last one's life ran out, and none came after it";
}

}  // namespace
