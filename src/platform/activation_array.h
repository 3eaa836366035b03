#pragma once

#include <cstddef>
#include <utility>

#include "platform/com_ptr.h"
#include "platform/platform_api.h"
#include "platform/platform_memory.h"

namespace velkaron::platform {

// The array of activation objects that MFTEnumEx hands over. The caller owns
// the array and every reference in it; entries are taken out one at a time,
// and whatever is still in the array when its owner goes is released before
// the array itself is freed, so no path can leak either.
class ActivationArray {
 public:
  ActivationArray() noexcept = default;
  ActivationArray(const ActivationArray&) = delete;
  ActivationArray& operator=(const ActivationArray&) = delete;
  ~ActivationArray() { release_entries(); }

  // The out-slots of MFTEnumEx, emptied first.
  IMFActivate*** put_array() noexcept {
    release_entries();
    return array_.put();
  }
  UINT32* put_count() noexcept { return &count_; }

  // No array, or an array without entries: nothing was enumerated.
  bool empty() const noexcept { return !array_ || count_ == 0; }
  std::size_t size() const noexcept { return array_ ? count_ : 0; }

  // The entry's reference, which the slot no longer owns; empty for a null entry.
  com_ptr<IMFActivate> take(std::size_t index) noexcept {
    return com_ptr<IMFActivate>(std::exchange(array_.get()[index], nullptr));
  }

 private:
  void release_entries() noexcept {
    for (std::size_t index = 0; index < size(); ++index) take(index);
    count_ = 0;
  }

  unique_cotaskmem<IMFActivate*> array_;
  UINT32 count_ = 0;
};

}  // namespace velkaron::platform
