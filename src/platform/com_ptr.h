#pragma once

// The one owner of a COM interface reference: released exactly once, when the
// owner is reset or destroyed. Moved, never copied, so there is no AddRef.

#include <utility>

namespace velkaron::platform {

template <class Interface>
class com_ptr {
 public:
  com_ptr() noexcept = default;
  // Takes over a reference the caller owns.
  explicit com_ptr(Interface* adopted) noexcept : pointer_(adopted) {}
  com_ptr(com_ptr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  com_ptr& operator=(com_ptr&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  com_ptr(const com_ptr&) = delete;
  com_ptr& operator=(const com_ptr&) = delete;
  ~com_ptr() { reset(); }

  Interface* get() const noexcept { return pointer_; }
  Interface* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  // Releases what is held and offers the empty slot to an out-parameter.
  Interface** put() noexcept {
    reset();
    return &pointer_;
  }
  // The same slot, for calls that deliver through void** (QueryInterface, ActivateObject).
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  void reset() noexcept {
    if (Interface* released = std::exchange(pointer_, nullptr)) released->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace velkaron::platform
