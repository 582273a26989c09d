// The studio model table: a deleted model leaves its entities without one, and its device objects
// go with it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "library/core/actors/entities.h"
#include "library/core/actors/mdl_models.h"
#include "library/core/vortanautil.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/current_headless_device.h"
#include "tests/library/core/mdl_bytes.h"

namespace {

TEST(MdlModels, DeletingAModelLeavesItsEntitiesWithout) {
  const tests::CurrentHeadlessDevice device;
  const size_t before = d3d::Headless(device.Device())->LiveObjectCount();
  std::string pattern = (std::filesystem::temp_directory_path() / "vortana-mdl-XXXXXX").string();
  const std::filesystem::path folder = mkdtemp(pattern.data());
  const std::filesystem::path path = folder / "arm.mdl";
  win::WriteFileBytes(path, mdltest::ModelFile(mdltest::TwoBones()));
  int32_t first = -1, second = -1;
  ASSERT_EQ(CreateEntity(path.c_str(), "a", &first, 0), 1);
  ASSERT_EQ(CreateEntity(path.c_str(), "b", &second, 0), 1);
  const int32_t slot = MDL_FindModel(path.c_str());
  ASSERT_GE(slot, 0);
  EXPECT_EQ(MDLModelTable[static_cast<size_t>(slot)].references, 2);
  EXPECT_EQ(MDL_Delete(&MDLModelTable[static_cast<size_t>(slot)]), 1);
  EXPECT_EQ(d3d::Headless(device.Device())->LiveObjectCount(), before);
  EXPECT_EQ(EntityAt(first)->kind, kModelKindNone);
  EXPECT_EQ(Entity_GetBoneCount(second), 2) << "the entity keeps its own arrays";
  EXPECT_EQ(VortanaUtils_SetSequence(first, 0), 0) << "no model to take a sequence from";
  EXPECT_EQ(Entity_Destroy(first), 1);
  EXPECT_EQ(Entity_Destroy(second), 1);
  EXPECT_EQ(MDL_Delete(nullptr), 1);
  Entity_FreeAll();
  MDL_DeleteAll();
  std::filesystem::remove_all(folder);
}

}  // namespace
