#include "tools/common/model_builder.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "platform/d3dx/x_file_reader.h"
#include "platform/d3dx/x_file_writer.h"

Point3 operator+(Point3 a, Point3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 operator-(Point3 a, Point3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 operator*(Point3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Point3 Cross(Point3 a, Point3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Point3 Normalised(Point3 a) {
  const float length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return length > 0 ? a * (1.0f / length) : Point3{0, 1, 0};
}

Point3 OnSphere(Point3 centre, float radius, float longitude, float latitude) {
  return centre + Point3{-std::cos(latitude) * std::cos(longitude), std::sin(latitude),
                         -std::cos(latitude) * std::sin(longitude)} *
                      radius;
}

namespace {

constexpr float TwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr float HalfPi = std::numbers::pi_v<float> / 2.0f;

// Two unit vectors across a direction.
void Across(Point3 axis, Point3& side, Point3& up) {
  const Point3 helper = std::abs(axis.y) < 0.9f ? Point3{0, 1, 0} : Point3{1, 0, 0};
  side = Normalised(Cross(axis, helper));
  up = Cross(side, axis);
}

d3dx::XDataObject Object(const char* templateName, std::string name = "") {
  d3dx::XDataObject object;
  object.templateName = templateName;
  object.name = std::move(name);
  return object;
}

}  // namespace

void ModelBuilder::Group(const ModelMaterial& material) { materials_.push_back(material); }

uint32_t ModelBuilder::Add(Point3 p, Point3 n, float u, float v) {
  vertices_.push_back({p, n, u, v});
  return static_cast<uint32_t>(vertices_.size() - 1);
}

void ModelBuilder::Face(uint32_t a, uint32_t b, uint32_t c) {
  if (materials_.empty()) Group({});
  triangles_.push_back({a, b, c});
  groups_.push_back(static_cast<uint32_t>(materials_.size() - 1));
}

void ModelBuilder::FaceOutward(uint32_t a, uint32_t b, uint32_t c, Point3 outward) {
  const Point3 pa = vertices_[a].p;
  const Point3 n = Cross(vertices_[b].p - pa, vertices_[c].p - pa);
  if (n.x * outward.x + n.y * outward.y + n.z * outward.z < 0)
    Face(a, c, b);
  else
    Face(a, b, c);
}

void ModelBuilder::Quad(Point3 a, Point3 b, Point3 c, Point3 d) {
  const Point3 n = Normalised(Cross(b - a, c - a));
  const uint32_t i = Add(a, n, 0, 1);
  const uint32_t j = Add(b, n, 0, 0);
  const uint32_t k = Add(c, n, 1, 0);
  const uint32_t l = Add(d, n, 1, 1);
  Face(i, j, k);
  Face(i, k, l);
}

void ModelBuilder::Panel(Point3 centre, Point3 normal, Point3 up, float halfWidth,
                         float halfHeight) {
  // Seen from the front the viewer looks along -normal; in left-handed axes their right is
  // up x forward.
  const Point3 right = Normalised(Cross(up, normal * -1.0f)) * halfWidth;
  const Point3 u = Normalised(up) * halfHeight;
  Quad(centre - right - u, centre - right + u, centre + right + u, centre + right - u);
}

void ModelBuilder::Box(Point3 c, Point3 h) {
  const Point3 up{0, 1, 0};
  Panel(c + Point3{0, 0, h.z}, {0, 0, 1}, up, h.x, h.y);
  Panel(c - Point3{0, 0, h.z}, {0, 0, -1}, up, h.x, h.y);
  Panel(c + Point3{h.x, 0, 0}, {1, 0, 0}, up, h.z, h.y);
  Panel(c - Point3{h.x, 0, 0}, {-1, 0, 0}, up, h.z, h.y);
  Panel(c + Point3{0, h.y, 0}, {0, 1, 0}, {0, 0, 1}, h.x, h.z);
  Panel(c - Point3{0, h.y, 0}, {0, -1, 0}, {0, 0, 1}, h.x, h.z);
}

void ModelBuilder::Beam(Point3 from, Point3 to, float half) {
  Point3 side, up;
  const Point3 axis = Normalised(to - from);
  Across(axis, side, up);
  const Point3 s = side * half;
  const Point3 u = up * half;
  const Point3 a0 = from - s - u, b0 = from + s - u, c0 = from + s + u, d0 = from - s + u;
  const Point3 a1 = to - s - u, b1 = to + s - u, c1 = to + s + u, d1 = to - s + u;
  const Point3 middle = (from + to) * 0.5f;
  for (const std::array<Point3, 4>& q :
       {std::array{a0, b0, b1, a1}, std::array{b0, c0, c1, b1}, std::array{c0, d0, d1, c1},
        std::array{d0, a0, a1, d1}, std::array{a1, b1, c1, d1}, std::array{d0, c0, b0, a0}})
    Solid(q, middle);
}

void ModelBuilder::Solid(const std::array<Point3, 4>& q, Point3 inside) {
  const Point3 centre = (q[0] + q[1] + q[2] + q[3]) * 0.25f;
  const Point3 out = centre - inside;
  const Point3 n = Normalised(Cross(q[1] - q[0], q[2] - q[0]));
  const uint32_t i = Add(q[0], n, 0, 1), j = Add(q[1], n, 1, 1);
  const uint32_t k = Add(q[2], n, 1, 0), l = Add(q[3], n, 0, 0);
  const bool flip = n.x * out.x + n.y * out.y + n.z * out.z < 0;
  if (flip) {
    for (uint32_t index : {i, j, k, l}) vertices_[index].n = vertices_[index].n * -1.0f;
    Face(i, k, j);
    Face(i, l, k);
  } else {
    Face(i, j, k);
    Face(i, k, l);
  }
}

void ModelBuilder::Cylinder(Point3 from, Point3 to, float radius, int sides) {
  Point3 side, up;
  const Point3 axis = Normalised(to - from);
  Across(axis, side, up);
  const auto rim = [&](int k) {
    const float a = TwoPi * static_cast<float>(k) / static_cast<float>(sides);
    return side * (std::cos(a) * radius) + up * (std::sin(a) * radius);
  };
  const uint32_t bottom = Add(from, axis * -1.0f, 0.5f, 0.5f);
  const uint32_t top = Add(to, axis, 0.5f, 0.5f);
  for (int k = 0; k < sides; ++k) {
    const Point3 r0 = rim(k), r1 = rim(k + 1);
    const float u0 = static_cast<float>(k) / static_cast<float>(sides);
    const float u1 = static_cast<float>(k + 1) / static_cast<float>(sides);
    const uint32_t a = Add(from + r0, Normalised(r0), u0, 1);
    const uint32_t b = Add(from + r1, Normalised(r1), u1, 1);
    const uint32_t c = Add(to + r1, Normalised(r1), u1, 0);
    const uint32_t d = Add(to + r0, Normalised(r0), u0, 0);
    FaceOutward(a, b, c, r0 + r1);
    FaceOutward(a, c, d, r0 + r1);
    FaceOutward(bottom, Add(from + r0, axis * -1.0f, 0.5f, 0.5f),
                Add(from + r1, axis * -1.0f, 0.5f, 0.5f), axis * -1.0f);
    FaceOutward(top, Add(to + r1, axis, 0.5f, 0.5f), Add(to + r0, axis, 0.5f, 0.5f), axis);
  }
}

void ModelBuilder::Cone(Point3 base, Point3 tip, float radius, int sides) {
  Point3 side, up;
  const Point3 axis = Normalised(tip - base);
  Across(axis, side, up);
  for (int k = 0; k < sides; ++k) {
    const auto at = [&](int n) {
      const float a = TwoPi * static_cast<float>(n) / static_cast<float>(sides);
      return side * (std::cos(a) * radius) + up * (std::sin(a) * radius);
    };
    const Point3 r0 = at(k), r1 = at(k + 1);
    const float u0 = static_cast<float>(k) / static_cast<float>(sides);
    const float u1 = static_cast<float>(k + 1) / static_cast<float>(sides);
    const uint32_t a = Add(base + r0, Normalised(r0), u0, 1);
    const uint32_t b = Add(base + r1, Normalised(r1), u1, 1);
    const uint32_t t = Add(tip, axis, (u0 + u1) / 2, 0);
    FaceOutward(a, t, b, r0 + r1);
  }
}

void ModelBuilder::SpherePatch(Point3 centre, float radius, float lon0, float lon1, float lat0,
                               float lat1, int slices, int stacks, bool ownMap) {
  const auto vertex = [&](int i, int j) {
    const float s = static_cast<float>(i) / static_cast<float>(slices);
    const float t = static_cast<float>(j) / static_cast<float>(stacks);
    const float lon = lon0 + (lon1 - lon0) * s;
    const float lat = lat1 - (lat1 - lat0) * t;
    const Point3 p = OnSphere(centre, radius, lon, lat);
    if (ownMap) return Add(p, Normalised(p - centre), s, t);
    return Add(p, Normalised(p - centre), lon / TwoPi + 0.5f, 0.5f - lat / (2.0f * HalfPi));
  };
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      const uint32_t a = vertex(i, j), b = vertex(i + 1, j);
      const uint32_t c = vertex(i + 1, j + 1), d = vertex(i, j + 1);
      const Point3 out = vertices_[a].n + vertices_[c].n;
      FaceOutward(a, b, c, out);
      FaceOutward(a, c, d, out);
    }
}

void ModelBuilder::Lump(Point3 centre, float radius, float squash, int slices, int stacks,
                        const std::function<float(float, float)>& shape) {
  const float pi = std::numbers::pi_v<float>;
  const auto vertex = [&](int i, int j) {
    const float lon = -pi + TwoPi * static_cast<float>(i % slices) / static_cast<float>(slices);
    const float lat = HalfPi - pi * static_cast<float>(j) / static_cast<float>(stacks);
    // The poles are one point whatever the longitude.
    const float r = radius * (j == 0 || j == stacks ? shape(0, lat) : shape(lon, lat));
    Point3 p = OnSphere({}, r, lon, lat);
    p.y *= squash;
    return Add(centre + p, Normalised(p), static_cast<float>(i) / static_cast<float>(slices),
               static_cast<float>(j) / static_cast<float>(stacks));
  };
  for (int j = 0; j < stacks; ++j)
    for (int i = 0; i < slices; ++i) {
      const uint32_t a = vertex(i, j), b = vertex(i + 1, j);
      const uint32_t c = vertex(i + 1, j + 1), d = vertex(i, j + 1);
      const Point3 out = vertices_[a].n + vertices_[c].n;
      FaceOutward(a, b, c, out);
      FaceOutward(a, c, d, out);
    }
}

void ModelBuilder::Sphere(Point3 centre, float radius, int slices, int stacks) {
  const float pi = std::numbers::pi_v<float>;
  SpherePatch(centre, radius, -pi, pi, -HalfPi, HalfPi, slices, stacks);
}

void ModelBuilder::Prism(Point3 centre, float radius, float y0, float y1, int sides, float turn) {
  const auto corner = [&](int k, float y) {
    const float a = turn + TwoPi * static_cast<float>(k) / static_cast<float>(sides);
    return Point3{centre.x + radius * std::cos(a), y, centre.z + radius * std::sin(a)};
  };
  const Point3 top{centre.x, y1, centre.z}, bottom{centre.x, y0, centre.z};
  for (int k = 0; k < sides; ++k) {
    const Point3 a0 = corner(k, y0), b0 = corner(k + 1, y0);
    const Point3 a1 = corner(k, y1), b1 = corner(k + 1, y1);
    const Point3 middle{centre.x, (y0 + y1) / 2, centre.z};
    Solid({a0, a1, b1, b0}, middle);
    const Point3 nt{0, 1, 0}, nb{0, -1, 0};
    FaceOutward(Add(top, nt, 0.5f, 0.5f), Add(a1, nt, 0, 0), Add(b1, nt, 1, 0), nt);
    FaceOutward(Add(bottom, nb, 0.5f, 0.5f), Add(a0, nb, 0, 1), Add(b0, nb, 1, 1), nb);
  }
}

void ModelBuilder::Write(const std::filesystem::path& path, const std::string& frame) const {
  using d3dx::XDataObject;
  if (triangles_.empty()) throw std::runtime_error(path.string() + ": a model with no faces");
  XDataObject mesh = Object("Mesh", frame + "_Mesh");
  std::vector<double>& m = mesh.numbers;
  m.push_back(static_cast<double>(vertices_.size()));
  for (const Vertex& v : vertices_)
    m.insert(m.end(), {v.p.x * fileScale_.x, v.p.y * fileScale_.y, v.p.z * fileScale_.z});
  const auto faces = [&](std::vector<double>& numbers) {
    numbers.push_back(static_cast<double>(triangles_.size()));
    for (const auto& t : triangles_)
      numbers.insert(numbers.end(), {3.0, double(t[0]), double(t[1]), double(t[2])});
  };
  faces(m);

  XDataObject normals = Object("MeshNormals");
  normals.numbers.push_back(static_cast<double>(vertices_.size()));
  for (const Vertex& v : vertices_) {
    // Normals go through the inverse transpose of the scale: a mirrored axis turns them too.
    const Point3 n = Normalised({v.n.x / fileScale_.x, v.n.y / fileScale_.y, v.n.z / fileScale_.z});
    normals.numbers.insert(normals.numbers.end(), {n.x, n.y, n.z});
  }
  faces(normals.numbers);

  XDataObject coords = Object("MeshTextureCoords");
  coords.numbers.push_back(static_cast<double>(vertices_.size()));
  for (const Vertex& v : vertices_) coords.numbers.insert(coords.numbers.end(), {v.u, v.v});

  XDataObject list = Object("MeshMaterialList");
  list.numbers = {static_cast<double>(materials_.size()), static_cast<double>(groups_.size())};
  list.numbers.insert(list.numbers.end(), groups_.begin(), groups_.end());
  for (const ModelMaterial& material : materials_) {
    XDataObject x = Object("Material");
    x.numbers.assign(material.diffuse.begin(), material.diffuse.end());
    x.numbers.push_back(material.power);
    x.numbers.insert(x.numbers.end(), material.specular.begin(), material.specular.end());
    x.numbers.insert(x.numbers.end(), material.emissive.begin(), material.emissive.end());
    if (!material.texture.empty()) {
      x.children.push_back(Object("TextureFilename"));
      x.children.back().strings = {material.texture};
    }
    list.children.push_back(std::move(x));
  }
  mesh.children = {std::move(normals), std::move(coords), std::move(list)};

  d3dx::XFileDocument document;
  document.templates = d3dx::StandardXTemplates();
  XDataObject root = Object("Frame", frame);
  root.children.push_back(std::move(mesh));
  document.objects.push_back(std::move(root));
  d3dx::WriteXTextFile(document, path);
}
