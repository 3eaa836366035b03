#include "remote/webrtc/encoder_enumeration.h"

#include <utility>

#include "platform/activation_array.h"
#include "platform/guid.h"
#include "platform/media_foundation_guids.h"
#include "platform/platform_error.h"
#include "platform/platform_memory.h"
#include "platform/text.h"
#include "platform/wide_text.h"
#include "remote/webrtc/encoder_listing.h"
#include "remote/webrtc/encoder_selector.h"
#include "remote/webrtc/failure_message.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kEnumerationFailed = "MFTEnumEx(H264 hardware encoder) failed: ";
constexpr std::string_view kNothingEnumerated = "No hardware H.264 MFT encoder was enumerated.";
constexpr std::string_view kSelectorMatchedNothing =
    "No enumerated hardware H.264 MFT matched selector '";

// Stands for a friendly name or a CLSID that could not be read.
constexpr std::string_view kUnknownText = "<unknown>";

constexpr UINT32 kHardwareEncoderFlags = MFT_ENUM_FLAG_HARDWARE | MFT_ENUM_FLAG_SORTANDFILTER;

// The CLSID's text; a failure to read it is not worth a message.
std::string read_clsid_text(IMFAttributes& attributes) {
  GUID clsid{};
  if (!platform::check_status(attributes.GetGUID(mf::MFT_TRANSFORM_CLSID_Attribute, &clsid))) {
    return std::string(kUnknownText);
  }
  return platform::guid_text(clsid);
}

bool passes_selector(std::string_view selector, std::string_view friendly_name,
                     std::string_view clsid_text) {
  return platform::contains_text(platform::ascii_lowercase(friendly_name), selector) ||
         platform::contains_text(platform::ascii_lowercase(clsid_text), selector);
}

// A task-allocator string attribute, decoded strictly and freed at once;
// absent when it cannot be read or is not valid UTF-16.
std::optional<std::string> read_allocated_string(IMFAttributes& attributes, const GUID& key) {
  platform::unique_cotaskmem_string text;
  UINT32 length = 0;
  if (!platform::check_status(attributes.GetAllocatedString(key, text.put(), &length))) {
    return std::nullopt;
  }
  // A success without a string is outside the platform's contract: treated as unreadable.
  if (!text) return std::nullopt;
  auto decoded = platform::decode_wide_string(text.get());
  text.reset();
  if (!decoded) return std::nullopt;
  // The reported length counts UTF-16 units; a shorter one than the text cuts it.
  if (length != 0 && length < decoded->size()) return platform::take_chars(*decoded, length);
  return std::move(*decoded);
}

std::string nothing_matched_message(std::string_view selector,
                                    const std::vector<std::string>& available) {
  std::string message(kSelectorMatchedNothing);
  message += selector;
  message += "'";
  message += available_encoders_tail(available);
  return message;
}

}  // namespace

std::expected<EncoderEnumeration, std::string> enumerate_encoders(
    std::optional<std::string_view> raw_selector) {
  const std::optional<std::string> selector = normalise_selector(raw_selector);
  EncoderEnumeration enumeration;
  enumeration.vendor_order = !selector;

  const MFT_REGISTER_TYPE_INFO h264_output{mf::MFMediaType_Video, mf::MFVideoFormat_H264};
  platform::ActivationArray activates;
  if (auto listed = platform::check_status(
          ::MFTEnumEx(mf::MFT_CATEGORY_VIDEO_ENCODER, kHardwareEncoderFlags, nullptr, &h264_output,
                      activates.put_array(), activates.put_count()));
      !listed) {
    return std::unexpected(failure_message(kEnumerationFailed, listed.error()));
  }
  if (activates.empty()) return std::unexpected(std::string(kNothingEnumerated));

  enumeration.candidates.reserve(activates.size());
  enumeration.available_encoders.reserve(activates.size());
  for (std::size_t index = 0; index < activates.size(); ++index) {
    platform::com_ptr<IMFActivate> activation = activates.take(index);
    if (!activation) continue;

    std::string friendly_name = read_allocated_string(*activation, mf::MFT_FRIENDLY_NAME_Attribute)
                                    .value_or(std::string(kUnknownText));
    std::string clsid_text = read_clsid_text(*activation);
    enumeration.available_encoders.push_back(encoder_label(friendly_name, clsid_text));

    // An encoder the selector does not pass is released here, with its texts.
    if (selector && !passes_selector(*selector, friendly_name, clsid_text)) continue;
    enumeration.candidates.push_back(
        {std::move(friendly_name), std::move(clsid_text), std::move(activation)});
  }
  if (selector && enumeration.candidates.empty()) {
    return std::unexpected(nothing_matched_message(*selector, enumeration.available_encoders));
  }
  return enumeration;
}

}  // namespace velkaron::probe
