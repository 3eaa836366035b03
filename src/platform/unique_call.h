#pragma once

// The owner of an undo call: a start-up that succeeded obliges exactly one
// matching call, made when the owner is reset, assigned to or destroyed. The
// value held is whether the call is still owed.

#include "platform/unique_any.h"

namespace velkaron::platform {

namespace detail {
template <auto Undo>
void make_owed_call(bool) noexcept {
  Undo();
}
}  // namespace detail

template <auto Undo>
using unique_call = unique_any<bool, detail::make_owed_call<Undo>>;

}  // namespace velkaron::platform
