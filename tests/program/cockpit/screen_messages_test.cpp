// The message channels keep and expire their texts on virtual time and draw where they belong.

#include "program/cockpit/screen_messages.h"

#include <string>
#include <vector>

#include "tests/program/cockpit/dsky_fixture.h"

using namespace std::chrono_literals;

namespace {

// Text 10 pixels per character, 20 high, on an 800 pixel wide screen.
class RecordingScreen : public Screen2D {
 public:
  int32_t ScreenWidth() const override { return 800; }
  void GetTextSize(const std::string& text, float& width, float& height) override {
    width = 10.0f * static_cast<float>(text.size());
    height = 20.0f;
  }
  void DrawFilledBox(float x1, float y1, float x2, float y2, uint32_t colour) override {
    calls.push_back("box " + std::to_string(int(x1)) + "," + std::to_string(int(y1)) + " " +
                    std::to_string(int(x2)) + "," + std::to_string(int(y2)) + " " +
                    std::to_string(colour));
  }
  void DrawText(const std::string& text, int32_t x, int32_t y, uint32_t colour) override {
    calls.push_back(text + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                    std::to_string(colour));
  }
  std::vector<std::string> calls;
};

using ScreenMessages = DSKYTest;

TEST_F(ScreenMessages, ChannelOneExpiresAndANewMessageRestartsTheLifetime) {
  ShowMessage("one", 1000, 0, 0);
  EXPECT_EQ(MessageText[0].BoxColour, 0xFFFFFFFFu);
  EXPECT_EQ(MessageText[0].TextColour, 0xFF000000u);
  RunFor(600ms);
  ShowMessage("two", 1000, 0xFF000000, 0);
  EXPECT_EQ(MessageText[0].TextColour, 0u);  // one zero colour is used as it is
  RunFor(600ms);
  EXPECT_EQ(MessageText[0].Text, "two");
  RunFor(410ms);
  EXPECT_EQ(MessageText[0].Text, "");
  EXPECT_FALSE(Main_Display->Timer_Program_Message.Enabled());
}

TEST_F(ScreenMessages, ALifetimeOverThirtySecondsChangesNothing) {
  ShowMessage("kept", 500, 0xFF000000, 0xFF00FF00);
  ShowMessage("long", 30001, 0, 0);
  EXPECT_EQ(MessageText[0].Text, "kept");
  EXPECT_EQ(MessageText[0].BoxColour, 0xFF000000u);
  ShowMessage("long", 30000, 0, 0);
  EXPECT_EQ(MessageText[0].Text, "long");
}

TEST_F(ScreenMessages, ChannelTwoKeepsItsTextAfterItsLifetime) {
  ShowMessage2("score", 40000, 0, 0);
  RunFor(39990ms);
  EXPECT_TRUE(Main_Display->Timer_Program_Message2.Enabled());
  RunFor(20ms);
  EXPECT_FALSE(Main_Display->Timer_Program_Message2.Enabled());
  EXPECT_EQ(MessageText[1].Text, "score");
}

TEST_F(ScreenMessages, ChannelsDrawOnTheirLinesCentred) {
  RecordingScreen screen;
  ShowMessage("abcd", 1000, 1, 2);
  ShowMessage2("ab", 1000, 3, 4);
  DrawMessage(screen);
  DrawMessage2(screen);
  EXPECT_EQ(screen.calls, (std::vector<std::string>{"box 378,23 422,43 1", "abcd 380,23 2",
                                                    "box 388,46 412,66 3", "ab 390,46 4"}));
}

TEST_F(ScreenMessages, ALabelLastsOneFrameAndSitsAboveItsPoint) {
  RecordingScreen screen;
  ShowMessage3("RCS", 1, 2, 100.0f, 200.0f);
  DrawMessage3(screen);
  EXPECT_EQ(screen.calls, (std::vector<std::string>{"box 83,178 117,198 1", "RCS 85,178 2"}));
  EXPECT_EQ(MessageText[2].Text, "");

  screen.calls.clear();
  ShowMessage3("RCS", 1, 2, 0.0f, 200.0f);  // a point on the edge is centred under channel 1
  DrawMessage3(screen);
  ASSERT_FALSE(screen.calls.empty());
  EXPECT_EQ(screen.calls.back(), "RCS 385,46 2");
}

TEST_F(ScreenMessages, TextAHalfPixelOffGoesToTheEvenPixel) {
  RecordingScreen screen;
  ShowMessage3("RCS", 1, 2, 99.5f, 200.5f);  // the text's corner at (84.5, 178.5)
  DrawMessage3(screen);
  ASSERT_FALSE(screen.calls.empty());
  EXPECT_EQ(screen.calls.back(), "RCS 84,178 2");
}

TEST_F(ScreenMessages, BannersSpanTheirTextAtTheTop) {
  RecordingScreen screen;
  DrawStatusLine(screen);
  EXPECT_EQ(screen.calls, (std::vector<std::string>{"box 315,0 485,20 4294901760",
                                                    "Simulation Paused 315,0 4294967295"}));
}

}  // namespace
