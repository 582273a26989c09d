// Ids of named engine resources (textures, materials, fonts). Ids start at 1; 0 means none. The
// program's data spell one name differently in different places ("MatLegFoil", "MatlegFoil"), so
// names match without regard to ASCII case, and when two resources share a name the newest wins.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/win/ascii_case.h"

namespace engine {

template <typename Resource>
class NameTable {
 public:
  // Stores the resource under a new id and makes it the one its name finds.
  int32_t Add(std::string_view name, Resource resource) {
    const int32_t id = nextId_++;
    items_.emplace(id, Item{std::string(name), std::move(resource)});
    byName_[win::FoldAsciiCase(name)] = id;
    return id;
  }

  int32_t Find(std::string_view name) const {
    auto found = byName_.find(win::FoldAsciiCase(name));
    return found == byName_.end() ? 0 : found->second;
  }

  Resource* Get(int32_t id) {
    auto found = items_.find(id);
    return found == items_.end() ? nullptr : &found->second.resource;
  }
  const Resource* Get(int32_t id) const {
    auto found = items_.find(id);
    return found == items_.end() ? nullptr : &found->second.resource;
  }

  // Removes one resource; an older resource of the same name does not come back, as the name
  // was last given to this one.
  void Remove(int32_t id) {
    auto found = items_.find(id);
    if (found == items_.end()) return;
    auto named = byName_.find(win::FoldAsciiCase(found->second.name));
    if (named != byName_.end() && named->second == id) byName_.erase(named);
    items_.erase(found);
  }

  void Clear() {
    items_.clear();
    byName_.clear();
  }

  size_t Size() const { return items_.size(); }

 private:
  struct Item {
    std::string name;
    Resource resource;
  };
  std::map<int32_t, Item> items_;
  std::map<std::string, int32_t> byName_;
  int32_t nextId_ = 1;
};

}  // namespace engine
