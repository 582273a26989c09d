// Holds one reference on a COM-shaped object of the device layer and releases it when it goes.
#pragma once

#include <utility>

namespace d3dx {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller owns.
  explicit ComPtr(T* object) : object_(object) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    Reset();
    object_ = std::exchange(other.object_, nullptr);
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // For an out parameter that hands over a new reference: drops the one held first.
  T** Out() {
    Reset();
    return &object_;
  }
  // Gives the reference up to the caller.
  T* Detach() { return std::exchange(object_, nullptr); }
  void Reset() {
    if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
  }

 private:
  T* object_ = nullptr;
};

}  // namespace d3dx
