// make_models FOLDER: writes the program folder's models (the "Models" folder) as X files.
//
// The models are plain solids, built in world units about the point the program places each by
// (the LM's pivot for its parts, the cabin and the plumes), and scaled in the file by the inverse
// of the scale the program draws them at. What the program relies on sits where it looks for it:
// the footpads' contact points at (±11.5, -7.9, 0) and (0, -7.9, ±11.5), the hatch and ladder on
// the walker's path from (-2.5, 2.5, 0) to (-12, -4.7, 0), the docking probe's tip at (0, 6.54, 0),
// the RCS plumes at the jets the jet selection fires, the command module's drogue at
// (0, 0, -12.2), and the cabin's eyes inside the cabin. The instrument faces, the DSKY keys and
// the switch levers carry texture co-ordinates 0..1 across their fronts.
#include <array>
#include <cmath>
#include <exception>
#include <filesystem>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include "tools/common/canvas.h"
#include "tools/common/elapsed.h"
#include "tools/common/model_builder.h"

namespace {

namespace fs = std::filesystem;

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float Degrees = Pi / 180.0f;

// The file scales: the inverse of the scale the program draws each kind of model at.
constexpr Point3 LMFile{-40, 40, -40};  // LM parts, cabin, hatch, plumes: (-0.025, 0.025, -0.025)
constexpr Point3 CommandModuleFile{-1 / 0.0068f, 1 / 0.0068f, -1 / 0.0068f};
// The joystick test's small LM: a fifth of the LM, drawn at (-0.01, 0.01, -0.01), which the test's
// camera ten units off sees whole.
constexpr Point3 MiniLMFile{-20, 20, -20};
constexpr Point3 MirroredFile{-1, 1, -1};  // the ball, the marker, rocks, the flag
constexpr Point3 PlainFile{1, 1, 1};       // the star marker
constexpr Point3 AllMoonFile{-1 / 234.0f, 1 / 234.0f, -1 / 234.0f};
constexpr Point3 OrbitalMoonFile{-1 / 102.0f, 1 / 102.0f, -1 / 102.0f};
constexpr Point3 SurveyorFile{-1 / 0.067f, 1 / 0.067f, -1 / 0.067f};
constexpr Point3 GateFile{2, 2, 2};  // the race gates: (0.5, 0.5, 0.5)

ModelMaterial Colour(float r, float g, float b, const std::string& texture = "") {
  ModelMaterial m;
  m.diffuse = {r, g, b, 1};
  m.texture = texture;
  return m;
}
const ModelMaterial Grey = Colour(0.7f, 0.7f, 0.7f);
const ModelMaterial Gold = Colour(0.85f, 0.7f, 0.25f);
const ModelMaterial Dark = Colour(0.2f, 0.2f, 0.2f);

class Models {
 public:
  explicit Models(fs::path folder) : folder_(std::move(folder)) {}
  void Write(const ModelBuilder& model, const std::string& file) {
    model.Write(folder_ / file, fs::path(file).stem().string());
    ++count_;
  }
  int Count() const { return count_; }

