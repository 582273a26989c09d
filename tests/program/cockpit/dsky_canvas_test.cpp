// The DSKY drawn on the engine: both surfaces get their glyphs and lamps by texture name, and each
// surface's texture goes on the cockpit mesh of its name.
#include "program/cockpit/dsky_canvas.h"

#include <string>
#include <vector>

#include "tests/program/cockpit/instrument_fixture.h"

namespace {

class DSKYCanvasTest : public InstrumentTest {
  SavedVariables dsky_ =
      SavedVariables(DSKYVerb, DSKYNoun, DSKYProgram, DSKYRegister, VerbFlash, NounFlash,
                     FlashPhase, CompActyPercent, CompActyOnce, LampProg);
};

TEST_F(DSKYCanvasTest, TheFaceAndTheLampsGoOnTheirMeshes) {
  DSKYVerb = "16";
  DSKYNoun = "68";
  DSKYProgram = "64";
  DSKYRegister = {"p01234", "m00050", "bbbbbb"};
  VerbFlash = NounFlash = false;
  CompActyPercent = 0;
  CompActyOnce = false;
  LampProg = false;
  VelocityWarning = true;
  DrawDSKY();
  const auto face = ShapesOn(DSKYSurface);
  ASSERT_EQ(face.size(), 1u + 2 + 2 + 2 + 18);
  EXPECT_EQ(face[0].texture, TextureIds.DSKYDisp);
  EXPECT_EQ(face[1].texture, TextureIds.DSKYGlyphs[1]);    // the verb's first digit
  EXPECT_EQ(face[7].texture, TextureIds.DSKYGlyphs[11]);   // R1's "p"
  EXPECT_EQ(face[13].texture, TextureIds.DSKYGlyphs[10]);  // R2's "m"
  const auto lamps = ShapesOn(DSKYLightsSurface);
  ASSERT_EQ(lamps.size(), 1u + 14);
  EXPECT_EQ(lamps[0].texture, TextureIds.DSKYLights);
  EXPECT_EQ(lamps[14].texture, TextureIds.DSKYLampOn[0]);  // VEL, lit by the attitude warning
  EXPECT_EQ(lamps[6].texture, TextureIds.DSKYLampOff[2]);  // PROG
  EXPECT_EQ(TextureOn("DSKYDisp"), DSKYSurface->GetTexture());
  EXPECT_EQ(TextureOn("DSKYLights"), DSKYLightsSurface->GetTexture());
}

}  // namespace
