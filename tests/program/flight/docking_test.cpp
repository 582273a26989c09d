// The docking step flown frame by frame as the Orbital loop flies it: the LM at the render origin,
// the command module moved against the LM's travel and the probe's push.
#include "program/flight/docking.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_display.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/scene/engine_objects.h"
#include "program/startup/startup_state.h"
#include "tests/program/flight/headless_lm.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/saved_variables.h"

namespace {

constexpr float ProbeHeight = 6.54f;  // world units above the LM pivot
constexpr float DrogueDepth = 12.2f;  // along the command module's axis
constexpr float Frame = 1.0f / 60.0f;

class Docking : public ::testing::Test {
 protected:
  void SetUp() override {
    DropMainDisplay();
    // The headless LM's engine objects and pivot, which live as long as the process.
    headless::BuildScene();
    CommandModuleMesh = Scene->CreateMesh("CM");
    // The command module's axis stands along the world's y axis, its drogue above its middle.
    CommandModuleMesh->SetRotation(static_cast<float>(Pi) / 2.0f, 0.0f, 0.0f);
    const auto drogue = CommandModuleMesh->TransformVector({0.0f, 0.0f, -DrogueDepth});
    if (drogue.y < 0.0f) CommandModuleMesh->SetRotation(-static_cast<float>(Pi) / 2.0f, 0.0f, 0.0f);
    for (const auto& [id, text] : {std::pair{45, "Undock"},
                                   {195, "Capture"},
                                   {196, "Not enough speed for capture."},
                                   {197, "No Capture - Angle too high."},
                                   {198, "Retracting Probe..."},
                                   {199, "Hard Dock!"},
                                   {200, "Ouch!"},
                                   {203, "You are aleady undocked."}})
      UiText[static_cast<size_t>(id)] = text;
    WorldScale = 1.45f;
    SoundOn = false;
    AscentStageFlying = false;
    Docked = ProbeCaptured = ProbeRetracting = DockContact = false;
    CaptureSpeed = CaptureDeceleration = 0.0;
    MessageText[0].Text.clear();
    CameraPivot->SetRotation(0, 0, 0);
  }
  void TearDown() override {
    CameraPivot->SetRotation(0, 0, 0);
    CommandModuleMesh->Destroy();
    CommandModuleMesh.reset();
    DropMainDisplay();
  }

  // The LM `gap` world units below the drogue, closing at `speed` world units a second.
  static void Approach(float gap, float speed) {
    CommandModuleMesh->SetPosition(0.0f, ProbeHeight + gap - DrogueDepth, 0.0f);
    LMVelocity = {0.0, speed * static_cast<double>(WorldScale), 0.0};
  }

  // Flies frames as the Orbital loop does and gathers the channel-1 messages in order.
  std::vector<std::string> Fly(int frames) {
    FrameTimeSec = Frame;
    for (int i = 0; i < frames && !Docked; ++i) {
      LMVelocityWorld = {static_cast<float>(LMVelocity.x / WorldScale),
                         static_cast<float>(LMVelocity.y / WorldScale),
                         static_cast<float>(LMVelocity.z / WorldScale)};
      UpdateDockingPoints();
      UpdateDockingContact();
      LMVelocityWorld = {static_cast<float>(LMVelocity.x / WorldScale),
                         static_cast<float>(LMVelocity.y / WorldScale),
                         static_cast<float>(LMVelocity.z / WorldScale)};
      Vector3 travel{LMVelocityWorld.x * Frame, LMVelocityWorld.y * Frame,
                     LMVelocityWorld.z * Frame};
      if (DockContact) {
        const Vector3 push = PivotTransformVector(DockPush);
        travel = {travel.x + push.x, travel.y + push.y, travel.z + push.z};
      }
      const auto at = CommandModuleMesh->GetPosition();
      CommandModuleMesh->SetPosition(at.x - travel.x, at.y - travel.y, at.z - travel.z);
      if (!MessageText[0].Text.empty() && (said_.empty() || said_.back() != MessageText[0].Text))
        said_.push_back(MessageText[0].Text);
    }
    return said_;
  }

