#pragma once

// The owner of an undo call: a start-up that succeeded obliges exactly one
// matching call, made when the owner is reset, assigned to or destroyed.
// Moved, never copied, so the obligation has one holder at a time.

#include <utility>

namespace velkaron::platform {

template <auto Undo>
class unique_call {
 public:
  // Owes nothing.
  unique_call() noexcept = default;
  // Owes the call when `owed`.
  explicit unique_call(bool owed) noexcept : owed_(owed) {}
  unique_call(unique_call&& other) noexcept : owed_(std::exchange(other.owed_, false)) {}
  unique_call& operator=(unique_call&& other) noexcept {
    if (this != &other) {
      reset();
      owed_ = std::exchange(other.owed_, false);
    }
    return *this;
  }
  unique_call(const unique_call&) = delete;
  unique_call& operator=(const unique_call&) = delete;
  ~unique_call() { reset(); }

  explicit operator bool() const noexcept { return owed_; }

  // Makes the call now, if it is owed; afterwards nothing is.
  void reset() noexcept {
    if (std::exchange(owed_, false)) Undo();
  }

 private:
  bool owed_ = false;
};

}  // namespace velkaron::platform
