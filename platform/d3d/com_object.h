// Helpers that any device implementation uses to keep the COM-shaped reference rules of
// platform/d3d/interfaces.h: answering QueryInterface, handing out an object with a reference, and
// a device's binding of an object.
#pragma once

#include "platform/d3d/interfaces.h"

#include <initializer_list>
#include <new>

namespace d3d {

// Answers QueryInterface for an object whose interfaces form one chain, so one pointer serves them
// all.
template <class Interface>
HRESULT AnswerQuery(const IID& iid, void** object, Interface* self,
                    std::initializer_list<const IID*> answers) {
  if (object == nullptr) return E_POINTER;
  for (const IID* answer : answers) {
    if (*answer == iid) {
      self->AddRef();
      *object = self;
      return S_OK;
    }
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

// Writes an object (or null) to an out pointer, adding the reference the caller then owns.
template <class T>
HRESULT HandOut(T* object, T** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  if (object != nullptr) object->AddRef();
  *out = object;
  return D3D_OK;
}

// Runs a step that allocates; running out of memory becomes E_OUTOFMEMORY, since no exception may
// cross the interfaces.
template <class Step>
HRESULT Allocating(Step step) {
  try {
    step();
    return D3D_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

// A binding of a device to an object. Bindings made by the caller hold a reference; a device's
// initial binding of its own surfaces does not.
template <class T>
class Binding {
 public:
  Binding() = default;
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;
  ~Binding() { Set(nullptr, false); }

  void Set(T* object, bool counted) {
    if (object != nullptr && counted) object->AddRef();
    T* previous = object_;
    const bool previousCounted = counted_;
    object_ = object;
    counted_ = counted && object != nullptr;
    if (previous != nullptr && previousCounted) previous->Release();
  }
  T* Get() const { return object_; }

 private:
  T* object_ = nullptr;
  bool counted_ = false;
};

}  // namespace d3d