 private:
  std::vector<std::string> said_;
  SavedVariables saved_ = SavedVariables(
      UiText, WorldScale, SoundOn, LMVelocity, LMVelocityWorld, FrameTimeSec, Docked,
      AscentStageFlying, MessageText, ProbeCaptured, ProbeRetracting, DockContact, DockPush,
      ProbeInsertion, DockPitchError, DockRollError, CaptureSpeed, CaptureDeceleration);
};

TEST_F(Docking, AnAlignedProbeIsCapturedRetractedAndLatched) {
  Approach(2.5f, 0.2f);
  const std::vector<std::string> said = Fly(60 * 120);
  EXPECT_EQ(said, (std::vector<std::string>{"Capture", "Retracting Probe...", "Hard Dock!"}));
  EXPECT_TRUE(Docked);
  EXPECT_TRUE(ProbeCaptured);
  EXPECT_EQ(LMVelocity.x, 0.0);
  EXPECT_EQ(LMVelocity.y, 0.0);
  EXPECT_EQ(LMVelocity.z, 0.0);
}

// Either way, 5 degrees off the command module's axis is too much for the capture latches.
TEST_F(Docking, AProbeFiveDegreesOffEitherWayIsRefused) {
  for (float degrees : {5.0f, -5.0f}) {
    SetUp();
    TurnPivot({degrees * static_cast<float>(RadiansPerDegree), 0.0f, 0.0f});
    Approach(2.5f, 0.2f);
    const std::vector<std::string> said = Fly(60 * 30);
    ASSERT_FALSE(said.empty()) << degrees;
    EXPECT_EQ(said.front(), "No Capture - Angle too high.") << degrees;
    EXPECT_FALSE(ProbeCaptured) << degrees;
    EXPECT_FALSE(Docked) << degrees;
  }
}

// Pushed in too slowly, the probe is turned away and never drawn in.
TEST_F(Docking, ASlowProbeIsNotCapturedAndNeverLatches) {
  Approach(2.5f, 0.04f);
  const std::vector<std::string> said = Fly(60 * 120);
  ASSERT_FALSE(said.empty());
  EXPECT_EQ(said.front(), "Not enough speed for capture.");
  for (const std::string& text : said) EXPECT_NE(text, "Hard Dock!");
  EXPECT_FALSE(ProbeCaptured);
  EXPECT_FALSE(Docked);
}

TEST_F(Docking, ADockedLMStaysDockedUntilUndocked) {
  Approach(0.05f, 0.0f);
  Docked = ProbeCaptured = ProbeRetracting = DockContact = true;
  CaptureSpeed = 0.2;
  CaptureDeceleration = 0.056;
  ProbeInsertion = 0.9f;
  Fly(600);
  EXPECT_TRUE(Docked);
  EXPECT_EQ(LMVelocity.y, 0.0);
  Undock();
  EXPECT_FALSE(Docked);
  EXPECT_FALSE(ProbeCaptured);
  EXPECT_FALSE(ProbeRetracting);
  EXPECT_FALSE(DockContact);
  EXPECT_EQ(CaptureSpeed, 0.0) << "the next capture takes its own closing speed";
  EXPECT_EQ(CaptureDeceleration, 0.0);
  EXPECT_EQ(ProbeInsertion, 0.0f);
  EXPECT_EQ(MessageText[0].Text, "Undock");
  EXPECT_NEAR(LMVelocity.y, -0.3, 1e-6) << "the LM backs off along its up axis";
  Undock();
  EXPECT_EQ(MessageText[0].Text, "You are aleady undocked.");
  EXPECT_NEAR(LMVelocity.y, -0.3, 1e-6);
}

// The rendezvous displays read what the docking step measures: 13,200 ft below the drogue, closing
// at 2 milliradians of the range a second and drifting forward at 5.
TEST_F(Docking, TheRendezvousNounsShowTheDockingStepsRangeRateAndAngles) {
  const SavedVariables dsky(DSKYVerb, DSKYNoun, DSKYRegister, VerbFlash, NounFlash, CurrentProgram,
                            DockRangeFeet, DockSpeed, DockClosingAngleRate, DockLateralAngleRate);
  const double rangeFeet = 13200.0;
  Approach(static_cast<float>(rangeFeet) / WorldScale, 0.0f);
  const double up = rangeFeet * std::tan(0.002), fore = rangeFeet * std::tan(0.005);
  LMVelocity = {0.0, up, fore};
  Fly(1);
  const auto show = [](const char* noun) {
    DSKYVerb = "06";
    DSKYNoun = noun;
    FormatVerbNounDisplay();
    return DSKYRegister;
  };
  // The closing speed is 71.08 ft/s: noun 49 shows it to a tenth, noun 78 whole.
  EXPECT_EQ(show("49"), (std::array<std::string, 3>{"p00250", "p07108", "bbbbb4"}));
  EXPECT_EQ(show("78"), (std::array<std::string, 3>{"p00250", "p00711", "b0bb00"}));
  VerbFlash = true;
  EXPECT_EQ(show("72"), (std::array<std::string, 3>{"p00500", "p00200", "bbbbbb"}))
      << "the forward drift first, then the closing";
}

}  // namespace
