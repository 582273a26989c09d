// The two path finders for the caller's actors: Dijkstra's method over waypoint graphs the caller
// gives (the AI_ exports), and A* over square penalty grids (the AStar_ exports). Callers compare
// the paths they get, so the scan orders, tie rules and heap rules are kept exactly; the guards
// against bad input and endless loops change no path.
//
// A grid image: any image the device layer reads, taken pixel for pixel (no scaling) into a side x
// side grid: opaque pure red blocks a cell, any other pixel's blue byte is its penalty (0 to 255).
// The grid dump "c:\path.bmp" shows blocked cells red and the others grey by their penalty.
#include "library/core/geometry/path_search.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/filter.h"
#include "platform/d3dx/image_file.h"
#include "platform/d3dx/texture.h"
#include "platform/win/performance_counter.h"

using namespace d3d;

namespace {

// ---- Waypoint graphs

constexpr float kUnsettledCost = -1.0f;
constexpr float kUnreachedCost = 999999.0f;
constexpr float kNoChoiceYet = 100000000.0f;
constexpr float kLinkCostTolerance = 1.0f;  // how closely a link must explain a cost difference
constexpr int64_t kWalkBackLimitMs = 1000;
constexpr int32_t kNotSettled = -1;

struct WaypointNode {
  float x, y, z;                     // kept for the caller; the search does not use them
  float cost;                        // settled cost from the start, kUnsettledCost before
  int32_t links[kMaxWaypointLinks];  // node indices
  float linkCosts[kMaxWaypointLinks];
  int32_t linkCount;
  int32_t index;
  int32_t visitOrder;  // kNotSettled, else the order of settling, the start being 1
  float tentative;
};

struct AIGraph {
  int32_t inUse = 0;
  std::vector<WaypointNode> nodes;
  std::vector<int32_t> pathBuffer;
  int32_t nodeCount = 0;
};

std::vector<AIGraph> AIGraphTable;

int64_t Milliseconds() {
  return win::QueryPerformanceCounter() / (win::PerformanceCounterFrequency / 1000);
}

AIGraph* Graph(int32_t identifier, const char* operation) {
  if (identifier < 0 || static_cast<size_t>(identifier) >= AIGraphTable.size() ||
      AIGraphTable[static_cast<size_t>(identifier)].inUse == 0) {
    AddLog("AI : %s : graph %d doesn't exist", operation, identifier);
    return nullptr;
  }
  return &AIGraphTable[static_cast<size_t>(identifier)];
}

bool ValidInput(const WaypointNodeInput* input, int32_t count) {
  if (input == nullptr || count < 1) return false;
  for (int32_t i = 0; i < count; ++i) {
    if (input[i].linkCount < 0 || input[i].linkCount > kMaxWaypointLinks) return false;
    for (int32_t j = 0; j < input[i].linkCount; ++j) {
      if (input[i].targets[j] < 0 || input[i].targets[j] >= count) return false;
    }
  }
  return true;
}

// Settles nodes from the start until the goal is settled; false when nothing more can be chosen.
bool Settle(std::vector<WaypointNode>& nodes, int32_t start, int32_t goal) {
  for (WaypointNode& node : nodes) {
    node.cost = kUnsettledCost;
    node.visitOrder = kNotSettled;
    node.tentative = kUnreachedCost;
  }
  nodes[static_cast<size_t>(start)].cost = 0.0f;
  nodes[static_cast<size_t>(start)].visitOrder = 1;
  nodes[static_cast<size_t>(start)].tentative = 0.0f;
  int32_t order = 1;
  WaypointNode* current = &nodes[static_cast<size_t>(start)];
  for (;;) {
    for (int32_t j = 0; j < current->linkCount; ++j) {
      WaypointNode& target = nodes[static_cast<size_t>(current->links[j])];
      target.tentative = std::min(target.tentative, current->cost + current->linkCosts[j]);
    }
    // Ties go to the lowest index; nodes never reached are chosen once nothing cheaper is left.
    WaypointNode* chosen = nullptr;
    float best = kNoChoiceYet;
    for (WaypointNode& node : nodes) {
      if (node.visitOrder == kNotSettled && node.tentative >= 0.0f && node.tentative < best) {
        chosen = &node;
        best = node.tentative;
      }
    }
    if (chosen == nullptr) return false;
    chosen->cost = chosen->tentative;
    chosen->visitOrder = ++order;
    if (chosen->index == goal) return true;
    current = chosen;
  }
}

// ---- Grids

constexpr int32_t kGridCount = 10;
constexpr int32_t kBlocked = -1;
constexpr D3DCOLOR kBlockedPixel = 0xFFFF0000;  // opaque pure red
constexpr D3DCOLOR kOpaque = 0xFF000000;
constexpr D3DCOLOR kGreyStep = 0x010101;
constexpr int32_t kMaxPathCells = 300;  // cells appended to the goal: at most 301 points
constexpr int32_t kMaxGridSide = 4096;
constexpr const char* kGridDumpFile = "c:\\path.bmp";

struct GridOpenEntry {
  int32_t x, y, priority;
};

// A binary min-heap stored from index 1.
struct GridOpenList {
  std::vector<GridOpenEntry> entries{GridOpenEntry{}};

