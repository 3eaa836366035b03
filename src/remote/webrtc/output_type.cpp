#include "remote/webrtc/output_type.h"

#include <string_view>
#include <utility>
#include <variant>

#include "platform/platform_error.h"
#include "remote/webrtc/failure_message.h"
#include "remote/webrtc/output_attributes.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kCreateFailed = "MFCreateMediaType(output) failed: ";
constexpr std::string_view kConfigureFailed = "Failed to configure MFT output media type: ";
constexpr std::string_view kSetOutputTypeFailed = "MFT SetOutputType(H264) failed: ";

// The setter of IMFAttributes that takes the value's type.
HRESULT set_attribute(IMFMediaType& type, const OutputAttribute& attribute) {
  if (const auto* guid = std::get_if<GUID>(&attribute.value)) {
    return type.SetGUID(attribute.key, *guid);
  }
  if (const auto* wide = std::get_if<UINT64>(&attribute.value)) {
    return type.SetUINT64(attribute.key, *wide);
  }
  return type.SetUINT32(attribute.key, *std::get_if<UINT32>(&attribute.value));
}

std::expected<void, platform::PlatformError> set_attributes(IMFMediaType& type) {
  for (const OutputAttribute& attribute : kOutputAttributes) {
    if (auto set = platform::check_status(set_attribute(type, attribute)); !set) return set;
  }
  return {};
}

}  // namespace

std::expected<ConfiguredEncoder, std::string> set_output_type(ActivatedEncoder encoder) {
  platform::com_ptr<IMFMediaType> created;
  const HRESULT status = ::MFCreateMediaType(created.put());
  auto type = platform::check_object(status, std::move(created));
  if (!type) return std::unexpected(failure_message(kCreateFailed, type.error()));

  if (auto configured = set_attributes(**type); !configured) {
    return std::unexpected(failure_message(kConfigureFailed, configured.error()));
  }
  if (auto applied = platform::check_status(encoder.transform->SetOutputType(0, type->get(), 0));
      !applied) {
    return std::unexpected(failure_message(kSetOutputTypeFailed, applied.error()));
  }
  return ConfiguredEncoder{std::move(encoder), std::move(*type)};
}

}  // namespace velkaron::probe
