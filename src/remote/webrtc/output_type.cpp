#include "remote/webrtc/output_type.h"

#include <string_view>
#include <utility>
#include <variant>

#include "platform/platform_error.h"
#include "remote/webrtc/failure_message.h"
#include "remote/webrtc/media_foundation_guids.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kCreateFailed = "MFCreateMediaType(output) failed: ";
constexpr std::string_view kConfigureFailed = "Failed to configure MFT output media type: ";
constexpr std::string_view kSetOutputTypeFailed = "MFT SetOutputType(H264) failed: ";

// Two 32-bit halves of a size or ratio attribute: the first in the upper half.
constexpr UINT64 pack_halves(UINT32 upper, UINT32 lower) noexcept {
  return (UINT64{upper} << 32) | lower;
}

struct OutputAttribute {
  const GUID& key;
  std::variant<GUID, UINT64, UINT32> value;
};

constexpr UINT32 kInterlaceProgressive = 2;  // MFVideoInterlace_Progressive
constexpr UINT32 kH264ProfileMain = 77;      // eAVEncH264VProfile_Main

// Set in this order; the first failure stops the rest.
constexpr OutputAttribute kOutputAttributes[] = {
    {mf::MF_MT_MAJOR_TYPE, mf::MFMediaType_Video},
    {mf::MF_MT_SUBTYPE, mf::MFVideoFormat_H264},
    {mf::MF_MT_FRAME_SIZE, pack_halves(1920, 1080)},
    {mf::MF_MT_FRAME_RATE, pack_halves(60, 1)},
    {mf::MF_MT_AVG_BITRATE, UINT32{10'000'000}},
    {mf::MF_MT_INTERLACE_MODE, kInterlaceProgressive},
    {mf::MF_MT_MPEG2_PROFILE, kH264ProfileMain},
};

HRESULT set_value(IMFMediaType& type, const GUID& key, const GUID& value) {
  return type.SetGUID(key, value);
}
HRESULT set_value(IMFMediaType& type, const GUID& key, UINT64 value) {
  return type.SetUINT64(key, value);
}
HRESULT set_value(IMFMediaType& type, const GUID& key, UINT32 value) {
  return type.SetUINT32(key, value);
}

std::expected<void, platform::PlatformError> set_attributes(IMFMediaType& type) {
  for (const OutputAttribute& attribute : kOutputAttributes) {
    const HRESULT status = std::visit(
        [&](const auto& value) { return set_value(type, attribute.key, value); }, attribute.value);
    if (auto set = platform::check_status(status); !set) return set;
  }
  return {};
}

}  // namespace

std::expected<ConfiguredEncoder, std::string> set_output_type(ActivatedEncoder encoder) {
  platform::com_ptr<IMFMediaType> created;
  const HRESULT status = ::MFCreateMediaType(created.put());
  auto type = platform::check_object(status, std::move(created));
  if (!type) return std::unexpected(failure_message(kCreateFailed, type.error()));

  if (auto configured = set_attributes(*type->get()); !configured) {
    return std::unexpected(failure_message(kConfigureFailed, configured.error()));
  }
  if (auto applied = platform::check_status(encoder.transform->SetOutputType(0, type->get(), 0));
      !applied) {
    return std::unexpected(failure_message(kSetOutputTypeFailed, applied.error()));
  }
  return ConfiguredEncoder{std::move(encoder), std::move(*type)};
}

}  // namespace velkaron::probe
