#include "remote/webrtc/run_probe.h"

#include "platform/platform_api.h"
#include "platform/platform_error.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kCoInitializeFailed = "CoInitializeEx failed: ";
constexpr std::string_view kMfStartupFailed = "MFStartup failed: ";

std::string failure_message(std::string_view context, const platform::PlatformError& error) {
  std::string message(context);
  message += error.display_text();
  return message;
}

// COM on this thread, in the multithreaded apartment, for the object's lifetime.
// S_FALSE (already initialised) also obliges one CoUninitialize.
class ComApartment {
 public:
  static std::expected<ComApartment, std::string> enter() {
    if (auto started = platform::check_status(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        !started) {
      return std::unexpected(failure_message(kCoInitializeFailed, started.error()));
    }
    return ComApartment();
  }
  ComApartment(ComApartment&& other) noexcept : active_(std::exchange(other.active_, false)) {}
  ComApartment& operator=(ComApartment&&) = delete;
  ~ComApartment() {
    if (active_) ::CoUninitialize();
  }

 private:
  ComApartment() = default;
  bool active_ = true;
};

// Media Foundation, started for the object's lifetime. The shutdown status is
// not acted on: a failure there changes nothing the run has found out.
class MediaFoundation {
 public:
  static std::expected<MediaFoundation, std::string> start() {
    if (auto started = platform::check_status(::MFStartup(MF_VERSION, MFSTARTUP_FULL)); !started) {
      return std::unexpected(failure_message(kMfStartupFailed, started.error()));
    }
    return MediaFoundation();
  }
  MediaFoundation(MediaFoundation&& other) noexcept
      : active_(std::exchange(other.active_, false)) {}
  MediaFoundation& operator=(MediaFoundation&&) = delete;
  ~MediaFoundation() {
    // Dropping the result releases any error information the failure carries.
    if (active_) (void)platform::check_status(::MFShutdown());
  }

 private:
  MediaFoundation() = default;
  bool active_ = true;
};

ProbeOutcome run_phases(std::optional<std::string_view> /*selector*/) {
  return std::unexpected(std::string("No hardware H.264 MFT encoder was enumerated."));
}

}  // namespace

ProbeOutcome run_in_platform_frame(const std::function<ProbeOutcome()>& phases) {
  // Declaration order is the start-up order; destruction undoes it in reverse.
  auto apartment = ComApartment::enter();
  if (!apartment) return std::unexpected(std::move(apartment.error()));
  auto media_foundation = MediaFoundation::start();
  if (!media_foundation) return std::unexpected(std::move(media_foundation.error()));
  return phases();
}

ProbeOutcome run_probe(std::optional<std::string_view> selector) {
  return run_in_platform_frame([selector] { return run_phases(selector); });
}

}  // namespace velkaron::probe
