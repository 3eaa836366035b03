#include "remote/webrtc/output_type.h"

#include <string_view>
#include <utility>

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

// The seven attributes in a fixed order; the first failure stops the rest.
std::expected<void, platform::PlatformError> set_attributes(IMFMediaType& type) {
  using platform::check_status;
  if (auto set = check_status(type.SetGUID(mf::MF_MT_MAJOR_TYPE, mf::MFMediaType_Video)); !set) {
    return set;
  }
  if (auto set = check_status(type.SetGUID(mf::MF_MT_SUBTYPE, mf::MFVideoFormat_H264)); !set) {
    return set;
  }
  if (auto set = check_status(
          type.SetUINT64(mf::MF_MT_FRAME_SIZE, pack_halves(kOutputWidth, kOutputHeight)));
      !set) {
    return set;
  }
  if (auto set = check_status(
          type.SetUINT64(mf::MF_MT_FRAME_RATE,
                         pack_halves(kOutputFrameRateNumerator, kOutputFrameRateDenominator)));
      !set) {
    return set;
  }
  if (auto set = check_status(type.SetUINT32(mf::MF_MT_AVG_BITRATE, kOutputAverageBitrate)); !set) {
    return set;
  }
  if (auto set = check_status(type.SetUINT32(mf::MF_MT_INTERLACE_MODE, kInterlaceProgressive));
      !set) {
    return set;
  }
  return check_status(type.SetUINT32(mf::MF_MT_MPEG2_PROFILE, kH264ProfileMain));
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