 private:
  fs::path folder_;
  int count_ = 0;
};

// ---- The LM (world units about the pivot; forward, where the hatch is, is -x) ----------------

constexpr float PadHeight = -7.9f;  // the footpads' contact points
constexpr float PadReach = 11.5f;   // their distance from the pivot's vertical
constexpr float DescentTop = -0.4f;
constexpr float DescentBottom = -4.4f;
constexpr float DescentRadius = 4.9f;  // to the octagon's corners
constexpr float BellExit = DescentBottom - 1.4f;
constexpr float CabinFloor = 0.3f;
constexpr float CabinFront = -4.5f;
constexpr float ProbeTip = 6.54f;  // the docking probe's tip above the pivot
constexpr float HatchHalfWidth = 0.9f;
constexpr float HatchTop = 2.9f;
constexpr float PorchHeight = 0.2f;

// The legs in the order of the footpads: +z, +x, -z, -x (the ladder's).
Point3 LegDirection(int leg) {
  constexpr std::array<Point3, 4> d = {{{0, 0, 1}, {1, 0, 0}, {0, 0, -1}, {-1, 0, 0}}};
  return d[static_cast<size_t>(leg)];
}
Point3 Sideways(Point3 d) { return {d.z, 0, -d.x}; }
Point3 Up(float y) { return {0, y, 0}; }

// The RCS quads at the ascent stage's diagonals, quad 1 forward right to quad 4 forward left.
constexpr float QuadReach = 3.1f;
constexpr float QuadHeight = 4.4f;
Point3 QuadCentre(int quad) {
  constexpr std::array<std::array<float, 2>, 4> xz = {{{-1, 1}, {1, 1}, {1, -1}, {-1, -1}}};
  return {xz[static_cast<size_t>(quad)][0] * QuadReach, QuadHeight,
          xz[static_cast<size_t>(quad)][1] * QuadReach};
}
// The way jet 1..16 blows its plume: in each quad an up-firing and a down-firing jet, then one
// along x and one along z, outward from the quad.
Point3 JetDirection(int jet) {
  const int quad = (jet - 1) / 4;
  const Point3 c = QuadCentre(quad);
  switch ((jet - 1) % 4) {
    case 0:
      return {0, 1, 0};
    case 1:
      return {0, -1, 0};
    case 2:
      return {c.x > 0 ? 1.0f : -1.0f, 0, 0};
    default:
      return {0, 0, c.z > 0 ? 1.0f : -1.0f};
  }
}

void DescentOctagon(ModelBuilder& m, int sides) {
  m.Prism({}, DescentRadius, DescentBottom, DescentTop, sides, Pi / 8);
}

void DescentBody(ModelBuilder& m, bool detailed) {
  DescentOctagon(m, 8);
  m.Cone({0, BellExit, 0}, {0, DescentBottom + 0.6f, 0}, 1.3f, detailed ? 16 : 8);
}

// The faces of the octagon: the four quadrant bays (even) or the corners between them.
void DescentFaces(ModelBuilder& m, bool bays, float standOff) {
  for (int k = 0; k < 8; ++k) {
    if ((k % 2 == 0) != bays) continue;
    const float a = Pi / 8 + static_cast<float>(k) * Pi / 4 + Pi / 8;
    const Point3 n{std::cos(a), 0, std::sin(a)};
    const float apothem = DescentRadius * std::cos(Pi / 8) + standOff;
    const float half = DescentRadius * std::sin(Pi / 8) * 0.92f;
    m.Panel(n * apothem + Up((DescentTop + DescentBottom) / 2), n, {0, 1, 0}, half,
            (DescentTop - DescentBottom) / 2 * 0.9f);
  }
}

// One leg: six material groups, of which the program colours 1, 2, 3 and 5.
void Leg(ModelBuilder& m, int leg, bool groups, bool wrapped) {
  const Point3 d = LegDirection(leg);
  const Point3 s = Sideways(d);
  const Point3 pad = d * PadReach + Up(PadHeight);
  const Point3 knee = d * (PadReach - 0.2f) + Up(PadHeight + 0.9f);
  const Point3 top = d * 4.3f + Up(-0.9f);
  const Point3 mid = d * 8.2f + Up(-4.6f);
  const auto group = [&](ModelMaterial material) {
    if (groups || m.GroupCount() == 0) m.Group(material);
  };
  ModelMaterial strut = Gold;
  if (wrapped) strut.texture = "../Textures/LegWrap.jpg";
  group(strut);  // 0: primary strut
  m.Cylinder(top, knee, 0.32f, groups ? 10 : 6);
  group(Grey);  // 1: secondary struts
  m.Beam(d * 4.6f + s * 1.6f + Up(-3.8f), mid, 0.12f);
  m.Beam(d * 4.6f - s * 1.6f + Up(-3.8f), mid, 0.12f);
  group(Grey);  // 2: footpad
  m.Cylinder(pad, pad + Up(0.45f), 1.1f, groups ? 16 : 8);
  group(Gold);  // 3: deployment truss
  m.Beam(d * 4.5f + Up(-2.6f), mid, 0.1f);
  group(Dark);  // 4: contact probe (none on the ladder's leg)
  if (leg != 3)
    m.Beam(pad + d * 0.3f + Up(0.1f), pad + d * 0.3f + Up(-3.0f), 0.05f);
  else
    m.Box(pad + Up(0.5f), {0.2f, 0.05f, 0.2f});
  group(Grey);  // 5: upper fitting and the footpad's socket
  m.Box(top, {0.45f, 0.45f, 0.45f});
  m.Cylinder(knee - Up(0.5f), knee + Up(0.1f), 0.45f, 8);
}

void LadderAndPorch(ModelBuilder& m) {
  m.Box({CabinFront - 0.9f, PorchHeight, 0}, {0.9f, 0.08f, 0.8f});
  const Point3 top{CabinFront - 1.3f, PorchHeight, 0};
  const Point3 bottom{-10.8f, PadHeight + 1.0f, 0};
  for (float z : {-0.45f, 0.45f}) m.Beam(top + Point3{0, 0, z}, bottom + Point3{0, 0, z}, 0.06f);
  for (int rung = 1; rung < 9; ++rung) {
    const Point3 p = top + (bottom - top) * (static_cast<float>(rung) / 9.0f);
    m.Beam(p + Point3{0, 0, -0.45f}, p + Point3{0, 0, 0.45f}, 0.04f);
  }
}

void AscentShape(ModelBuilder& m, bool detailed) {
  m.Box({-2.6f, 2.7f, 0}, {1.9f, 3.1f, 2.7f});  // crew cabin, its front at CabinFront
  m.Box({1.4f, 3.4f, 0}, {2.1f, 2.1f, 2.0f});   // aft equipment bay
  m.Cylinder({0, 5.6f, 0}, {0, ProbeTip - 0.3f, 0}, 0.9f, detailed ? 16 : 8);  // tunnel
  m.Cylinder({0, ProbeTip - 0.3f, 0}, {0, ProbeTip, 0}, 0.45f, 12);            // probe
  if (!detailed) return;
  m.Cylinder({0.4f, -0.4f, 0}, {0.4f, 0.0f, 0}, 1.2f, 12);  // engine cover
  m.Beam({2.2f, 5.4f, -1.2f}, {2.6f, 7.2f, -1.6f}, 0.05f);  // antennas
  m.Beam({2.2f, 5.4f, 1.2f}, {2.8f, 6.8f, 1.8f}, 0.05f);
  for (int q = 0; q < 4; ++q) {
    const Point3 c = QuadCentre(q);
    m.Box(c, {0.3f, 0.3f, 0.3f});
    m.Beam(c, Point3{c.x * 0.6f, c.y - 0.3f, c.z * 0.6f}, 0.08f);  // the quad's boom
  }
}

void Radar(ModelBuilder& m, bool orbit, bool detailed) {
  const Point3 base{-1.9f, 5.8f, 1.6f};
  const Point3 axis = orbit ? Normalised({-1, 0.6f, 0}) : Point3{0, 1, 0};
  m.Beam(base, base + Up(0.5f), 0.08f);
  const Point3 dish = base + Up(0.5f);
  if (detailed) {
    m.Cone(dish + axis * 0.5f, dish, 0.6f, 16);
    m.Cone(dish, dish + axis * 0.5f, 0.6f, 16);  // the dish's back
  } else {
    m.Box(dish + axis * 0.2f, {0.4f, 0.4f, 0.4f});
  }
}

void WriteLM(Models& out) {
  {
    ModelBuilder m(LMFile);
    AscentShape(m, true);
    out.Write(m, "LMAscent.x");
  }
  {
    ModelBuilder m(LMFile);
    AscentShape(m, false);
    out.Write(m, "LMAscentS.x");
  }
  {
    ModelBuilder m(LMFile);  // the aft bay's sides, shown in the red foil's colour
    for (float z : {-1.0f, 1.0f})
      m.Panel({1.4f, 3.4f, z * 2.03f}, {0, 0, z}, {0, 1, 0}, 2.0f, 2.0f);
    m.Panel({3.53f, 3.4f, 0}, {1, 0, 0}, {0, 1, 0}, 1.9f, 2.0f);
    out.Write(m, "LMAscentGoldFoilParts.x");
  }
  {
    ModelBuilder m(LMFile);  // the cabin's sides and top
    for (float z : {-1.0f, 1.0f})
      m.Panel({-2.6f, 2.7f, z * 2.73f}, {0, 0, z}, {0, 1, 0}, 1.8f, 3.0f);
    m.Panel({-2.6f, 5.83f, 0}, {0, 1, 0}, {1, 0, 0}, 2.6f, 1.8f);
    out.Write(m, "LMAscentSilverFoilParts.x");
  }
  for (bool orbit : {false, true}) {
    const std::string name = orbit ? "Orbit" : "Land";
    ModelBuilder detailed(LMFile);
    Radar(detailed, orbit, true);
    out.Write(detailed, "LMAscentRadar" + name + ".x");
    ModelBuilder simple(LMFile);  // also the radar of the simple LM
    Radar(simple, orbit, false);
    out.Write(simple, "LMAscentRadarShadow" + name + ".X");
  }
  {
    ModelBuilder m(LMFile);
    for (float z : {-1.0f, 1.0f})
      m.Panel({CabinFront - 0.03f, 5.25f, z * 1.4f}, {-1, 0, 0}, {0, 1, 0}, 0.85f, 0.45f);
    out.Write(m, "LMAscentWindows.x");
  }
  {
    ModelBuilder m(LMFile);
    m.Box({-0.6f, 2.9f, 0}, {3.9f, 3.0f, 2.6f});
    out.Write(m, "LMAscentShadow.x");
  }
  {
    ModelBuilder m(LMFile);
    m.Cone({0.4f, -6.0f, 0}, {0.4f, -0.5f, 0}, 1.6f, 16);
    out.Write(m, "AscentEngineFlame.x");
  }
  {
    ModelBuilder m(LMFile);
    DescentBody(m, true);
    out.Write(m, "LMDescent.x");
  }
  {
    ModelBuilder m(LMFile);
    DescentBody(m, false);
    out.Write(m, "LMDescentS.x");
  }
  {
    ModelBuilder m(LMFile);
    LadderAndPorch(m);
    // Equipment on the deck and the descent engine's skirt.
    m.Box({2.5f, DescentTop + 0.3f, 2.5f}, {0.6f, 0.3f, 0.6f});
    m.Box({2.5f, DescentTop + 0.3f, -2.5f}, {0.6f, 0.3f, 0.6f});
    m.Cylinder({0, DescentBottom - 0.3f, 0}, {0, DescentBottom, 0}, 1.6f, 16);
    out.Write(m, "LMDescentPartsWithShadow.X");
  }
  {
    ModelBuilder m(LMFile);
    m.Cone({0, -16.0f, 0}, {0, BellExit, 0}, 2.6f, 16);
    out.Write(m, "EngineFlame.x");
  }
  {
    ModelBuilder m(LMFile);
    DescentFaces(m, true, 0.03f);
    out.Write(m, "LMDescentGoldFoilParts.x");
  }
  {
    ModelBuilder m(LMFile);
    DescentFaces(m, false, 0.03f);
    out.Write(m, "LMDescentSilverFoilParts.x");
  }
  {
    ModelBuilder m(LMFile);  // the top deck
    m.Prism(Up(0), DescentRadius * 0.96f, DescentTop, DescentTop + 0.05f, 8, Pi / 8);
    out.Write(m, "LMDescentRedFoilParts.x");
  }
  {
    ModelBuilder m(LMFile);  // foil round the upper half of each primary strut
    for (int leg = 0; leg < 4; ++leg) {
      const Point3 d = LegDirection(leg);
      m.Cylinder(d * 4.3f + Up(-0.9f), d * 7.9f + Up(-4.0f), 0.36f, 10);
    }
    out.Write(m, "LMDescentLegsSilver.x");
  }
  {
    ModelBuilder m(LMFile);
    DescentOctagon(m, 8);
    out.Write(m, "LMDescentShadow.x");
  }
  for (int leg = 0; leg < 4; ++leg) {
    const std::string n = std::to_string(leg + 1);
    ModelBuilder shadow(LMFile);
    const Point3 d = LegDirection(leg);
    shadow.Beam(d * 4.3f + Up(-0.9f), d * PadReach + Up(PadHeight + 0.5f), 0.3f);
    shadow.Cylinder(d * PadReach + Up(PadHeight), d * PadReach + Up(PadHeight + 0.45f), 1.1f, 8);
    out.Write(shadow, "LMDescentShadowP" + n + ".x");
    ModelBuilder full(LMFile);
    Leg(full, leg, true, true);
    out.Write(full, "LMDescentp" + n + ".x");
    ModelBuilder simple(LMFile);
    Leg(simple, leg, true, false);
    out.Write(simple, "LMDescentP" + n + "S.x");
  }
  for (int jet = 1; jet <= 16; ++jet) {
    ModelBuilder m(LMFile);
    const Point3 d = JetDirection(jet);
    const Point3 nozzle = QuadCentre((jet - 1) / 4) + d * 0.35f;
    m.Cone(nozzle + d * 2.8f, nozzle, 0.6f, 10);
    out.Write(m, "RCSPlume" + std::to_string(jet) + ".x");
  }
  {
    ModelBuilder m(MiniLMFile);
    DescentBody(m, false);
    AscentShape(m, false);
    for (int leg = 0; leg < 4; ++leg) Leg(m, leg, false, false);
    out.Write(m, "LMmini.x");
  }
}

// ---- The hatch and the cabin --------------------------------------------------------------

constexpr float PanelX = -4.3f;  // the instrument panel's face
constexpr Point3 Aft{1, 0, 0};   // the panel faces the crew, aft
constexpr Point3 Upright{0, 1, 0};

// A face on the panel at (z, y), a little before the panel board.
void OnPanel(ModelBuilder& m, float z, float y, float halfWidth, float halfHeight,
             float standOff = 0.02f) {
  m.Panel({PanelX + standOff, y, z}, Aft, Upright, halfWidth, halfHeight);
}

void WriteHatch(Models& out) {
  const float y = (CabinFloor + HatchTop) / 2, half = (HatchTop - CabinFloor) / 2;
  {
    ModelBuilder m(LMFile);
    m.Panel({CabinFront + 0.02f, y, 0}, Aft, Upright, HatchHalfWidth, half);
    out.Write(m, "HatchClosedinner.x");
  }
  {
    ModelBuilder m(LMFile);
    m.Panel({CabinFront - 0.02f, y, 0}, {-1, 0, 0}, Upright, HatchHalfWidth, half);
    out.Write(m, "hatchclosedouter.x");
  }
  {
    ModelBuilder m(LMFile);  // swung in against its hinge on the right
    m.Box({CabinFront + HatchHalfWidth, y, HatchHalfWidth + 0.05f}, {HatchHalfWidth, half, 0.04f});
    out.Write(m, "HatchOpen.x");
  }
}

void CabinShell(ModelBuilder& m, bool detailed) {
  const float back = -0.8f, ceiling = 5.9f, side = 2.6f;
  const float windowLow = 4.8f, windowHigh = 5.75f;
  const Point3 inward{1, 0, 0};
  const auto wall = [&](float z0, float z1, float y0, float y1) {
    m.Panel({CabinFront, (y0 + y1) / 2, (z0 + z1) / 2}, inward, Upright, (z1 - z0) / 2,
            (y1 - y0) / 2);
  };
  // The front wall round the hatch and the two windows.
  wall(-side, -HatchHalfWidth, CabinFloor, windowLow);
  wall(HatchHalfWidth, side, CabinFloor, windowLow);
  wall(-HatchHalfWidth, HatchHalfWidth, HatchTop, windowLow);
  wall(-side, side, windowHigh, ceiling);
  wall(-side, -2.3f, windowLow, windowHigh);
  wall(-0.5f, 0.5f, windowLow, windowHigh);
  wall(2.3f, side, windowLow, windowHigh);
  // Floor, ceiling (with the docking window's opening), sides and back, all facing in.
  const float depth = (back - CabinFront) / 2, middle = (back + CabinFront) / 2;
  m.Panel({middle, CabinFloor, 0}, {0, 1, 0}, {-1, 0, 0}, side, depth);
  m.Panel({-1.9f, ceiling, 0}, {0, -1, 0}, {-1, 0, 0}, side, 1.1f);
  m.Panel({-3.8f, ceiling, 0.45f}, {0, -1, 0}, {-1, 0, 0}, 2.15f, 0.8f);
  m.Panel({-3.8f, ceiling, -2.2f}, {0, -1, 0}, {-1, 0, 0}, 0.4f, 0.8f);
  for (float z : {-1.0f, 1.0f})
    m.Panel({middle, (CabinFloor + ceiling) / 2, -z * side}, {0, 0, z}, Upright, depth,
            (ceiling - CabinFloor) / 2);
  m.Panel({back, (CabinFloor + ceiling) / 2, 0}, {-1, 0, 0}, Upright, side,
          (ceiling - CabinFloor) / 2);
  // The panel boards: the main panel and the DSKY's, standing off the wall.
  m.Box({PanelX - 0.05f, 3.85f, 0}, {0.05f, 0.9f, 2.5f});
  m.Box({PanelX - 0.05f, 2.2f, 1.75f}, {0.05f, 0.68f, 0.75f});
  if (!detailed) return;
  // Side consoles, the window frames and the centre post, the overhead hatch's rim.
  for (float z : {-1.0f, 1.0f}) m.Box({-3.2f, 1.3f, z * 2.3f}, {1.1f, 1.0f, 0.3f});
  for (float z : {-2.3f, -0.5f, 0.5f, 2.3f})
    m.Beam({CabinFront + 0.05f, windowLow, z}, {CabinFront + 0.05f, windowHigh, z}, 0.05f);
  for (float y : {windowLow, windowHigh})
    m.Beam({CabinFront + 0.05f, y, -2.3f}, {CabinFront + 0.05f, y, 2.3f}, 0.04f);
  m.Box({-3.8f, ceiling - 0.05f, -1.2f}, {0.45f, 0.05f, 0.05f});
}

struct Key {
  const char* name;
  int column, row;
};
// The DSKY's keyboard: verb and noun at the left, then the sign keys, the digits, the clear,
// proceed and key release keys, and enter and reset at the right.
constexpr Key DSKYKeys[] = {
    {"KeyVerb", 0, 0}, {"KeyNoun", 0, 1},   {"KeyPlus", 1, 0}, {"KeyMinus", 1, 1}, {"Key0", 1, 2},
    {"Key7", 2, 0},    {"Key4", 2, 1},      {"Key1", 2, 2},    {"Key8", 3, 0},     {"Key5", 3, 1},
    {"Key2", 3, 2},    {"Key9", 4, 0},      {"Key6", 4, 1},    {"Key3", 4, 2},     {"KeyClr", 5, 0},
    {"KeyPro", 5, 1},  {"KeyKeyRel", 5, 2}, {"KeyEntr", 6, 0}, {"KeyRset", 6, 1}};

// The switches and their positions, in the order of each switch's positions (lever down, middle,
// up), along the left of the panel.
struct Switch {
  const char* name;
  std::array<const char*, 3> positions;
};
constexpr Switch Switches[] = {{"AGS", {"Off", "Hold", "Auto"}},
                               {"PGNS", {"Off", "Hold", "Auto"}},
                               {"YawMode", {"Off", "Pulse", "Cont"}},
                               {"PitchMode", {"Off", "Pulse", "Cont"}},
                               {"RollMode", {"Off", "Pulse", "Cont"}},
                               {"DeadBand", {"Min", "Max", nullptr}},
                               {"ThrottleControl", {"Manual", "Auto", nullptr}},
                               {"RateScale", {"Min", "Max", nullptr}},
                               {"XPointer", {"LoMult", "HiMult", nullptr}}};

void WriteCabin(Models& out) {
  const auto face = [&](const char* name, float z, float y, float w, float h,
                        float standOff = 0.02f) {
    ModelBuilder m(LMFile);
    OnPanel(m, z, y, w, h, standOff);
    out.Write(m, std::string(name) + ".X");
  };
  constexpr float InstrumentRow = 3.85f;
  face("FDAICdr", -1.35f, InstrumentRow, 0.42f, 0.42f);
  face("FDAILmp", 1.35f, InstrumentRow, 0.42f, 0.42f);
  face("XPointerCdr", -2.05f, InstrumentRow, 0.25f, 0.25f);
  face("XPointerLmp", 2.05f, InstrumentRow, 0.25f, 0.25f);
  face("AltitudeRate", -0.55f, InstrumentRow, 0.06f, 0.42f);
  face("AltitudeTape", -0.35f, InstrumentRow, 0.06f, 0.42f);
  face("EngineLeft", 0.3f, InstrumentRow, 0.05f, 0.42f);
  face("EngineRight", 0.45f, InstrumentRow, 0.05f, 0.42f);
  face("TW", 0.0f, InstrumentRow, 0.05f, 0.42f);
  face("ContactLight", -0.9f, 4.5f, 0.08f, 0.06f);
  face("Event_Timer", -0.45f, 4.5f, 0.2f, 0.06f);
  face("Mission_Timer_Hours", 0.15f, 4.5f, 0.12f, 0.06f);
  face("Mission_Timer_MinSec", 0.5f, 4.5f, 0.2f, 0.06f);
  face("Helium_Pressure", 0.9f, 3.2f, 0.12f, 0.1f);
  face("Fuel_Quantity", 1.2f, 3.2f, 0.12f, 0.1f);
  face("Oxy_Quantity", 1.5f, 3.2f, 0.12f, 0.1f);
  face("Des_Qty", 1.85f, 3.2f, 0.15f, 0.1f);
  {
    ModelBuilder m(LMFile);  // frames over the four round instruments
    for (const auto& [z, half] : {std::pair{-1.35f, 0.46f}, std::pair{1.35f, 0.46f},
                                  std::pair{-2.05f, 0.28f}, std::pair{2.05f, 0.28f}})
      OnPanel(m, z, InstrumentRow, half, half, 0.03f);
    out.Write(m, "bezels.X");
  }
  face("DSKYLights", 1.28f, 2.45f, 0.17f, 0.34f);
  face("DSKYDisp", 1.78f, 2.45f, 0.17f, 0.34f);
  for (const Key& key : DSKYKeys) {
    ModelBuilder m(LMFile);
    const float z = 1.12f + 0.19f * static_cast<float>(key.column);
    const float y = 2.0f - 0.14f * static_cast<float>(key.row) -
                    (key.column == 0 || key.column == 6 ? 0.07f : 0.0f);
    m.Box({PanelX + 0.03f, y, z}, {0.03f, 0.055f, 0.075f});
    OnPanel(m, z, y, 0.075f, 0.055f, 0.065f);  // the key's face, for its legend
    out.Write(m, std::string(key.name) + ".X");
  }
  // The window reticles, on the commander's window inside and out; the docking window overhead.
  const auto window = [&](const char* name, float x) {
    ModelBuilder m(LMFile);
    m.Panel({x, 5.27f, -1.4f}, Aft, Upright, 0.85f, 0.45f);
    out.Write(m, std::string(name) + ".X");
  };
  window("LPDInside", CabinFront + 0.04f);
  window("LPDOutside", CabinFront - 0.02f);
  const auto overhead = [&](const char* name, float y) {
    ModelBuilder m(LMFile);
    m.Panel({-3.8f, y, -1.2f}, {0, -1, 0}, {-1, 0, 0}, 0.4f, 0.4f);
    out.Write(m, std::string(name) + ".X");
  };
  overhead("DockingWindowInside", 5.85f);
  overhead("DockingWindowOutside", 5.95f);
  // The optical sight: on the commander's window, stowed on the left wall, or overhead.
  const auto sight = [&](const char* name, Point3 at, Point3 facing, Point3 up, float half) {
    ModelBuilder m(LMFile);
    m.Panel(at, facing, up, half, half);
    out.Write(m, std::string(name) + ".X");
  };
  sight("COASdisplay", {CabinFront + 0.25f, 5.2f, -1.4f}, Aft, Upright, 0.12f);
  sight("coasreticlemask", {CabinFront + 0.27f, 5.2f, -1.4f}, Aft, Upright, 0.14f);
  sight("COASreticle", {CabinFront + 0.23f, 5.2f, -1.4f}, Aft, Upright, 0.1f);
  {
    ModelBuilder m(LMFile);
    m.Box({-3.8f, 5.7f, -1.2f}, {0.1f, 0.1f, 0.1f});
    out.Write(m, "COASoverhead.X");
  }
  {
    ModelBuilder m(LMFile);
    m.Box({-3.0f, 3.5f, -2.5f}, {0.15f, 0.1f, 0.08f});
    out.Write(m, "COASstow.X");
  }
  sight("COASReticleGlassStow", {-3.0f, 3.5f, -2.41f}, {0, 0, 1}, Upright, 0.08f);

  // Every switch position is a lever of its own, with a face 0..1 for its picture.
  for (size_t s = 0; s < std::size(Switches); ++s) {
    const Switch& sw = Switches[s];
    const float z = -2.35f + 0.28f * static_cast<float>(s);
    const float y = 3.2f;
    const int count = sw.positions[2] != nullptr ? 3 : 2;
    for (int p = 0; p < count; ++p) {
      ModelBuilder m(LMFile);
      // Down, middle or up; two-position switches are down or up.
      const float tilt = count == 3 ? static_cast<float>(p - 1) : (p == 0 ? -1.0f : 1.0f);
      const Point3 base{PanelX + 0.02f, y, z};
      OnPanel(m, z, y, 0.06f, 0.08f, 0.03f);
      m.Beam(base, base + Point3{0.16f, 0.08f * tilt, 0}, 0.015f);
      out.Write(m,
                "SW_" + std::string(sw.name) + "_" + sw.positions[static_cast<size_t>(p)] + ".X");
    }
  }
  for (bool detailed : {true, false}) {
    ModelBuilder m(LMFile);
    CabinShell(m, detailed);
    out.Write(m, detailed ? "virtual.X" : "virtualsimple.X");
  }
}

// ---- The command module (about its root; the drogue at (0, 0, -12.2)) ---------------------

constexpr float DrogueZ = -12.2f;
constexpr float ModuleRadius = 4.4f;
constexpr float ServiceFront = -3.9f, ServiceBack = 13.5f;

void WriteCommandModule(Models& out) {
  {
    ModelBuilder m(CommandModuleFile);
    m.Cylinder({0, 0, ServiceFront}, {0, 0, ServiceBack}, ModuleRadius, 24);
    m.Cone({0, 0, ServiceBack + 5.0f}, {0, 0, ServiceBack}, 2.2f, 16);  // engine bell
    for (int q = 0; q < 4; ++q) {                                       // RCS quads
      const float a = Pi / 4 + static_cast<float>(q) * Pi / 2;
      m.Box({ModuleRadius * std::cos(a), ModuleRadius * std::sin(a), 2.0f}, {0.4f, 0.4f, 0.6f});
    }
    out.Write(m, "CMMain.x");
  }
  {
    ModelBuilder m(CommandModuleFile);
    m.Cone({0, 0, ServiceFront}, {0, 0, DrogueZ - 0.8f}, ModuleRadius, 24);
    // The drogue: a funnel opening forward at the docking point.
    m.Cone({0, 0, DrogueZ - 0.1f}, {0, 0, DrogueZ + 0.9f}, 1.0f, 16);
    out.Write(m, "CMshiny.x");
  }
  {
    ModelBuilder m(CommandModuleFile);
    m.Cylinder({0, 0, ServiceFront + 0.2f}, {0, 0, ServiceBack - 0.2f}, ModuleRadius + 0.03f, 24);
    out.Write(m, "CMOverlay.x");
  }
}

// ---- Instruments and markers ----------------------------------------------------------------

constexpr float FDAIBallRadius = 5.0f;  // seen from its camera 19 units away

void WriteMarkers(Models& out) {
  {
    ModelBuilder m(MirroredFile);
    m.Group(Colour(1, 1, 1, "FDAIBall.png"));
    m.Sphere({}, FDAIBallRadius, 48, 24);
    out.Write(m, "FDAIBall.X");
  }
  {
    ModelBuilder m(MirroredFile);  // an arrow standing over the landing spot
    m.Cone({0, 12, 0}, {0, 4, 0}, 3.0f, 12);
    m.Cone({0, 12, 0}, {0, 12.01f, 0}, 3.0f, 12);
    m.Box({0, 18, 0}, {0.9f, 6, 0.9f});
    out.Write(m, "landingmarker.x");
  }
  {
    ModelBuilder m(PlainFile);  // the star information marker, one unit across
    m.Panel({0, 0, 0}, {0, 0, -1}, {0, 1, 0}, 0.5f, 0.1f);
    m.Panel({0, 0, 0}, {0, 0, -1}, {0, 1, 0}, 0.1f, 0.5f);
    m.Panel({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, 0.5f, 0.1f);
    m.Panel({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, 0.1f, 0.5f);
    out.Write(m, "star.x");
  }
}

// ---- The Moon ------------------------------------------------------------------------------

// The whole Moon's centre stands the scenarios' "Moon Radius" below the LM's ground; its top lies
// just under the landscape.
constexpr float ScenarioMoonRadius = 4957000.0f;
constexpr float AllMoonRadius = ScenarioMoonRadius - 100.0f;
constexpr float SitePatchRise = 30.0f;  // world units above the globe
constexpr float SitePatchHalf = 0.4f * Degrees;

struct Site {
  int group;
  float latitude, longitude;  // degrees, north and east
};
// The landing sites' selenographic places, by their group in the model: 1 the site Apollo 13
// was to land at, then 11, 16, 17, 15, 14 and 12.
constexpr Site Sites[] = {{1, -3.6f, -17.5f},    {2, 0.674f, 23.473f}, {3, -8.973f, 15.5f},
                          {4, 20.191f, 30.772f}, {5, 26.132f, 3.634f}, {6, -3.645f, -17.471f},
                          {7, -3.012f, -23.422f}};

void WriteMoon(Models& out) {
  {
    ModelBuilder m(AllMoonFile);
    m.Group(Grey);
    m.Sphere({}, AllMoonRadius, 72, 36);
    for (const Site& site : Sites) {
      m.Group(Grey);
      const float lat = site.latitude * Degrees, lon = site.longitude * Degrees;
      m.SpherePatch({}, AllMoonRadius + SitePatchRise, lon - SitePatchHalf, lon + SitePatchHalf,
                    lat - SitePatchHalf, lat + SitePatchHalf, 4, 4);
    }
    out.Write(m, "allmoon.x");
  }
  // The Orbital mission's Moon, 1737 km scaled to the orbit's 1848 km from the centre.
  constexpr float OrbitRadius = 1039327.75f;
  constexpr float OrbitalMoonRadius = OrbitRadius * 1737.0f / 1848.0f;
  {
    ModelBuilder m(OrbitalMoonFile);
    m.Sphere({}, OrbitalMoonRadius, 72, 36);
    out.Write(m, "moonorbital.x");
  }
  {
    ModelBuilder m(OrbitalMoonFile);  // the detailed picture under the orbit: its own map
    m.SpherePatch({}, OrbitalMoonRadius * 1.0003f, -90 * Degrees, 90 * Degrees, 15 * Degrees,
                  90 * Degrees, 48, 24, true);
    out.Write(m, "moonslice.x");
  }
}

// ---- Scenery ------------------------------------------------------------------------------

float RockShape(float lon, float lat, uint32_t seed) {
  return 0.75f + 0.5f * FractalNoise(lon * 1.3f + 10, lat * 1.3f + 10, 3, seed);
}

void WriteScenery(Models& out) {
  for (bool dark : {false, true}) {
    ModelBuilder m(MirroredFile);
    m.Group(Grey);
    m.Cylinder({0, -0.5f, 0}, {0, 5.5f, 0}, 0.06f, 8);  // pole
    m.Beam({0, 5.4f, 0}, {0, 5.4f, 2.6f}, 0.04f);       // cross bar
    m.Group(Colour(1, 1, 1, dark ? "USflagdark.png" : "USflag.png"));
    m.Panel({0, 4.6f, 1.3f}, {1, 0, 0}, Upright, 1.3f, 0.8f);
    m.Panel({-0.01f, 4.6f, 1.3f}, {-1, 0, 0}, Upright, 1.3f, 0.8f);
    out.Write(m, dark ? "USFlagDark.x" : "USflag.x");
  }
  {
    ModelBuilder m(MirroredFile);
    m.Lump({0, 0.3f, 0}, 1.2f, 0.6f, 10, 6,
           [](float lon, float lat) { return RockShape(lon, lat, 7); });
    out.Write(m, "rock.x");
  }
  {
    ModelBuilder m(MirroredFile);
    m.Lump({0, 0.3f, 0}, 1.2f, 0.6f, 6, 4,
           [](float lon, float lat) { return RockShape(lon, lat, 7); });
    out.Write(m, "fakerock.x");
  }
  {
    ModelBuilder m(LMFile);  // debris thrown round a fresh crater
    for (int k = 0; k < 24; ++k) {
      const float a = static_cast<float>(k) * 2 * Pi / 24 + Hash01(k, 0, 3) * 0.2f;
      const float r = 9.0f + 6.0f * Hash01(k, 1, 3);
      const float size = 0.3f + 0.6f * Hash01(k, 2, 3);
      m.Box({r * std::cos(a), size * 0.4f, r * std::sin(a)}, {size, size * 0.5f, size * 0.8f});
    }
    out.Write(m, "craterdebri.x");
  }
  {
    ModelBuilder m(GateFile);  // a gate across the course, which runs along x
    for (float z : {-30.0f, 30.0f}) m.Cylinder({0, -20, z}, {0, 60, z}, 1.2f, 10);
    m.Beam({0, 60, -31}, {0, 60, 31}, 1.0f);
    m.Panel({0, 52, 0}, {1, 0, 0}, Upright, 29, 6);
    m.Panel({-0.01f, 52, 0}, {-1, 0, 0}, Upright, 29, 6);
    out.Write(m, "StartFinish.x");
  }
  {
    ModelBuilder m(SurveyorFile);  // three legs, the frame, the mast and the solar panel
    for (int k = 0; k < 3; ++k) {
      const float a = static_cast<float>(k) * 2 * Pi / 3;
      const Point3 pad{2.1f * std::cos(a), 0.1f, 2.1f * std::sin(a)};
      m.Beam({0.6f * std::cos(a), 1.6f, 0.6f * std::sin(a)}, pad, 0.06f);
      m.Cylinder(pad - Up(0.1f), pad + Up(0.1f), 0.35f, 8);
    }
    m.Prism(Up(0), 0.9f, 1.4f, 2.4f, 3, 0);
    m.Beam(Up(2.4f), Up(4.6f), 0.05f);
    m.Box({0.6f, 4.6f, 0}, {0.6f, 0.02f, 0.45f});
    m.Cone({-0.4f, 4.3f, 0}, {-0.4f, 4.0f, 0}, 0.35f, 10);
    out.Write(m, "surveyor.x");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_models FOLDER\n";
    return 2;
  }
  const Elapsed elapsed;
  try {
    fs::create_directories(argv[1]);
    Models out(argv[1]);
    WriteLM(out);
    WriteHatch(out);
    WriteCabin(out);
    WriteCommandModule(out);
    WriteMarkers(out);
    WriteMoon(out);
    WriteScenery(out);
    std::cout << "make_models: " << out.Count() << " models " << elapsed.Text() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "make_models: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