  bool Empty() const { return entries.size() <= 1; }
  void Clear() { entries.resize(1); }
  void Push(GridOpenEntry entry) {
    entries.push_back(entry);
    size_t at = entries.size() - 1;
    while (at > 1 && entries[at].priority < entries[at / 2].priority) {
      std::swap(entries[at], entries[at / 2]);
      at /= 2;
    }
  }
  GridOpenEntry Pop() {
    const GridOpenEntry top = entries[1];
    entries[1] = entries.back();
    entries.pop_back();
    const size_t count = entries.size() - 1;
    size_t at = 1;
    while (2 * at <= count) {
      size_t child = 2 * at;
      if (child + 1 <= count && entries[child + 1].priority < entries[child].priority) ++child;
      if (entries[at].priority < entries[child].priority) break;
      std::swap(entries[at], entries[child]);
      at = child;
    }
    return top;
  }
};

struct AStarGrid {
  int32_t* cells = nullptr;  // the caller's side x side cells, row by row
  int32_t side = 0;
  GridOpenList open;
  std::vector<int32_t> cost;  // 0 = not reached
};

AStarGrid AStarGridTable[kGridCount];

AStarGrid* Grid(int32_t identifier, const char* operation) {
  if (identifier < 0 || identifier >= kGridCount || AStarGridTable[identifier].cells == nullptr) {
    AddLog("ASTAR : %s : grid %d isn't initialised", operation, identifier);
    return nullptr;
  }
  return &AStarGridTable[identifier];
}

bool Inside(const AStarGrid& grid, int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x < grid.side && y < grid.side;
}

size_t Cell(const AStarGrid& grid, int32_t x, int32_t y) {
  return static_cast<size_t>(y) * static_cast<size_t>(grid.side) + static_cast<size_t>(x);
}

// Calls visit(i, j) for the open neighbours of (x, y): i outer, j inner, as the paths depend on.
template <class Visit>
bool ForEachNeighbour(const AStarGrid& grid, int32_t x, int32_t y, Visit visit) {
  for (int32_t i = x - 1; i <= x + 1; ++i) {
    for (int32_t j = y - 1; j <= y + 1; ++j) {
      if (!Inside(grid, i, j) || (i == x && j == y) || grid.cells[Cell(grid, i, j)] == kBlocked) {
        continue;
      }
      if (visit(i, j)) return true;
    }
  }
  return false;
}

// Fills the cost array from the start until the goal is first reached.
void Search(AStarGrid& grid, int32_t sx, int32_t sy, int32_t gx, int32_t gy) {
  std::fill(grid.cost.begin(), grid.cost.end(), 0);
  grid.open.Clear();
  grid.cost[Cell(grid, sx, sy)] = 1;
  grid.open.Push({sx, sy, std::abs(gx - sx) + std::abs(gy - sy)});
  while (!grid.open.Empty()) {
    const GridOpenEntry at = grid.open.Pop();
    const int32_t here = grid.cost[Cell(grid, at.x, at.y)] + grid.cells[Cell(grid, at.x, at.y)];
    const bool reached = ForEachNeighbour(grid, at.x, at.y, [&](int32_t i, int32_t j) {
      const int32_t candidate = std::abs(i - at.x) + std::abs(j - at.y) + here;
      int32_t& cost = grid.cost[Cell(grid, i, j)];
      if (candidate < cost || cost == 0) {
        cost = candidate;
        grid.open.Push({i, j, candidate + std::abs(gx - i) + std::abs(gy - j)});
        return i == gx && j == gy;
      }
      return false;
    });
    if (reached) return;
  }
}

IDirect3DSurface8* GridSurface(const AStarGrid& grid) {
  IDirect3DSurface8* surface = nullptr;
  if (CurrentDevice == nullptr ||
      FAILED(CurrentDevice->CreateImageSurface(
          static_cast<UINT>(grid.side), static_cast<UINT>(grid.side), D3DFMT_A8R8G8B8, &surface))) {
    AddLog("ASTAR : No image surface of %d x %d can be made", grid.side, grid.side);
    return nullptr;
  }
  return surface;
}

D3DCOLOR* Row(const D3DLOCKED_RECT& locked, int32_t y) {
  return reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) +
                                     static_cast<ptrdiff_t>(y) * locked.Pitch);
}

}  // namespace

