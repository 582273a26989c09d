// The files of the scene's fixture program folder: every texture a surface mission loads with what
// it should become, and the cabin's part and lever models.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "program/scene/cockpit_models.h"
#include "program/scene/textures_materials.h"

inline constexpr int32_t File = 0;  // the picture's own size

struct ExpectedTexture {
  std::string name;
  std::string file;  // under the program folder
  int32_t width = File;
  int32_t height = File;
  uint32_t key = NoColourKey;
};

// The textures a surface mission finds, at TextureQuality 0.5 on a 640 x 480 display mode; of
// two loads under one name the later.
inline std::vector<ExpectedTexture> SurfaceMissionTextures() {
  std::vector<ExpectedTexture> rows = {
      {"SpotTexture", "Textures/GroundSpot.png", 256, 256, BlackKey},
      {"ParticleTexture", "Textures/particle.dds", File, File, BlackKey},
      {"ContactLightOn", "Textures/ContactLightOn.png", File, File, BlackKey},
      {"ContactLightOff", "Textures/ContactLightOff.png", File, File, BlackKey},
      {"LegWrap", "Textures/LegWrap.jpg", File, File, BlackKey},
      {"horzneedle", "Textures/needlhorz.dds", File, File, BlackKey},
      {"vertneedle", "Textures/needlvert.dds", File, File, BlackKey},
      {"bwhorzneedle", "Textures/needlebwhorz.dds", File, File, BlackKey},
      {"bwvertneedle", "Textures/needlebwvert.dds", File, File, BlackKey},
      {"UpArrow", "Textures/UpArrow.png"},
      {"DownArrow", "Textures/downarrow.png"},
      {"SwitchDown", "Textures/SwitchDown.png", File, File, BlackKey},
      {"SwitchUp", "Textures/SwitchUp.png", File, File, BlackKey},
      {"SwitchMiddle", "Textures/SwitchMiddle.png", File, File, BlackKey},
      {"LeftArrow", "Textures/LeftArrow.png", File, File, BlackKey},
      {"RightArrow", "Textures/RightArrow.png", File, File, BlackKey},
      {"Altitude", "Textures/Instruments/Altitude.png"},
      {"AltitudeRate", "Textures/Instruments/AltitudeRate.png"},
      {"AltitudeTape", "Textures/Instruments/AltitudeTapes.png"},
      {"Bezel1", "Textures/Bezel1.dds", File, File, BlackKey},
      {"Panel", "Textures/MainScreen.png", 640, 480, CodeKey},
      {"ArrowPointer", "Textures/ArrowPointer.png", File, File, WhiteKey},
      {"nomouse", "Textures/nomouse.png", 4, 4, BlackKey},
      {"halfside", "Textures/halfside.png"},
      {"blackside", "Textures/blackside.png"},
      {"sunside", "Textures/sunside.png"},
      {"moonside", "Textures/moonside.png"},
      {"ContOn", "Textures/Instruments/ContOn.png"},
      {"ContOff", "Textures/Instruments/ContOff.png"},
      {"DSKYDisp", "Textures/Instruments/DSKYDisp.png", File, File, RedKey},
      {"DSKYLights", "Textures/Instruments/DSKYLights.png", File, File, RedKey},
      {"CompAct", "Textures/Instruments/CompAct.png", File, File, RedKey},
      {"BLANKoff", "Textures/Instruments/BLANKoff.png"},
      {"BLANK", "Textures/Instruments/BLANK.png"},
      {"DesQty", "Models/desqty.jpg"},
      {"DesQtyoff", "Models/desqtyoff.jpg"},
      {"Invisible", "Textures/black.png", File, File, BlackKey},
      {"blacksolid", "Textures/blacksolid.jpg"},
      {"black", "Textures/black.png"},
      {"cgray", "Textures/cgray.png"},
      {"white", "Textures/white.png"},
      {"yellow", "Textures/yellow.png"},
      {"Star", "Textures/Star.png", File, File, CodeKey},
      {"Dm", "Textures/Dm.png", File, File, BlackKey},
      {"Dp", "Textures/Dp.png", File, File, BlackKey},
      {"Db", "Textures/Db.png", File, File, BlackKey},
      {"Da", "Textures/Dpb.png", File, File, BlackKey},
      {"XPointer", "Textures/Instruments/XPointer.png", File, File, BlackKey},
      {"FDAI1", "Textures/Instruments/FDAI1.png", File, File, CodeKey},
      {"FDAI2", "Textures/Instruments/FDAI2.png", File, File, CodeKey},
      {"LPD", "Textures/LPD.png", File, File, BlackKey},
      {"DockingWindowDesignator", "Textures/DockingWindowDesignator.png", File, File, BlackKey},
      {"lpdcockpit", "Textures/lpdcockpitview.png", File, File, CodeKey},
      {"Tex0", "Missions/Apollo 12/Textures/fine.png", 1024, 1024},
      {"Tex1", "Missions/Apollo 12/Textures/middle.png", 1024, 1024},
      {"Tex2", "Missions/Apollo 12/Textures/coarse.png", 1024, 1024},
      {"COASGlass", "Textures/COASGlass.png", File, File, CodeKey},
      {"texallmoon", "Textures/allmoon.jpg", 512, 256},
      {"rocktexture", "Textures/rocktexture.jpg"},
      {"lunartexture", "Textures/lunartexture.png"},
      {"Sun", "Textures/sun.png", File, File, BlackKey},
      {"Flare0", "Textures/flare0.png", File, File, BlackKey},
      {"Flare4", "Textures/flare4.png", File, File, BlackKey},
      {"Dustall", "Textures/Dustall.dds", File, File, CodeKey},
      {"", "Textures/instrumentbracket.png", File, File, CodeKey}};
  for (int n = 1; n <= 14; ++n)
    rows.push_back({"blast" + std::to_string(n), "Textures/blasta" + std::to_string(n) + ".png", 32,
                    32, BlackKey});
  for (int n = 0; n <= 9; ++n)
    rows.push_back(
        {"D" + std::to_string(n), "Textures/D" + std::to_string(n) + ".png", File, File, BlackKey});
  for (int n = 1; n <= 5; ++n)
    rows.push_back({"RCSPlume" + std::to_string(n),
                    "Textures/RCSPlume" + std::to_string(n) + ".dds", File, File, BlackKey});
  const std::array<std::string, 12> lamps = {"VEL",     "ALT",        "PROG",  "TRACKER",
                                             "RESTART", "GIMBALLOCK", "TEMPA", "OPRERR",
                                             "KEYREL",  "STBY",       "NOATT", "UPLINKACTY"};
  for (size_t n = 0; n < lamps.size(); ++n) {
    rows.push_back(
        {"DSKY" + lamps[n], "Textures/Instruments/" + lamps[n] + ".png", File, File, RedKey});
    rows.push_back({"DSKY" + lamps[n] + "off", "Textures/Instruments/" + lamps[n] + "off.png", File,
                    File, n < 3 ? RedKey : NoColourKey});
  }
  return rows;
}

