// The small value records of a 3DS file, laid out exactly as they lie in the file so that arrays of
// them are read and written as one block on this little-endian host.
#pragma once

#include <cstdint>
#include <type_traits>

using ulong3ds = uint32_t;
using ushort3ds = uint16_t;

struct point3ds {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  bool operator==(const point3ds&) const = default;
};

struct fcolor3ds {
  float r = 0.0f, g = 0.0f, b = 0.0f;
  bool operator==(const fcolor3ds&) const = default;
};

struct textvert3ds {
  float u = 0.0f, v = 0.0f;
  bool operator==(const textvert3ds&) const = default;
};

// Three vertex indexes and the face's edge-visibility and wrap flags.
struct face3ds {
  uint16_t v1 = 0, v2 = 0, v3 = 0, flag = 0;
  bool operator==(const face3ds&) const = default;
};

// Spline flags of a key: which of the five optional floats follow the frame number.
enum KeySplineFlag3ds : uint16_t {
  KEY_USE_TENS = 0x01,
  KEY_USE_CONT = 0x02,
  KEY_USE_BIAS = 0x04,
  KEY_USE_EASE_TO = 0x08,
  KEY_USE_EASE_FROM = 0x10,
};

struct keyheader3ds {
  uint32_t time = 0;  // frame number
  uint16_t rflags = 0;
  float tension = 0.0f, continuity = 0.0f, bias = 0.0f, easeto = 0.0f, easefrom = 0.0f;
  bool operator==(const keyheader3ds&) const = default;
};

struct trackheader3ds {
  uint16_t flags = 0;
  uint32_t nu1 = 0, nu2 = 0;  // reserved
  uint32_t keycount = 1;
  bool operator==(const trackheader3ds&) const = default;
};

static_assert(sizeof(point3ds) == 12 && std::is_trivially_copyable_v<point3ds>);
static_assert(sizeof(textvert3ds) == 8 && std::is_trivially_copyable_v<textvert3ds>);
static_assert(sizeof(face3ds) == 8 && std::is_trivially_copyable_v<face3ds>);

// Frees a record made by one of the toolkit's inits or gets, leaving the caller's pointer none.
template <typename Record>
void ReleaseRecord3ds(Record** out) {
  if (out == nullptr) return;
  delete *out;
  *out = nullptr;
}
