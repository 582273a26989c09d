// Waypoint graphs and grid path search through the exported interface.
#include <chrono>
#include <filesystem>
#include <utility>

#include "platform/d3dx/filter.h"
#include "platform/d3dx/texture.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;

class Paths : public LibraryTest {
 protected:
  void TearDown() override {
    for (int32_t graph = 0; graph < 4; ++graph) AI_Unload(graph);
    AI_UnloadAll();
    LibraryTest::TearDown();
  }
};

struct Link {
  int32_t from, to;
  float cost;
};

// A graph of count nodes whose links go both ways, each in the order given.
std::vector<WaypointNodeInput> Graph(int32_t count, const std::vector<Link>& links) {
  std::vector<WaypointNodeInput> nodes(static_cast<size_t>(count), WaypointNodeInput{});
  auto add = [&](int32_t from, int32_t to, float cost) {
    WaypointNodeInput& node = nodes[static_cast<size_t>(from)];
    node.targets[node.linkCount] = to;
    node.costs[node.linkCount++] = cost;
  };
  for (const Link& link : links) {
    add(link.from, link.to, link.cost);
    add(link.to, link.from, link.cost);
  }
  return nodes;
}

TEST_F(Paths, DijkstraFindsTheCheapestPathAndWalksItBack) {
  struct Case {
    const char* name;
    int32_t count;
    std::vector<Link> links;
    int32_t start, goal;
    int32_t result;
    std::vector<int32_t> path;
  };
  const Case cases[] = {
      {"chain", 3, {{0, 1, 5}, {1, 2, 5}}, 0, 2, 1, {0, 1}},
      // Two equal ways: 1 is settled first, and the walk back takes the goal's first fitting link.
      {"tie", 4, {{0, 1, 1}, {0, 2, 1}, {3, 2, 1}, {3, 1, 1}}, 0, 3, 1, {0, 2}},
      {"cheaper detour", 4, {{0, 3, 10}, {0, 1, 2}, {1, 2, 2}, {2, 3, 2}}, 0, 3, 1, {0, 1, 2}},
      {"start is goal", 2, {{0, 1, 1}}, 1, 1, 1, {}},
      {"unreachable", 4, {{0, 1, 1}, {2, 3, 1}}, 0, 3, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(AI_Create(2), 1);
    const auto nodes = Graph(c.count, c.links);
    ASSERT_EQ(AI_AddGraph(2, nodes.data(), c.count), 1);
    std::vector<int32_t> path(static_cast<size_t>(c.count), -1);
    int32_t count = -1;
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(AI_CheckPath(2, c.start, c.goal, path.data(), &count), c.result);
    // An unreachable goal is answered at once, not after the walk back's time limit.
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(200));
    if (c.result == 1) {
      ASSERT_EQ(count, static_cast<int32_t>(c.path.size()));
      EXPECT_EQ(std::vector<int32_t>(path.begin(), path.begin() + count), c.path);
    }
  }
}

TEST_F(Paths, BadGraphsAndNodesAreRefused) {
  int32_t path[4] = {}, count = 0;
  EXPECT_EQ(AI_CheckPath(0, 0, 1, path, &count), 0);  // no graph yet
  EXPECT_EQ(AI_Create(-1), 0);
  ASSERT_EQ(AI_Create(1), 1);
  auto nodes = Graph(2, {{0, 1, 1}});
  nodes[1].targets[0] = 7;
  EXPECT_EQ(AI_AddGraph(1, nodes.data(), 2), 0);
  nodes[1].targets[0] = 0;
  nodes[0].linkCount = kMaxWaypointLinks + 1;
  EXPECT_EQ(AI_AddGraph(1, nodes.data(), 2), 0);
  nodes[0].linkCount = 1;
  ASSERT_EQ(AI_AddGraph(1, nodes.data(), 2), 1);
  EXPECT_EQ(AI_CheckPath(1, 0, 2, path, &count), 0);
  EXPECT_EQ(AI_CheckPath(1, -1, 1, path, &count), 0);
  EXPECT_EQ(AI_CheckPath(1, 0, 1, nullptr, &count), 0);
  EXPECT_EQ(AI_Unload(5), 0);
  EXPECT_EQ(AI_Unload(1), 1);
  EXPECT_EQ(AI_CheckPath(1, 0, 1, path, &count), 0);
}

using Points = std::vector<std::pair<int32_t, int32_t>>;

Points FindPath(int32_t grid, int32_t sx, int32_t sy, int32_t gx, int32_t gy) {
  std::vector<int32_t> xs(301, -1), ys(301, -1);
  const int32_t n = AStar_FindPath(grid, sx, sy, gx, gy, xs.data(), ys.data());
  Points points;
  for (int32_t i = 0; i < n; ++i)
    points.emplace_back(xs[static_cast<size_t>(i)], ys[static_cast<size_t>(i)]);
  return points;
}

