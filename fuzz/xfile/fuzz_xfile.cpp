// Reads an X file, loads its model as a mesh and a hierarchy, and writes it back as text.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/d3dx/x_file_mesh.h"
#include "platform/d3dx/x_file_reader.h"
#include "platform/d3dx/x_file_writer.h"

namespace {
constexpr size_t kMaxInputBytes = size_t{1} << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  try {
    d3dx::XFileDocument document = d3dx::ReadXFile(std::span<const uint8_t>(data, size));
    d3dx::XModel model = d3dx::LoadXModel(document);
    d3dx::MergeXMeshes(model.root);
    std::string text = d3dx::WriteXText(document);
    d3dx::ReadXFile(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()),
                                             text.size()));
  } catch (const d3dx::XFileError&) {
  }
  return 0;
}
