#pragma once

// COM and Media Foundation, each started for the lifetime of an owner that
// undoes the start-up exactly once. Owners declared in start-up order are
// undone in reverse.

#include <expected>

#include "platform/platform_error.h"
#include "platform/unique_call.h"

namespace velkaron::platform {

namespace detail {
void leave_com_apartment() noexcept;
void shut_down_media_foundation() noexcept;
}  // namespace detail

// COM on this thread, in the multithreaded apartment. S_FALSE (already
// initialised) obliges one CoUninitialize as S_OK does.
using ComApartment = unique_call<detail::leave_com_apartment>;
std::expected<ComApartment, PlatformError> enter_com_apartment();

// Media Foundation, fully started. The shutdown status is not acted on: a
// failure there changes nothing a run has found out.
using MediaFoundationStartup = unique_call<detail::shut_down_media_foundation>;
std::expected<MediaFoundationStartup, PlatformError> start_media_foundation();

}  // namespace velkaron::platform