int32_t AI_Create(int32_t identifier) {
  if (identifier < 0) {
    AddLog("AI : AI_Create : %d is no identifier", identifier);
    return 0;
  }
  if (static_cast<size_t>(identifier) >= AIGraphTable.size()) {
    AIGraphTable.resize(static_cast<size_t>(identifier) + 1);
  }
  AIGraph& graph = AIGraphTable[static_cast<size_t>(identifier)];
  graph = AIGraph{};
  graph.inUse = 1;
  return 1;
}

int32_t AI_AddGraph(int32_t identifier, const WaypointNodeInput* input, int32_t count) {
  AIGraph* graph = Graph(identifier, "AI_AddGraph");
  if (graph == nullptr) return 0;
  if (!ValidInput(input, count)) {
    AddLog("AI : AI_AddGraph : graph %d has links outside its %d nodes", identifier, count);
    return 0;
  }
  graph->nodes.assign(static_cast<size_t>(count), WaypointNode{});
  graph->pathBuffer.assign(static_cast<size_t>(count), 0);
  graph->nodeCount = count;
  for (int32_t i = 0; i < count; ++i) {
    WaypointNode& node = graph->nodes[static_cast<size_t>(i)];
    node.index = i;
    node.x = input[i].x;
    node.y = input[i].y;
    node.z = input[i].z;
    node.linkCount = input[i].linkCount;
    for (int32_t j = 0; j < node.linkCount; ++j) {
      node.links[j] = input[i].targets[j];
      node.linkCosts[j] = input[i].costs[j];
    }
  }
  return 1;
}

int32_t AI_CheckPath(int32_t identifier, int32_t start, int32_t goal, int32_t* path,
                     int32_t* count) {
  AIGraph* graph = Graph(identifier, "AI_CheckPath");
  if (graph == nullptr || path == nullptr || count == nullptr || start < 0 || goal < 0 ||
      start >= graph->nodeCount || goal >= graph->nodeCount) {
    return 0;
  }
  *count = 0;
  if (start == goal) return 1;
  std::vector<WaypointNode>& nodes = graph->nodes;
  if (!Settle(nodes, start, goal)) return 0;
  // Back from the goal along links that explain the settled costs. The collected path never
  // exceeds the node count, and the time limit stays as a guard.
  const int64_t began = Milliseconds();
  const WaypointNode* on = &nodes[static_cast<size_t>(goal)];
  int32_t collected = 0;
  while (Milliseconds() - began <= kWalkBackLimitMs) {
    if (on->index == start) {
      for (int32_t k = 0; k < collected; ++k) path[k] = graph->pathBuffer[collected - 1 - k];
      *count = collected;
      return 1;
    }
    const WaypointNode* next = nullptr;
    for (int32_t j = 0; j < on->linkCount && next == nullptr; ++j) {
      const WaypointNode& target = nodes[static_cast<size_t>(on->links[j])];
      if (target.visitOrder != kNotSettled &&
          std::fabs(on->cost - target.cost - on->linkCosts[j]) < kLinkCostTolerance) {
        next = &target;
      }
    }
    if (next == nullptr || collected == graph->nodeCount) break;
    graph->pathBuffer[static_cast<size_t>(collected++)] = next->index;
    on = next;
  }
  *count = collected;
  return 0;
}

int32_t AI_Unload(int32_t identifier) {
  if (identifier < 0 || static_cast<size_t>(identifier) >= AIGraphTable.size()) return 0;
  AIGraphTable[static_cast<size_t>(identifier)] = AIGraph{};
  return 1;
}

int32_t AI_UnloadAll() {
  AIGraphTable.clear();
  AIGraphTable.shrink_to_fit();
  return 1;
}

void AStar_FreeAll() {
  for (AStarGrid& grid : AStarGridTable) grid = AStarGrid{};
}

