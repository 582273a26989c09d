// Program-wide state of the scene, models and views that the other subsystems read and write.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d/types.h"
#include "program/flight/vector3.h"

// One camera view.
struct ViewRecord {
  bool Active = false;
  int16_t HudMode = 0;     // head-up panel mode 0 to 3
  float ViewAngle = 0.0f;  // degrees
};

// The stored views in record order (record k at index k - 1).
enum ViewIndex : int {
  VirtualView1,
  VirtualView2,
  VirtualView3,
  EVAView,
  CockpitView1,
  CockpitView2,
  CockpitView3,
  ExteriorView,
  SpotView1,
  SpotView2,
  ViewCount
};

inline std::array<ViewRecord, ViewCount> ViewRecords;
inline ViewRecord CurrentView;
inline ViewRecord PreviousView;
inline ViewIndex CurrentViewIndex = VirtualView1;  // the record CurrentView copies

// What kind of view is in use; at most one is set.
inline bool InteriorViewFlag = false;  // a virtual-cockpit view
inline bool SpotViewFlag = false;      // spot view 1 or 2
inline bool CockpitPanelFlag = false;  // cockpit views 1 to 3
inline bool ExteriorViewFlag = false;
inline bool EVAViewFlag = false;
inline bool SpotChase = false;      // spot view 2 chases the LM
inline bool HatchOpenFlag = false;  // the hatch is shown open

// The camera's glide between two eye points: steps 1 to TransitionSteps at index step - 1;
// TransitionIndex is the next step to play, 0 when none.
inline int32_t TransitionSteps = 0;
inline int32_t TransitionIndex = 0;
inline std::vector<Vector3> TransitionEye;
inline std::vector<Vector3> TransitionRotation;
inline std::vector<float> TransitionAngle;  // degrees

// The camera orbiting the LM in the spot views.
inline float CameraOrbitYaw = 0.0f;       // degrees
inline float CameraOrbitPitch = 0.0f;     // degrees
inline float CameraOrbitDistance = 0.0f;  // world units
inline float MouseSensitivity = 1.0f;
inline Vector3 SpotCameraPosition;  // world units
inline Vector3 CameraGroundPoint;   // render coordinates; x and z are tested against the tiles
inline int32_t CameraLandTile = 0;  // 0 to 2

// The EVA walker: eye (world units), rotation (x pitch, y heading, radians), the path out of the
// hatch and where it starts.
inline Vector3 EVAEye;
inline Vector3 EVARotation;
inline Vector3 EVAStartPoint;
inline bool EVAStarted = false;     // the EVA view started in this flight: its path is built
inline bool WalkPathMode = false;   // walking along the hatch path
inline float WalkPathValue = 0.0f;  // 0 the cockpit end, 3.5 the hatch end
inline Vector3 WalkLookAt;          // one unit ahead of the eye
// The walking commands of the keys and the joystick: -1, 0 or 1 each.
inline float WalkForward = 0.0f;
inline float WalkSide = 0.0f;

inline constexpr int VirtualCockpitViewCount = 3;
// Eye positions and rotations of the three virtual cockpit views, and the current ones.
inline std::array<Vector3, VirtualCockpitViewCount> VirtualCockpitEye;
inline std::array<Vector3, VirtualCockpitViewCount> VirtualCockpitRotation;
inline Vector3 CurrentCockpitEye;
inline Vector3 CurrentCockpitRotation;

// The shadow options; the first makes meshes cast shadows.
inline std::array<bool, 3> ShadowFlags{};

// Texture filters of the view surfaces and of the 2D drawing (engine filter numbers 0 to 6).
inline int32_t TextureFilter3D = 0;
inline int32_t TextureFilter2D = 0;

// The landing guidance's own state: the heading the steering aims the horizontal velocity at
// (radians), the landing point redesignated by the pilot (the descent rate then stays his), the
// countdown to the next braking-law step (seconds) and what that step worked out.
struct LandingGuidanceRecord {
  float StoredValue = 0.0f;
  float RequiredDeceleration = 0.0f;  // ft/s^2
  float BrakingRate = 0.0f;           // ft/s
  float Ratio = 0.0f;                 // s
};
inline float DesiredHeading = 0.0f;
inline bool LPDRedesignated = false;
inline double BrakingLawTimer = 0.0;
inline LandingGuidanceRecord LandingGuidance;

// The horizontal velocity along and across the LM's heading, ft/s.
inline float HorizontalVelocityForward = 0.0f;
inline float HorizontalVelocityLateral = 0.0f;

// --- Textures and materials -------------------------------------------------------------------

inline constexpr int BlastFrameCount = 14;
inline constexpr int DSKYGlyphCount = 14;  // "D0" .. "D9", "Dm", "Dp", "Db", "Da"
inline constexpr int RCSPlumeTextureCount = 5;
inline constexpr int DSKYLampCount = 12;

