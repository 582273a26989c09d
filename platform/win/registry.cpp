#include "platform/win/registry.h"

#include <map>
#include <tuple>

#include "platform/win/ascii_case.h"

namespace win {

namespace {

using ValueKey = std::tuple<RegistryRoot, std::string, std::string>;

ValueKey KeyOf(RegistryRoot root, std::string_view subKey, std::string_view valueName) {
  return {root, FoldAsciiCase(subKey), FoldAsciiCase(valueName)};
}

std::map<ValueKey, std::string>& Table() {
  static std::map<ValueKey, std::string> table{
      {KeyOf(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\DirectX", "Version"),
       std::string(GraphicsRuntimeVersion)}};
  return table;
}

}  // namespace

std::string ReadRegistryString(RegistryRoot root, std::string_view subKey,
                               std::string_view valueName) {
  auto found = Table().find(KeyOf(root, subKey, valueName));
  return found == Table().end() ? std::string() : found->second;
}

void SetRegistryStringForTesting(RegistryRoot root, std::string_view subKey,
                                 std::string_view valueName, std::string_view value) {
  Table()[KeyOf(root, subKey, valueName)] = std::string(value);
}

void RemoveRegistryValueForTesting(RegistryRoot root, std::string_view subKey,
                                   std::string_view valueName) {
  Table().erase(KeyOf(root, subKey, valueName));
}

}  // namespace win
