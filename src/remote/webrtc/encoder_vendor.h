#pragma once

#include <string_view>
#include <utility>

namespace velkaron::probe {

// The vendor class of an encoder's friendly name. Without a selector the
// candidates are tried in ascending rank: an encoder of an unrecognised vendor
// is preferred to one whose name says Microsoft.
enum class EncoderVendor : unsigned {
  Nvidia = 0,
  Intel = 1,
  Amd = 2,
  Other = 3,
  Microsoft = 4,
};

constexpr unsigned vendor_rank(EncoderVendor vendor) noexcept {
  return std::to_underlying(vendor);
}

// The first vendor word found in the ASCII-lowercased name decides.
EncoderVendor classify_vendor(std::string_view friendly_name);

}  // namespace velkaron::probe
