#include "program/missions/instrument_layout.h"

#include <gtest/gtest.h>

#include "program/missions/missions_state.h"
#include "tests/program/missions/program_folder.h"

namespace {

using InstrumentLayoutFile = ProgramFolderTest;

TEST_F(InstrumentLayoutFile, WithoutAFileEveryItemIsAnEnabledPoint) {
  AutoThrottleOn = false;
  LoadInstrumentLayout();
  for (int i = 0; i < PanelItemCount; ++i) {
    if (i == PanelAGSSwitch || i >= PanelYawRCSSwitch) continue;  // not in the file
    const PanelItem& item = InstrumentLayout[i];
    EXPECT_EQ(item.Left, 20.0f);
    EXPECT_EQ(item.Top, 20.0f);
    EXPECT_EQ(item.Right, 20.0f);
    EXPECT_EQ(item.Bottom, 20.0f);
    EXPECT_TRUE(item.Enabled) << i;
  }
  EXPECT_EQ(AutoThrottleSwitch.SwitchPosition, 1);
  EXPECT_EQ(XPointerSwitch.SwitchPosition, 1);
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 2);
  EXPECT_EQ(DeadbandSwitch.SwitchPosition, 0);
  EXPECT_EQ(RateScaleSwitch.SwitchPosition, 1);
  EXPECT_TRUE(AutoThrottleOn);
}

TEST_F(InstrumentLayoutFile, ReadsEachKeyIntoItsField) {
  folder_.WriteFile("instruments.INI",
                    "[fdai]\nLeft=12,5\nTop=\nRight=300.25\nBottom=abc\nEnabled=2\n"
                    "[XPointer]\nEnabled=0\n"
                    "[Switch AutoThrottle]\nSwitch Position=0\n"
                    "[Switch PGNS]\nSwitch Position=2.5\n"
                    "[Switch Rate Scale]\nSwitch Position=3.5\n"
                    "[Switch Deadband]\nSwitch Position=1e20\n");
  DeadbandSwitch.SwitchPosition = 1;
  LoadInstrumentLayout();
  const PanelItem& fdai = InstrumentLayout[PanelFDAI];
  EXPECT_EQ(fdai.Left, 12.5f);
  EXPECT_EQ(fdai.Top, 0.0f);  // present but empty: 0, not the default
  EXPECT_EQ(fdai.Right, 300.25f);
  EXPECT_EQ(fdai.Bottom, 0.0f);
  EXPECT_TRUE(fdai.Enabled);
  EXPECT_FALSE(InstrumentLayout[PanelXPointer].Enabled);
  EXPECT_EQ(AutoThrottleSwitch.SwitchPosition, 0);
  EXPECT_FALSE(AutoThrottleOn);
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 2);
  EXPECT_EQ(RateScaleSwitch.SwitchPosition, 4);
  EXPECT_EQ(DeadbandSwitch.SwitchPosition, 0);  // beyond any integer: the default
}

TEST_F(InstrumentLayoutFile, ShippedLayoutPlacesEveryItemOnTheScreen) {
  UseShippedData();
  LoadInstrumentLayout();
  for (int i = 0; i < PanelItemCount; ++i) {
    if (i == PanelAGSSwitch || i >= PanelYawRCSSwitch) continue;
    const PanelItem& item = InstrumentLayout[i];
    EXPECT_LT(item.Left, item.Right) << i;
    EXPECT_LT(item.Top, item.Bottom) << i;
    EXPECT_GE(item.Left, 0.0f) << i;
    EXPECT_LE(item.Right, 1600.0f) << i;
    EXPECT_LE(item.Bottom, 1200.0f) << i;
  }
  EXPECT_FALSE(InstrumentLayout[PanelThrust2WeightArrow].Enabled);
  EXPECT_EQ(InstrumentLayout[PanelDSKY].Left, 1290.0f);
}

}  // namespace
