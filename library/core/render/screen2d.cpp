#include "library/core/render/screen2d.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "library/core/frame/buffers.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/atmosphere.h"
#include "library/core/render/texture_font.h"
#include "library/core/vortanautil.h"

using namespace d3d;

bool InScreen2D = false;

namespace {

constexpr int32_t kItemSlots = 100;  // the first is an empty sentinel, never drawn
constexpr int32_t kVertexStoreSize = 1024;
// A batch whose vertex count passes this is drawn at once and a new one opened, so that the store
// never fills in normal use.
constexpr int32_t kFlushVertexCount = 900;
constexpr int32_t kTextItemType = -1;
constexpr int32_t kFirstTextCapacity = 2;  // text records; the array doubles when full
// Every queued vertex lies just in front of the viewer, whatever the depth range.
constexpr float kScreenDepth = 0.001f;
constexpr float kRadiansPerDegree = 0.017453f;
constexpr float kFullTurnDegrees = 360.0f;
// Moves a textured quad's corners so that texel centres meet pixel centres.
constexpr float kTexelCentreShift = -0.5f;  // pixels
constexpr int32_t kQuadVertices = 6;
constexpr int32_t kOutlineVertices = 5;
// The largest circle the store holds in one item: a fan's centre and closing vertex come on top.
constexpr int32_t kMaxCircleSegments = kVertexStoreSize - 2;

// One draw call of the flush, or one text item (type kTextItemType, texture = its text record).
struct QueueItem {
  int32_t type;
  int32_t texture;
  int32_t unused;
  int32_t firstVertex;
  int32_t primitiveCount;
};
static_assert(sizeof(QueueItem) == 20);

struct Queue {
  std::array<QueueItem, kItemSlots> items{};
  int32_t itemCount = 1;  // the sentinel included; the last one is the current item
  std::array<Screen2DVertex, kVertexStoreSize> vertices{};
  int32_t vertexCount = 0;
  Screen2DTextItem* texts = nullptr;
  int32_t textCapacity = 0;
  int32_t textCount = 0;
};

Queue Screen2DQueue;

// Every vertex starts from this, so that vertices queued before Screen2D_Init are drawn as well.
constexpr Screen2DVertex kVertexTemplate = {0.0f, 0.0f, kScreenDepth, kScreenDepth, 0, 0.0f, 0.0f};

Screen2DVertex Vertex(float x, float y, D3DCOLOR color, float u = 0.0f, float v = 0.0f) {
  Screen2DVertex vertex = kVertexTemplate;
  vertex.x = x;
  vertex.y = y;
  vertex.color = color;
  vertex.u = u;
  vertex.v = v;
  return vertex;
}

QueueItem& CurrentItem() { return Screen2DQueue.items[Screen2DQueue.itemCount - 1]; }

void FlushAndReopen() {
  Screen2D_End();
  Screen2D_Start();
}

// The item that takes vertexCount more vertices: the current one when the primitive may merge and
// the kind and texture match, else a new one. A batch whose store or item table cannot take them
// is drawn first.
QueueItem& ItemFor(int32_t type, int32_t texture, bool merge, int32_t vertexCount) {
  Queue& queue = Screen2DQueue;
  bool continues = merge && CurrentItem().type == type && CurrentItem().texture == texture;
  if (queue.vertexCount + vertexCount > kVertexStoreSize ||
      (!continues && queue.itemCount == kItemSlots)) {
    FlushAndReopen();
    continues = false;
  }
  if (!continues) queue.items[queue.itemCount++] = {type, texture, 0, queue.vertexCount, 0};
  return CurrentItem();
}

// Queues vertices as primitives of one item. flushTest draws the batch when it has passed
// kFlushVertexCount vertices.
void Append(D3DPRIMITIVETYPE type, int32_t texture, bool merge,
            std::span<const Screen2DVertex> vertices, int32_t primitives, bool flushTest = true) {
  const auto count = static_cast<int32_t>(vertices.size());
  QueueItem& item = ItemFor(type, texture, merge, count);
  std::copy(vertices.begin(), vertices.end(),
            Screen2DQueue.vertices.begin() + Screen2DQueue.vertexCount);
  Screen2DQueue.vertexCount += count;
  item.primitiveCount += primitives;
  if (flushTest && Screen2DQueue.vertexCount > kFlushVertexCount) FlushAndReopen();
}

// The four corners of a quad in the order top-left, top-right, bottom-left, bottom-right, as two
// triangles.
void AppendQuad(const std::array<Screen2DVertex, 4>& corners, int32_t texture) {
  const std::array<Screen2DVertex, kQuadVertices> triangles = {corners[0], corners[1], corners[2],
                                                               corners[1], corners[2], corners[3]};
  Append(D3DPT_TRIANGLELIST, texture, true, triangles, 2);
}

void AppendOutline(float x1, float y1, float x2, float y2, D3DCOLOR topLeft, D3DCOLOR topRight,
                   D3DCOLOR bottomLeft, D3DCOLOR bottomRight) {
  const std::array<Screen2DVertex, kOutlineVertices> outline = {
      Vertex(x1, y1, topLeft), Vertex(x2, y1, topRight), Vertex(x2, y2, bottomRight),
      Vertex(x1, y2, bottomLeft), Vertex(x1, y1, topLeft)};
  Append(D3DPT_LINESTRIP, 0, false, outline, kOutlineVertices - 1);
}

// segments + 1 rim vertices after the given first ones; the last closes the rim on the first.
void AppendCircle(D3DPRIMITIVETYPE type, std::span<const Screen2DVertex> first, float x, float y,
                  float radius, int32_t segments, D3DCOLOR color) {
  std::array<Screen2DVertex, kVertexStoreSize> circle;
  std::copy(first.begin(), first.end(), circle.begin());
  const size_t rimStart = first.size();
  const float step = kFullTurnDegrees / static_cast<float>(segments);
  for (int32_t i = 0; i < segments; ++i) {
    const float angle = static_cast<float>(i) * step * kRadiansPerDegree;
    circle[rimStart + static_cast<size_t>(i)] =
        Vertex(std::cos(angle) * radius + x, std::sin(angle) * radius + y, color);
  }
  const size_t count = rimStart + static_cast<size_t>(segments) + 1;
  circle[count - 1] = circle[rimStart];
  Append(type, 0, false, std::span(circle).first(count), segments);
}

bool GrowTexts() {
  Queue& queue = Screen2DQueue;
  const int32_t capacity = queue.textCapacity == 0 ? kFirstTextCapacity : queue.textCapacity * 2;
  void* block = queue.texts;
  if (!Util_ResizeBuffer(&block, static_cast<size_t>(queue.textCapacity) * sizeof(Screen2DTextItem),
                         static_cast<size_t>(capacity) * sizeof(Screen2DTextItem))) {
    return false;
  }
  queue.texts = static_cast<Screen2DTextItem*>(block);
  queue.textCapacity = capacity;
  return true;
}

// The flush's texture before any item has applied one, and after a text item bound its own.
constexpr int32_t kNoTextureApplied = -1;

}  // namespace

