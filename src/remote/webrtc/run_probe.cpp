#include "remote/webrtc/run_probe.h"

#include "platform/platform_startup.h"
#include "remote/webrtc/encoder_activation.h"
#include "remote/webrtc/encoder_enumeration.h"
#include "remote/webrtc/failure_message.h"
#include "remote/webrtc/input_types.h"
#include "remote/webrtc/output_type.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kCoInitializeFailed = "CoInitializeEx failed: ";
constexpr std::string_view kMfStartupFailed = "MFStartup failed: ";

// The report: the chosen encoder, the selector as typed and the input types' entries.
report::JsonValue report_of(const ActivatedEncoder& encoder,
                            std::optional<std::string_view> selector, report::JsonArray entries) {
  using report::JsonValue;
  report::ReportObject report;
  report.insert("ok", JsonValue::boolean(true));
  report.insert("mftFriendlyName", JsonValue::string(encoder.friendly_name));
  report.insert("mftClsid", JsonValue::string(encoder.clsid_text));
  report.insert("mftSelector", JsonValue::optional_text(selector));
  report.insert("entries", JsonValue::array(std::move(entries)));
  return JsonValue::object(std::move(report));
}

// Each phase hands the next what it owns; the first failure is the run's message.
// Every platform object a phase acquired is released by the time this returns:
// the input types during the walk, then the output type, then the transform
// (once its activation object has shut it down), then that activation object.
ProbeOutcome run_phases(std::optional<std::string_view> selector) {
  auto enumeration = enumerate_encoders(selector);
  if (!enumeration) return std::unexpected(std::move(enumeration.error()));
  auto encoder = activate_encoder(std::move(*enumeration));
  if (!encoder) return std::unexpected(std::move(encoder.error()));
  auto configured = set_output_type(std::move(*encoder));
  if (!configured) return std::unexpected(std::move(configured.error()));
  auto entries = read_input_types(*configured);
  if (!entries) return std::unexpected(std::move(entries.error()));
  return report_of(configured->encoder, selector, std::move(*entries));
}

}  // namespace

ProbeOutcome run_in_platform_frame(const std::function<ProbeOutcome()>& phases) {
  // Declaration order is the start-up order; destruction undoes it in reverse.
  auto apartment = platform::enter_com_apartment();
  if (!apartment) return std::unexpected(failure_message(kCoInitializeFailed, apartment.error()));
  auto media_foundation = platform::start_media_foundation();
  if (!media_foundation) {
    return std::unexpected(failure_message(kMfStartupFailed, media_foundation.error()));
  }
  return phases();
}

ProbeOutcome run_probe(std::optional<std::string_view> selector) {
  return run_in_platform_frame([selector] { return run_phases(selector); });
}

}  // namespace velkaron::probe
