// The Orbital flights as a pilot flies them: what each view key shows of the LM.
#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "program/flight/flight_loop_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "tests/journeys/journey.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

using journey::Journey;
using namespace std::chrono_literals;

// Keeps the meshes of the last frame shown: those drawn into the back buffer after its last
// clear, which the picture holds.
class ShownFrames : public RecordingBackend {
 public:
  std::vector<const engine::EngineMesh*> shown;

  void BeginTarget(const engine::DrawTarget& target, bool clear, uint32_t colour) override {
    if (!target.surface && clear)
      std::erase_if(meshes, [](const MeshDraw& d) { return !d.target; });
    RecordingBackend::BeginTarget(target, clear, colour);
  }
  void Present() override {
    shown.clear();
    for (const MeshDraw& draw : meshes)
      if (!draw.target) shown.push_back(draw.mesh);
    meshes.clear();
  }
  bool Shows(const MeshPtr& mesh) const {
    return std::find(shown.begin(), shown.end(), mesh.get()) != shown.end();
  }
};

// The program's engine, made at its start, draws through a ShownFrames.
class Orbital : public Journey {
 protected:
  void SetUp() override {
    EngineBackendMaker = [this] {
      auto made = std::make_unique<ShownFrames>();
      backend_ = made.get();
      return std::unique_ptr<engine::DrawBackend>(std::move(made));
    };
    Journey::SetUp();
  }
  ShownFrames* backend_ = nullptr;
};

struct ViewShows {
  int32_t key;
  bool ascentStage;     // the LM's hull around the cabin
  bool virtualCockpit;  // the cabin, its panels and switches
};

// From the cabin the pilot looks out through the windows, not at the inside of the ascent stage's
// hull; the virtual cockpit's views show the cabin round the pilot; from outside, the whole LM.
TEST_F(Orbital, EachViewShowsTheLMAsSeenFromWhereItsEyeIs) {
  const ViewShows views[] = {
      {engine::scan::k1, false, true},      {engine::scan::k1 + 1, false, true},
      {engine::scan::k1 + 2, false, true},  {engine::scan::k1 + 3, false, false},
      {engine::scan::k1 + 4, false, false}, {engine::scan::k1 + 5, false, false},
      {engine::scan::k1 + 6, true, false},  {engine::scan::k1 + 7, true, false},
      {engine::scan::k1 + 8, true, false}};
  std::vector<ViewShows> seen;
  for (const char* flight : {"Docked Start", "Rendezvous P20"}) {
    Choose("Orbital", flight);
    Continue();
    WatchTheFlyby();
    Start();
    for (const ViewShows& view : views) {
      Press(view.key);
      Wait(500ms);
      Do("the view", [&] {
        seen.push_back(
            {view.key, backend_->Shows(AscentStageMesh), backend_->Shows(VirtualCockpitMesh)});
        EXPECT_TRUE(backend_->Shows(DescentStageMesh)) << "key " << view.key - 1;
      });
    }
    LeaveFlight();
  }
  Quit();
  Run();
  ASSERT_EQ(seen.size(), 2 * std::size(views));
  for (size_t i = 0; i < seen.size(); ++i) {
    const ViewShows& want = views[i % std::size(views)];
    EXPECT_EQ(seen[i].ascentStage, want.ascentStage) << "flight " << i / 9 << " key " << i % 9 + 1;
    EXPECT_EQ(seen[i].virtualCockpit, want.virtualCockpit)
        << "flight " << i / 9 << " key " << i % 9 + 1;
  }
}

}  // namespace
