#include "program/missions/instrument_layout.h"

#include "program/flight/flight_state.h"
#include "program/missions/ini.h"
#include "program/missions/missions_state.h"

namespace {

struct LayoutSection {
  const char* Name;
  PanelIndex Item;
  const char* DefaultSwitchPosition;  // nullptr for items that are no switch
};

// In reading order.
constexpr LayoutSection LayoutSections[] = {
    {"FDAI", PanelFDAI, nullptr},
    {"XPointer", PanelXPointer, nullptr},
    {"Altitude Tape", PanelAltitudeTape, nullptr},
    {"Altitude Rate Tape", PanelAltitudeRateTape, nullptr},
    {"Thrust2Weight Arrow", PanelThrust2WeightArrow, nullptr},
    {"ThrottleArrowCMD", PanelThrottleArrowCMD, nullptr},
    {"ThrottleArrowACT", PanelThrottleArrowACT, nullptr},
    {"Contact Light Screen", PanelContactLight, nullptr},
    {"Switch XPointer Scale", PanelXPointerSwitch, "1"},
    {"Switch AutoThrottle", PanelAutoThrottleSwitch, "1"},
    {"Switch PGNS", PanelPGNSSwitch, "2"},
    {"Switch Deadband", PanelDeadbandSwitch, "0"},
    {"Switch Rate Scale", PanelRateScaleSwitch, "1"},
    {"FuelLEDScreen", PanelFuelLED, nullptr},
    {"DSKY Panel", PanelDSKY, nullptr},
    {"DSKY Lights Panel", PanelDSKYLights, nullptr},
};

const char* const DefaultEdge = "20";

}  // namespace

void LoadInstrumentLayout() {
  const ProfileFile file(ProgramFolder() + "\\Instruments.ini");
  for (const LayoutSection& section : LayoutSections) {
    PanelItem& item = InstrumentLayout[section.Item];
    const auto number = [&](const char* key, const char* defaultText) {
      return file.Number(section.Name, key, defaultText);
    };
    item.Left = number("Left", DefaultEdge);
    item.Top = number("Top", DefaultEdge);
    item.Right = number("Right", DefaultEdge);
    item.Bottom = number("Bottom", DefaultEdge);
    item.Enabled = number("Enabled", "-1") != 0.0f;
    if (section.DefaultSwitchPosition != nullptr) {
      item.SwitchPosition =
          file.RoundedNumber(section.Name, "Switch Position", section.DefaultSwitchPosition);
    }
    if (section.Item == PanelAutoThrottleSwitch) {
      AutoThrottleOn = AutoThrottleSwitch.SwitchPosition != 0;
    }
  }
}
