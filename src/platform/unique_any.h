#pragma once

// The one owner template: whatever the platform hands us that must be given
// back exactly once, named by the function that gives it back.

#include <utility>

namespace velkaron::platform {

// Owns a value that tests true and hands it to Close exactly once: when the
// owner is reset, assigned to or destroyed. A value that tests false is
// nothing to close. Moved, never copied.
template <class Value, auto Close>
class unique_any {
 public:
  unique_any() noexcept = default;
  explicit unique_any(Value adopted) noexcept : value_(adopted) {}
  unique_any(unique_any&& other) noexcept : value_(std::exchange(other.value_, Value{})) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = std::exchange(other.value_, Value{});
    }
    return *this;
  }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  ~unique_any() { reset(); }

  Value get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return static_cast<bool>(value_); }

  // Closes what is held and offers the empty slot to an out-parameter.
  Value* put() noexcept {
    reset();
    return &value_;
  }

  void reset() noexcept {
    if (Value closed = std::exchange(value_, Value{})) Close(closed);
  }

 private:
  Value value_{};
};

}  // namespace velkaron::platform