int32_t AStar_Init(int32_t identifier, int32_t side, int32_t* cells) {
  if (identifier < 0 || identifier >= kGridCount || side < 1 || side > kMaxGridSide ||
      cells == nullptr) {
    AddLog("ASTAR : AStar_Init : grid %d of side %d can't be made", identifier, side);
    return 0;
  }
  AStarGrid& grid = AStarGridTable[identifier];
  grid = AStarGrid{};
  grid.cells = cells;
  grid.side = side;
  grid.cost.assign(static_cast<size_t>(side) * static_cast<size_t>(side), 0);
  // The open list holds pushes again whenever a cost improves: it starts at two entries a cell and
  // grows beyond that if it must.
  grid.open.entries.reserve(2 * grid.cost.size() + 1);
  return 1;
}

int32_t AStar_Load(int32_t identifier, const char* file) {
  AStarGrid* grid = Grid(identifier, "AStar_Load");
  if (grid == nullptr || file == nullptr) return 0;
  IDirect3DSurface8* surface = GridSurface(*grid);
  if (surface == nullptr) return 0;
  D3DLOCKED_RECT locked{};
  const bool read =
      SUCCEEDED(d3dx::D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, HostPath(file).c_str(),
                                               nullptr, d3dx::D3DX_FILTER_NONE, 0, nullptr)) &&
      SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  if (read) {
    for (int32_t y = 0; y < grid->side; ++y) {
      const D3DCOLOR* row = Row(locked, y);
      for (int32_t x = 0; x < grid->side; ++x) {
        constexpr D3DCOLOR kBlueByte = 0xFF;
        grid->cells[Cell(*grid, x, y)] =
            row[x] == kBlockedPixel ? kBlocked : static_cast<int32_t>(row[x] & kBlueByte);
      }
    }
    surface->UnlockRect();
  } else {
    AddLog("ASTAR : AStar_Load : %s can't be read", file);
  }
  surface->Release();
  return read ? 1 : 0;
}

int32_t AStar_FindPath(int32_t identifier, int32_t startX, int32_t startY, int32_t goalX,
                       int32_t goalY, int32_t* xs, int32_t* ys) {
  AStarGrid* grid = Grid(identifier, "AStar_FindPath");
  if (grid == nullptr || xs == nullptr || ys == nullptr || !Inside(*grid, startX, startY) ||
      !Inside(*grid, goalX, goalY)) {
    return 0;
  }
  Search(*grid, startX, startY, goalX, goalY);
  const int32_t goalCost = grid->cost[Cell(*grid, goalX, goalY)];
  if (goalCost == 0) return 0;
  std::vector<int32_t> pathX{goalX}, pathY{goalY};
  int32_t x = goalX, y = goalY;
  for (;;) {
    int32_t best = goalCost, bestX = -1, bestY = -1;
    ForEachNeighbour(*grid, x, y, [&](int32_t i, int32_t j) {
      const int32_t cost = grid->cost[Cell(*grid, i, j)];
      if (cost != 0 && cost < best) {
        best = cost;
        bestX = i;
        bestY = j;
      }
      return false;
    });
    if (bestX < 0) return 0;
    pathX.push_back(bestX);
    pathY.push_back(bestY);
    x = bestX;
    y = bestY;
    if ((x == startX && y == startY) || static_cast<int32_t>(pathX.size()) > kMaxPathCells) break;
  }
  std::copy(pathX.begin(), pathX.end(), xs);
  std::copy(pathY.begin(), pathY.end(), ys);
  return static_cast<int32_t>(pathX.size());
}

int32_t AStar_Draw(int32_t identifier) {
  AStarGrid* grid = Grid(identifier, "AStar_Draw");
  if (grid == nullptr) return 0;
  IDirect3DSurface8* surface = GridSurface(*grid);
  if (surface == nullptr) return 0;
  D3DLOCKED_RECT locked{};
  bool saved = false;
  if (SUCCEEDED(surface->LockRect(&locked, nullptr, 0))) {
    for (int32_t y = 0; y < grid->side; ++y) {
      D3DCOLOR* row = Row(locked, y);
      for (int32_t x = 0; x < grid->side; ++x) {
        const int32_t cell = grid->cells[Cell(*grid, x, y)];
        constexpr DWORD kPenaltyMask = 0xFF;
        row[x] = cell == kBlocked ? kBlockedPixel
                                  : kOpaque | (static_cast<DWORD>(cell) & kPenaltyMask) * kGreyStep;
      }
    }
    surface->UnlockRect();
    saved = SUCCEEDED(d3dx::D3DXSaveSurfaceToFileA(HostPath(kGridDumpFile).c_str(),
                                                   d3dx::D3DXIFF_BMP, surface, nullptr, nullptr));
  }
  surface->Release();
  return saved ? 1 : 0;
}