int32_t Screen2D_Init() { return 1; }

int32_t Screen2D_OnLost() { return 1; }

int32_t Screen2D_Start() {
  Screen2D_Discard();
  InScreen2D = true;
  return 1;
}

void Screen2D_Discard() {
  Screen2DQueue.itemCount = 1;
  Screen2DQueue.vertexCount = 0;
  Screen2DQueue.textCount = 0;
  InScreen2D = false;
}

int32_t Screen2D_End() {
  InScreen2D = false;
  Queue& queue = Screen2DQueue;
  if (queue.itemCount == 1 || CurrentDevice == nullptr) return 1;
  CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 0);
  CurrentDevice->SetRenderState(D3DRS_SPECULARENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_FOGENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  CurrentDevice->SetVertexShader(kScreen2DFvf);
  int32_t applied = kNoTextureApplied;
  for (int32_t index = 1; index < queue.itemCount; ++index) {
    const QueueItem& item = queue.items[static_cast<size_t>(index)];
    if (item.type == kTextItemType) {
      Font_RenderTextItem(queue.texts[item.texture]);
      applied = kNoTextureApplied;
      continue;
    }
    if (item.texture != applied) {
      TextureFactory_ApplyTexture(0, item.texture);
      applied = item.texture;
    }
    // A run of fans (a sky of stars, each its own circle) goes to the device as one list.
    int32_t last = index;
    while (item.type == D3DPT_TRIANGLEFAN && last + 1 < queue.itemCount &&
           queue.items[static_cast<size_t>(last + 1)].type == D3DPT_TRIANGLEFAN &&
           queue.items[static_cast<size_t>(last + 1)].texture == item.texture)
      ++last;
    if (last > index) {
      std::vector<Screen2DVertex> triangles;
      for (int32_t fan = index; fan <= last; ++fan) {
        const QueueItem& part = queue.items[static_cast<size_t>(fan)];
        const Screen2DVertex* v = &queue.vertices[static_cast<size_t>(part.firstVertex)];
        for (int32_t t = 0; t < part.primitiveCount; ++t)
          triangles.insert(triangles.end(), {v[0], v[t + 1], v[t + 2]});
      }
      CurrentDevice->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(triangles.size() / 3),
                                     triangles.data(), sizeof(Screen2DVertex));
      index = last;
      continue;
    }
    CurrentDevice->DrawPrimitiveUP(
        static_cast<D3DPRIMITIVETYPE>(item.type), static_cast<UINT>(item.primitiveCount),
        &queue.vertices[static_cast<size_t>(item.firstVertex)], sizeof(Screen2DVertex));
  }
  queue.textCount = 0;
  CurrentDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  CurrentDevice->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  LightFactory_ApplySpecularLighting();
  Atmosphere_ApplyFog();
  return 1;
}