TEST_F(Paths, AStarWalksBackFromTheGoalRoundWallsAndPenalties) {
  std::vector<int32_t> cells(100, 0);
  ASSERT_EQ(AStar_Init(3, 10, cells.data()), 1);
  EXPECT_EQ(FindPath(3, 0, 0, 3, 0), (Points{{3, 0}, {2, 0}, {1, 0}, {0, 0}}));
  cells[3] = -1;  // the goal (3, 0) blocked
  EXPECT_TRUE(FindPath(3, 0, 0, 3, 0).empty());
  cells[3] = 0;
  const Points straight = FindPath(3, 0, 0, 9, 0);
  ASSERT_EQ(straight.size(), 10u);
  // Leaving a cell of the costly band in column 5 costs its penalty, so the cells beyond it are
  // reached cheapest round its open last row and the walk back bends towards there. It steps by
  // the cheapest neighbour, which may be a band cell itself: entering one costs nothing.
  for (int32_t y = 0; y < 9; ++y) cells[static_cast<size_t>(y * 10 + 5)] = 200;
  EXPECT_EQ(FindPath(3, 0, 0, 9, 0), (Points{{9, 0},
                                             {8, 1},
                                             {8, 2},
                                             {8, 3},
                                             {7, 4},
                                             {6, 5},
                                             {5, 4},
                                             {4, 3},
                                             {3, 2},
                                             {2, 1},
                                             {1, 0},
                                             {0, 0}}));
  // Outside the grid or the table, or before AStar_Init: refused.
  EXPECT_TRUE(FindPath(3, 0, 0, 10, 0).empty());
  EXPECT_TRUE(FindPath(3, -1, 0, 1, 0).empty());
  EXPECT_TRUE(FindPath(10, 0, 0, 1, 0).empty());
  EXPECT_TRUE(FindPath(4, 0, 0, 1, 0).empty());
  EXPECT_EQ(AStar_Init(10, 10, cells.data()), 0);
  EXPECT_EQ(AStar_Load(4, "grid.bmp"), 0);
  EXPECT_EQ(AStar_Draw(4), 0);
}

TEST_F(Paths, ALongPathIsCutAt301Points) {
  constexpr int32_t kSide = 400;
  std::vector<int32_t> cells(kSide * kSide, 0);
  ASSERT_EQ(AStar_Init(0, kSide, cells.data()), 1);
  const Points cut = FindPath(0, 0, 0, 350, 0);
  ASSERT_EQ(cut.size(), 301u);
  EXPECT_EQ(cut.front(), std::pair(350, 0));
  EXPECT_EQ(cut.back(), std::pair(50, 0));
}

TEST_F(Paths, AGridLoadsFromAnImageAndDrawsBackToThePathBitmap) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  d3dx::ArgbImage image(4, 4, 0xFF000000);
  image.At(1, 0) = 0xFFFF0000;  // blocked
  image.At(2, 3) = 0xFF000080;  // penalty 128
  image.At(3, 3) = 0xFFFF0001;  // not pure red: penalty 1
  std::vector<int32_t> cells(16, 99);
  ASSERT_EQ(AStar_Init(5, 4, cells.data()), 1);
  ASSERT_EQ(AStar_Load(5, WriteBmp("grid.bmp", image).c_str()), 1);
  EXPECT_EQ(cells[1], -1);
  EXPECT_EQ(cells[3 * 4 + 2], 128);
  EXPECT_EQ(cells[3 * 4 + 3], 1);
  EXPECT_EQ(cells[0], 0);
  EXPECT_EQ(AStar_Load(5, (Folder() / "missing.bmp").c_str()), 0);

  ASSERT_EQ(AStar_Draw(5), 1);
  // "c:\path.bmp" is in the program folder: the folder of the running executable.
  const std::filesystem::path dump =
      std::filesystem::canonical("/proc/self/exe").parent_path() / "path.bmp";
  IDirect3DSurface8* surface = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(4, 4, D3DFMT_A8R8G8B8, &surface), D3D_OK);
  ASSERT_EQ(d3dx::D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, dump.c_str(), nullptr,
                                           d3dx::D3DX_FILTER_NONE, 0, nullptr),
            D3D_OK);
  const d3dx::ArgbImage drawn = Pixels(surface);
  surface->Release();
  std::filesystem::remove(dump);
  EXPECT_EQ(drawn.At(1, 0), 0xFFFF0000u);
  EXPECT_EQ(drawn.At(2, 3), 0xFF808080u);
  EXPECT_EQ(drawn.At(3, 3), 0xFF010101u);
  EXPECT_EQ(drawn.At(0, 0), 0xFF000000u);
  EXPECT_TRUE(ShutDownAndRelease());
}

}  // namespace
