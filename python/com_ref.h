// An owned reference to an automation object, released when the holder goes.
#pragma once
#include <utility>

template <class T>
class ComRef {
 public:
  // Takes over one reference that the caller holds.
  explicit ComRef(T* adopted) : object_(adopted) {}
  ComRef(const ComRef& other) : object_(other.object_) {
    if (object_) object_->AddRef();
  }
  ComRef(ComRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComRef& operator=(ComRef other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~ComRef() {
    if (object_) object_->Release();
  }

  T* operator->() const { return object_; }
  T* get() const { return object_; }

 private:
  T* object_ = nullptr;
};
