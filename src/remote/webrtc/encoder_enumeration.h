#pragma once

// The first phase: the hardware H.264 encoders that Media Foundation lists,
// with their names and CLSIDs, filtered by the selector.

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/platform_api.h"

namespace velkaron::probe {

// An encoder that passed the selector.
struct EncoderCandidate {
  std::string friendly_name;  // "<unknown>" when it could not be read
  std::string clsid_text;     // GUID text, or "<unknown>" when it could not be read
  platform::com_ptr<IMFActivate> activation;
};

// What the enumeration hands to the activation phase.
struct EncoderEnumeration {
  std::vector<EncoderCandidate> candidates;     // in enumeration order
  std::vector<std::string> available_encoders;  // every encoder: "name [clsid]", in order
  std::optional<std::string> selector;          // normalised; absent: no selector
  bool selector_matched = false;                // a present selector passed some encoder
};

// Stands for a friendly name or a CLSID that could not be read.
inline constexpr std::string_view kUnknownText = "<unknown>";

// Trimmed of Unicode white space and ASCII-lowercased; blank counts as absent.
std::optional<std::string> normalise_selector(std::optional<std::string_view> raw_selector);

// A task-allocator string attribute, decoded strictly and freed at once;
// absent when it cannot be read or is not valid UTF-16.
std::optional<std::string> read_allocated_string(IMFAttributes& attributes, const GUID& key);

// MFTEnumEx for hardware H.264 encoders, then the selector. The error is the run's message.
std::expected<EncoderEnumeration, std::string> enumerate_encoders(
    std::optional<std::string_view> raw_selector);

}  // namespace velkaron::probe