int32_t Screen2D_DrawPoint(float x, float y, uint32_t color) {
  const Screen2DVertex point = Vertex(x, y, color);
  Append(D3DPT_POINTLIST, 0, true, std::span(&point, 1), 1, false);
  return 1;
}

int32_t Screen2D_DrawLine(float x1, float y1, float x2, float y2, uint32_t color1,
                          uint32_t color2) {
  const std::array<Screen2DVertex, 2> line = {Vertex(x1, y1, color1), Vertex(x2, y2, color2)};
  Append(D3DPT_LINELIST, 0, true, line, 1);
  return 1;
}

int32_t Screen2D_DrawBox(float x1, float y1, float x2, float y2, uint32_t color) {
  AppendOutline(x1, y1, x2, y2, color, color, color, color);
  return 1;
}

int32_t Screen2D_DrawBox2(float x1, float y1, float x2, float y2, uint32_t topLeft,
                          uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
  AppendOutline(x1, y1, x2, y2, topLeft, topRight, bottomLeft, bottomRight);
  return 1;
}

int32_t Screen2D_DrawFilledBox(float x1, float y1, float x2, float y2, uint32_t topLeft,
                               uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
  AppendQuad({Vertex(x1, y1, topLeft), Vertex(x2, y1, topRight), Vertex(x1, y2, bottomLeft),
              Vertex(x2, y2, bottomRight)},
             0);
  return 1;
}

int32_t Screen2D_DrawCircle(float x, float y, float radius, int32_t segments, uint32_t color) {
  if (segments < 1) return 0;
  AppendCircle(D3DPT_LINESTRIP, {}, x, y, radius, std::min(segments, kMaxCircleSegments), color);
  return 1;
}

int32_t Screen2D_DrawFilledCircle(float x, float y, float radius, int32_t segments,
                                  uint32_t color) {
  if (segments < 1) return 0;
  const Screen2DVertex centre = Vertex(x, y, color);
  AppendCircle(D3DPT_TRIANGLEFAN, std::span(&centre, 1), x, y, radius,
               std::min(segments, kMaxCircleSegments), color);
  return 1;
}

int32_t Screen2D_DrawTexture(float x1, float y1, float x2, float y2, uint32_t topLeft,
                             uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight, float u1,
                             float v1, float u2, float v2, int32_t texture) {
  x1 += kTexelCentreShift;
  y1 += kTexelCentreShift;
  x2 += kTexelCentreShift;
  y2 += kTexelCentreShift;
  AppendQuad({Vertex(x1, y1, topLeft, u1, v1), Vertex(x2, y1, topRight, u2, v1),
              Vertex(x1, y2, bottomLeft, u1, v2), Vertex(x2, y2, bottomRight, u2, v2)},
             texture);
  return 1;
}

int32_t Screen2D_DrawRotatedTexture(float x, float y, float width, float height, uint32_t topLeft,
                                    uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight,
                                    float u1, float v1, float u2, float v2, float angle,
                                    int32_t texture) {
  const float cosine = std::cos(angle);
  const float sine = std::sin(angle);
  const auto corner = [&](float cornerX, float cornerY, D3DCOLOR color, float u, float v) {
    return Vertex(cornerX * cosine - cornerY * sine + x, cornerX * sine + cornerY * cosine + y,
                  color, u, v);
  };
  const float halfWidth = width / 2.0f;
  const float halfHeight = height / 2.0f;
  AppendQuad({corner(-halfWidth, -halfHeight, topLeft, u1, v1),
              corner(halfWidth, -halfHeight, topRight, u2, v1),
              corner(-halfWidth, halfHeight, bottomLeft, u1, v2),
              corner(halfWidth, halfHeight, bottomRight, u2, v2)},
             texture);
  return 1;
}

int32_t Screen2D_AddInnerText(int32_t font, float x, float y, const char* text, uint32_t color) {
  Queue& queue = Screen2DQueue;
  if (queue.textCount == queue.textCapacity && !GrowTexts()) return 0;
  // The item first: when the item table is full it draws the batch, which empties the texts.
  QueueItem& item = ItemFor(kTextItemType, queue.textCount, false, 0);
  item.texture = queue.textCount;
  Screen2DTextItem& record = queue.texts[queue.textCount++];
  CopyToField(record.text, sizeof record.text, text != nullptr ? text : "");
  record.color = color;
  record.x = x;
  record.y = y;
  record.font = font;
  return 0;
}
