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
  std::vector<std::string> available_encoders;  // every encoder's label, in enumeration order
  bool vendor_order = false;                    // no selector: candidates go in vendor order
};

// MFTEnumEx for hardware H.264 encoders, then the selector. The error is the
// run's message: the enumeration failed, found nothing, or the selector passed
// no encoder.
std::expected<EncoderEnumeration, std::string> enumerate_encoders(
    std::optional<std::string_view> raw_selector);

}  // namespace velkaron::probe
