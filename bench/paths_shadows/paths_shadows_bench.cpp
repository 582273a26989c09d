// The path searches and the shadow-volume edge list against plain peers doing the same work in one
// run:
// - BM_AStarGrid: AStar_FindPath across a 512 x 512 grid with scattered walls (no closed set, a
//   cell pushed again whenever its cost improves), against a plain A* with a closed set and the
//   same step costs and estimate;
// - BM_WaypointDijkstra: AI_CheckPath over a graph of 2,000 nodes (the next node by a scan of all
//   nodes, then the walk back), against Dijkstra with a binary heap and parent links;
// - BM_ShadowEdges: ShadowVolume_BuildEdgesList of a 20,000-face mesh, against a hash-based
//   neighbour match written here, whose neighbours are checked equal first.
// Each reports plain_ratio, the library's time over its peer's. The peers are timed in alternating
// blocks, so that a change in the machine's load falls on both alike.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <queue>
#include <random>
#include <unordered_map>
#include <vector>

#include "bench/alternating_blocks.h"
#include "library/core/geometry/shadow_volume.h"
#include "library/core/vortanautil.h"

namespace {

using bench::Alternate;

// ---- Grid

constexpr int32_t kSide = 512;
constexpr double kWallShare = 0.2;

std::vector<int32_t> ScatteredWalls() {
  std::mt19937 random(20);
  std::bernoulli_distribution wall(kWallShare);
  std::vector<int32_t> cells(size_t{kSide} * kSide);
  for (int32_t& cell : cells) cell = wall(random) ? -1 : 0;
  cells.front() = 0;
  cells.back() = 0;
  return cells;
}

// A* with a closed set: each cell expanded once, with the library's step costs (1 straight, 2
// diagonal, plus the penalty of the cell left) and its Manhattan estimate.
int32_t PlainAStar(const std::vector<int32_t>& cells, int32_t gx, int32_t gy) {
  struct Entry {
    int32_t priority, cell;
    bool operator>(const Entry& other) const { return priority > other.priority; }
  };
  std::vector<int32_t> cost(cells.size(), 0);
  std::vector<bool> closed(cells.size(), false);
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
  cost[0] = 1;
  open.push({gx + gy, 0});
  while (!open.empty()) {
    const int32_t at = open.top().cell;
    open.pop();
    if (closed[static_cast<size_t>(at)]) continue;
    closed[static_cast<size_t>(at)] = true;
    const int32_t x = at % kSide, y = at / kSide;
    if (x == gx && y == gy) return cost[static_cast<size_t>(at)];
    for (int32_t i = x - 1; i <= x + 1; ++i) {
      for (int32_t j = y - 1; j <= y + 1; ++j) {
        if (i < 0 || j < 0 || i >= kSide || j >= kSide || (i == x && j == y)) continue;
        const auto next = static_cast<size_t>(j * kSide + i);
        if (cells[next] == -1 || closed[next]) continue;
        const int32_t candidate = std::abs(i - x) + std::abs(j - y) +
                                  cost[static_cast<size_t>(at)] + cells[static_cast<size_t>(at)];
        if (cost[next] == 0 || candidate < cost[next]) {
          cost[next] = candidate;
          open.push({candidate + std::abs(gx - i) + std::abs(gy - j), static_cast<int32_t>(next)});
        }
      }
    }
  }
  return 0;
}

void BM_AStarGrid(benchmark::State& state) {
  std::vector<int32_t> cells = ScatteredWalls();
  AStar_Init(0, kSide, cells.data());
  std::vector<int32_t> xs(301), ys(301);
  int32_t points = 0, peerCost = 0;
  Alternate(
      state, [&] { points = AStar_FindPath(0, 0, 0, kSide - 1, kSide - 1, xs.data(), ys.data()); },
      [&] { peerCost = PlainAStar(cells, kSide - 1, kSide - 1); });
  state.counters["points"] = points;
  state.counters["peer_cost"] = peerCost;
}
BENCHMARK(BM_AStarGrid)->Unit(benchmark::kMillisecond)->UseManualTime();

// ---- Waypoint graph

constexpr int32_t kColumns = 50;
constexpr int32_t kRows = 40;  // 2,000 nodes

std::vector<WaypointNodeInput> WaypointGrid() {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> cost(1, 10);
  std::vector<WaypointNodeInput> nodes(size_t{kColumns} * kRows, WaypointNodeInput{});
  auto link = [&](int32_t a, int32_t b) {
    const auto c = static_cast<float>(cost(random));
    for (auto [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
      WaypointNodeInput& node = nodes[static_cast<size_t>(from)];
      node.targets[node.linkCount] = to;
      node.costs[node.linkCount++] = c;
    }
  };
  for (int32_t r = 0; r < kRows; ++r) {
    for (int32_t c = 0; c < kColumns; ++c) {
      const int32_t n = r * kColumns + c;
      if (c + 1 < kColumns) link(n, n + 1);
      if (r + 1 < kRows) link(n, n + kColumns);
    }
  }
  return nodes;
}

int32_t HeapDijkstra(const std::vector<WaypointNodeInput>& nodes, int32_t start, int32_t goal,
                     std::vector<int32_t>& path) {
  std::vector<float> cost(nodes.size(), 1e30f);
  std::vector<int32_t> parent(nodes.size(), -1);
  using Entry = std::pair<float, int32_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
  cost[static_cast<size_t>(start)] = 0;
  open.push({0.0f, start});
  while (!open.empty()) {
    const auto [c, at] = open.top();
    open.pop();
    if (c > cost[static_cast<size_t>(at)]) continue;
    if (at == goal) break;
    const WaypointNodeInput& node = nodes[static_cast<size_t>(at)];
    for (int32_t j = 0; j < node.linkCount; ++j) {
      const auto target = static_cast<size_t>(node.targets[j]);
      if (c + node.costs[j] < cost[target]) {
        cost[target] = c + node.costs[j];
        parent[target] = at;
        open.push({cost[target], node.targets[j]});
      }
    }
  }
  path.clear();
  for (int32_t at = parent[static_cast<size_t>(goal)]; at >= 0;
       at = parent[static_cast<size_t>(at)]) {
    path.push_back(at);
  }
  return static_cast<int32_t>(path.size());
}

void BM_WaypointDijkstra(benchmark::State& state) {
  const std::vector<WaypointNodeInput> nodes = WaypointGrid();
  AI_Create(0);
  AI_AddGraph(0, nodes.data(), static_cast<int32_t>(nodes.size()));
  const int32_t goal = static_cast<int32_t>(nodes.size()) - 1;
  std::vector<int32_t> path(nodes.size()), peerPath;
  int32_t count = 0, peerCount = 0;
  Alternate(
      state, [&] { AI_CheckPath(0, 0, goal, path.data(), &count); },
      [&] { peerCount = HeapDijkstra(nodes, 0, goal, peerPath); });
  state.counters["path_nodes"] = count;
  state.counters["peer_path_nodes"] = peerCount;
  AI_UnloadAll();
}
BENCHMARK(BM_WaypointDijkstra)->Unit(benchmark::kMillisecond)->UseManualTime();

// ---- Shadow-volume edges

constexpr int32_t kQuadsPerSide = 100;  // 20,000 faces

struct GridMesh {
  std::vector<d3d::D3DVECTOR> positions;
  std::vector<uint16_t> indices;
};

GridMesh MakeGridMesh() {
  GridMesh mesh;
  for (int32_t z = 0; z <= kQuadsPerSide; ++z) {
    for (int32_t x = 0; x <= kQuadsPerSide; ++x) {
      mesh.positions.push_back({static_cast<float>(x), std::sin(0.3f * static_cast<float>(x + z)),
                                static_cast<float>(z)});
    }
  }
  const int32_t row = kQuadsPerSide + 1;
  for (int32_t z = 0; z < kQuadsPerSide; ++z) {
    for (int32_t x = 0; x < kQuadsPerSide; ++x) {
      const auto a = static_cast<uint16_t>(z * row + x);
      const auto b = static_cast<uint16_t>(a + 1), c = static_cast<uint16_t>(a + row),
                 d = static_cast<uint16_t>(c + 1);
      for (uint16_t i : {a, c, d, a, d, b}) mesh.indices.push_back(i);
    }
  }
  return mesh;
}

// Each edge's neighbour: the first earlier edge joining the same two vertices, found by a hash of
// the pair; the first edge of a pair takes the latest that found it, as an ordered search gives.
std::vector<int32_t> HashNeighbours(const std::vector<uint16_t>& indices) {
  std::vector<int32_t> neighbour(indices.size(), -1);
  std::unordered_map<uint32_t, int32_t> first;
  first.reserve(indices.size());
  for (size_t e = 0; e < indices.size(); ++e) {
    const uint16_t a = indices[e], b = indices[e % 3 == 2 ? e - 2 : e + 1];
    const uint32_t key = static_cast<uint32_t>(std::min(a, b)) << 16 | std::max(a, b);
    const auto [found, inserted] = first.try_emplace(key, static_cast<int32_t>(e));
    if (!inserted) {
      neighbour[e] = found->second;
      neighbour[static_cast<size_t>(found->second)] = static_cast<int32_t>(e);
    }
  }
  return neighbour;
}

void BM_ShadowEdges(benchmark::State& state) {
  const GridMesh mesh = MakeGridMesh();
  ShadowVolume_Create(0);
  ShadowVolume_InitShadowFromPointers(
      0, mesh.positions.data(), sizeof(d3d::D3DVECTOR), static_cast<int32_t>(mesh.positions.size()),
      mesh.indices.data(), static_cast<int32_t>(mesh.indices.size()), 0);
  const std::vector<int32_t> expected = HashNeighbours(mesh.indices);
  for (size_t e = 0; e < expected.size(); ++e) {
    if (ShadowVolumeTable[0].edges[e].neighbour != expected[e]) {
      state.SkipWithError("the neighbours differ from the peer's");
      return;
    }
  }
  std::vector<int32_t> peer;
  Alternate(
      state, [] { ShadowVolume_BuildEdgesList(0); }, [&] { peer = HashNeighbours(mesh.indices); });
  state.counters["faces"] = static_cast<double>(mesh.indices.size() / 3);
  ShadowVolume_FreeAll();
}
BENCHMARK(BM_ShadowEdges)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