// The ids of the textures the scene keeps, 0 until they are loaded.
struct TextureIdSet {
  int32_t SpotTexture = 0;
  int32_t InstrumentBracket = 0;
  int32_t ParticleTexture = 0;
  std::array<int32_t, BlastFrameCount> Blast{};
  int32_t ContactLightOn = 0;
  int32_t ContactLightOff = 0;
  int32_t LegWrap = 0;
  int32_t HorzNeedle = 0;
  int32_t VertNeedle = 0;
  int32_t BWHorzNeedle = 0;
  int32_t BWVertNeedle = 0;
  int32_t UpArrow = 0;
  int32_t DownArrow = 0;
  int32_t SwitchDown = 0;
  int32_t SwitchUp = 0;
  int32_t SwitchMiddle = 0;
  int32_t LeftArrow = 0;
  int32_t RightArrow = 0;
  int32_t Altitude = 0;
  int32_t AltitudeRate = 0;
  int32_t AltitudeTape = 0;
  int32_t Bezel1 = 0;
  int32_t Panel = 0;
  int32_t ContOn = 0;
  int32_t ContOff = 0;
  int32_t DSKYDisp = 0;
  int32_t DSKYLights = 0;
  int32_t CompAct = 0;
  std::array<int32_t, DSKYLampCount> DSKYLampOn{};   // in the order of DSKYLampNames
  std::array<int32_t, DSKYLampCount> DSKYLampOff{};  // the same lamps unlit
  int32_t BLANKoff = 0;
  int32_t BLANK = 0;
  int32_t DesQty = 0;
  int32_t DesQtyoff = 0;
  int32_t BlackSolid = 0;
  std::array<int32_t, DSKYGlyphCount> DSKYGlyphs{};
  std::array<int32_t, RCSPlumeTextureCount> RCSPlume{};
  int32_t XPointer = 0;
  int32_t FDAI1 = 0;
  int32_t FDAI2 = 0;
  int32_t LPDCockpit = 0;
  int32_t Dustall = 0;
};
inline TextureIdSet TextureIds;

inline constexpr int RockMaterialCount = 5;

// The ids of the materials the scene keeps, 0 until they are created.
struct MaterialIdSet {
  int32_t Illuminate = 0;
  int32_t MatMoon = 0;
  int32_t MatGoldFoil = 0;
  int32_t MatRedFoil = 0;
  int32_t MatSilverFoil = 0;
  int32_t MatlegFoil = 0;
  int32_t MatInvisible = 0;
  int32_t CraterMat = 0;
  int32_t MatShip = 0;
  int32_t ScoreMat1 = 0;
  int32_t ScoreMat2 = 0;
  std::array<int32_t, RockMaterialCount> MatRock{};
};
inline MaterialIdSet MaterialIds;

// --- Engine resources -------------------------------------------------------------------------

// The four scene lights, in the order of LightRecords and LightIds.
enum LightIndex : int { SunLight, FillLight, NearPointLight, InstrumentPointLight, LightCount };
// The lights' records; other subsystems change fields and hand a record to the engine again.
inline std::array<d3d::D3DLIGHT8, LightCount> LightRecords{};
inline std::array<int16_t, LightCount> LightIds{};

// The fonts, in the order of FontIds; the names ending in "N" are plain fonts, the others texture
// fonts.
enum FontIndex : int {
  SmallFont,
  ScoreFont,
  MessageFont,
  ArialFont16,
  LargeFont,
  TimesFont14,
  FileFont12,
  FileFont14,
  SmallFontN,
  ScoreFontN,
  MessageFontN,
  LargeFontN,
  FileFont12N,
  FileFont14N,
  FontCount
};
inline std::array<int32_t, FontCount> FontIds{};

inline bool ViewSurfaceActive = false;  // ViewSurface exists
inline float FDAIScale = 0.0f;          // FDAISurface's width / 512

// --- Cabin switches ---------------------------------------------------------------------------

inline int32_t XPointerHighScale = 0;  // the cross-pointer's scale switch: 0 low, 1 high

// --- Landscape, sky and stars -----------------------------------------------------------------

inline bool LandTilesCreated = false;  // the three LandTiles exist
inline float FieldOfView = 0.0f;       // degrees, the view camera's

// A star of the catalogue brighter than the cut, as the star field shows it.
struct KeptStar {
  Vector3 Position;  // world units on the sky sphere, in world axes once set up
  bool Shown = false;
  float Brightness = 0;  // grey level 0 to 1
  std::string InfoText;  // the name its 3D marker answers the mouse with
};
inline std::vector<KeptStar> KeptStars;  // from index 0, in catalogue order
inline int32_t BrightStarCount = 0;
// Errors of the star field and Earth builder in this run; only the first is shown in a box.
inline int32_t StarErrorCount = 0;
// The Earth's elevation and azimuth (radians), its distance (world units) and place.
inline std::array<float, 2> EarthAngles{};
inline float EarthDistance = 0.0f;
inline Vector3 EarthPosition;

// --- Per-frame placement ----------------------------------------------------------------------

// Radians, the LM's heading about the vertical, which the surface frame loop measures from the
// pivot each frame.
inline double LMHeading = 0.0;
inline int32_t ActiveLandTile = 0;  // 0 to 2, the tile under the ground probe point

// One place of the rock field. There are RockPlacesPerModel places for every model of the pool,
// which is handed out each frame to the places in view.
struct RockRecord {
  Vector3 Relative;  // world units from the LM, this frame
  Vector3 World;     // world units
  float Size = 0.0f;
  float Turn = 0.0f;      // radians about the vertical
  float Distance = 0.0f;  // world units from the landing site
};
inline constexpr int32_t RockPlacesPerModel = 5;
inline std::vector<RockRecord> RockRecords;
inline bool RocksPlaced = false;  // the records stand on the ground of this flight
// The records' places are world places, laid around the LM where it first came low in this flight:
// the field stays there when the LM climbs away and comes back.
inline bool RocksLaid = false;

// The LM's ground shadow: its fade (0 to 1) and the scroll of its texture.
inline float ShadowFade = 0.0f;
inline float ShadowTextureOffset = 0.0f;

// --- View surfaces ----------------------------------------------------------------------------

// The near tiles go into the view surface too; off, as the main pass draws them.
inline bool RenderNearTiles = false;
inline bool ShowGroundMarkers = false;  // the landing-spot markers (a menu option)
inline Vector3 CameraLookAt;            // the orbiting camera's look-at point, world units
inline Vector3 ViewCameraPosition;      // the first view camera's place, read back each frame
