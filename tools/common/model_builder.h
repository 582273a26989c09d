// Simple solids for the program folder's models, written as X files through the X writer.
//
// A model is built in world units around the point the program places it by, then written in the
// file's own units: every point is multiplied by the model's file scale, the inverse of the scale
// the program draws it at ((-40, 40, -40) for the LM parts and the cabin, which the program
// scales by (-0.025, 0.025, -0.025)), so a model shows where and how large it was built. Each solid
// goes to the material group in force when it is added; the file's materials are the groups in
// order, so the program's SetMaterial(id, group) finds them.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct Point3 {
  float x = 0, y = 0, z = 0;
};

Point3 operator+(Point3 a, Point3 b);
Point3 operator-(Point3 a, Point3 b);
Point3 operator*(Point3 a, float s);
Point3 Cross(Point3 a, Point3 b);
Point3 Normalised(Point3 a);

struct ModelMaterial {
  std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1};
  float power = 10;
  std::array<float, 3> specular{0.2f, 0.2f, 0.2f};
  std::array<float, 3> emissive{0, 0, 0};
  std::string texture;  // a file name beside the model, or empty
};

class ModelBuilder {
 public:
  explicit ModelBuilder(Point3 fileScale = {1, 1, 1}) : fileScale_(fileScale) {}

  // Starts a new material group; the solids added after it belong to it.
  void Group(const ModelMaterial& material);
  size_t GroupCount() const { return materials_.size(); }

  // A flat four-cornered face seen from its front: bottom left, top left, top right, bottom right
  // (clockwise on the screen, the front of a triangle in the engine's left-handed axes). The
  // whole texture shows upright and unmirrored from the front.
  void Quad(Point3 a, Point3 b, Point3 c, Point3 d);
  // A rectangle round `centre` facing `normal`, `up` its upright direction (at right angles to
  // the normal), half sizes across and up.
  void Panel(Point3 centre, Point3 normal, Point3 up, float halfWidth, float halfHeight);
  // A box from its centre and half sizes; every face carries the whole texture.
  void Box(Point3 centre, Point3 half);
  // A box between two points, with a square cross-section of half side `half` (struts, rails).
  void Beam(Point3 from, Point3 to, float half);
  // A closed cylinder between two points: `sides` faces round, caps at both ends.
  void Cylinder(Point3 from, Point3 to, float radius, int sides);
  // A cone from its base centre to its tip, open at the base; v runs 0 at the tip to 1 at the
  // base, u once round.
  void Cone(Point3 base, Point3 tip, float radius, int sides);
  // A sphere with u along the longitude (0 at -x, growing east) and v from the north pole (0) to
  // the south pole (1), the way a cylindrical map is laid out.
  void Sphere(Point3 centre, float radius, int slices, int stacks);
  // A part of a sphere: the longitudes lon0 .. lon1 and latitudes lat0 .. lat1 (radians), with
  // the texture co-ordinates of that part of a whole-sphere map, or (ownMap) a map of its own
  // that spans the part.
  void SpherePatch(Point3 centre, float radius, float lon0, float lon1, float lat0, float lat1,
                   int slices, int stacks, bool ownMap = false);
  // A closed lump: a sphere whose radius at each longitude and latitude is radius times shape's
  // answer, squashed by `squash` in y (rocks).
  void Lump(Point3 centre, float radius, float squash, int slices, int stacks,
            const std::function<float(float, float)>& shape);
  // A prism of `sides` corners round the vertical through `centre`, from y0 to y1, capped.
  void Prism(Point3 centre, float radius, float y0, float y1, int sides, float turn = 0);

  // Writes the model as one frame `frame` holding one mesh `frame` + "_Mesh".
  void Write(const std::filesystem::path& path, const std::string& frame) const;

 private:
  struct Vertex {
    Point3 p, n;
    float u, v;
  };
  uint32_t Add(Point3 p, Point3 n, float u, float v);
  void Face(uint32_t a, uint32_t b, uint32_t c);
  // A four-cornered face of a closed solid, turned so that its front faces away from `inside`.
  void Solid(const std::array<Point3, 4>& corners, Point3 inside);
  // A triangle turned so that its front faces `outward`.
  void FaceOutward(uint32_t a, uint32_t b, uint32_t c, Point3 outward);

  Point3 fileScale_;
  std::vector<Vertex> vertices_;
  std::vector<std::array<uint32_t, 3>> triangles_;
  std::vector<uint32_t> groups_;
  std::vector<ModelMaterial> materials_;
};

// Points on a sphere: longitude east of -x and latitude north, radians. Seen from outside, east
// lies to the right of north-up, as on a map.
Point3 OnSphere(Point3 centre, float radius, float longitude, float latitude);