// The cabin's parts, by model name.
inline const std::vector<std::string> CabinModels = {"FDAICdr",
                                                     "XPointerCdr",
                                                     "FDAILmp",
                                                     "XPointerLmp",
                                                     "AltitudeRate",
                                                     "AltitudeTape",
                                                     "coasreticlemask",
                                                     "COASdisplay",
                                                     "DockingWindowOutside",
                                                     "DockingWindowInside",
                                                     "COASoverhead",
                                                     "COASreticle",
                                                     "COASstow",
                                                     "COASReticleGlassStow",
                                                     "EngineLeft",
                                                     "EngineRight",
                                                     "bezels",
                                                     "Helium_Pressure",
                                                     "Fuel_Quantity",
                                                     "Oxy_Quantity",
                                                     "Event_Timer",
                                                     "Mission_Timer_MinSec",
                                                     "Mission_Timer_Hours",
                                                     "Des_Qty",
                                                     "ContactLight",
                                                     "TW",
                                                     "Key0",
                                                     "Key1",
                                                     "Key2",
                                                     "Key3",
                                                     "Key4",
                                                     "Key5",
                                                     "Key6",
                                                     "Key7",
                                                     "Key8",
                                                     "Key9",
                                                     "KeyPlus",
                                                     "KeyMinus",
                                                     "KeyEntr",
                                                     "KeyKeyRel",
                                                     "KeyClr",
                                                     "KeyRset",
                                                     "KeyPro",
                                                     "KeyNoun",
                                                     "KeyVerb",
                                                     "DSKYDisp",
                                                     "DSKYLights",
                                                     "LPDOutside",
                                                     "LPDInside"};

inline const std::vector<std::string> Levers(SwitchLeverNames.begin(), SwitchLeverNames.end());
