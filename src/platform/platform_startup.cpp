#include "platform/platform_startup.h"

#include <utility>

namespace velkaron::platform {
namespace {

// A start-up call's status: a success owes the undo call, a failure owes nothing.
template <auto Undo>
std::expected<unique_call<Undo>, PlatformError> owed_after(HRESULT status) {
  if (auto started = check_status(status); !started) {
    return std::unexpected(std::move(started.error()));
  }
  return unique_call<Undo>(true);
}

}  // namespace

namespace detail {
void leave_com_apartment() noexcept {
  ::CoUninitialize();
}
void shut_down_media_foundation() noexcept {
  // Dropping the result releases any error information the failure carries.
  (void)check_status(::MFShutdown());
}
}  // namespace detail

std::expected<ComApartment, PlatformError> enter_com_apartment() {
  return owed_after<detail::leave_com_apartment>(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
}

std::expected<MediaFoundationStartup, PlatformError> start_media_foundation() {
  return owed_after<detail::shut_down_media_foundation>(::MFStartup(MF_VERSION, MFSTARTUP_FULL));
}

}  // namespace velkaron::platform
