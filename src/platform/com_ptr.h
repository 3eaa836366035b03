#pragma once

// The one owner of a COM interface reference: released exactly once, when the
// owner is reset, assigned to or destroyed. Moved, never copied, so there is
// no AddRef.

#include "platform/unique_any.h"

namespace velkaron::platform {

namespace detail {
template <class Interface>
void release_reference(Interface* held) noexcept {
  held->Release();
}
}  // namespace detail

template <class Interface>
class com_ptr : public unique_any<Interface*, detail::release_reference<Interface>> {
 public:
  // Adopts a reference the caller owns.
  using unique_any<Interface*, detail::release_reference<Interface>>::unique_any;

  Interface* operator->() const noexcept { return this->get(); }
  Interface& operator*() const noexcept { return *this->get(); }

  // The empty slot, for calls that deliver through void** (QueryInterface, ActivateObject).
  void** put_void() noexcept { return reinterpret_cast<void**>(this->put()); }
};

}  // namespace velkaron::platform
