#include "remote/webrtc/encoder_vendor.h"

#include <string>

#include "platform/text.h"

namespace velkaron::probe {
namespace {

struct VendorWord {
  std::string_view word;
  EncoderVendor vendor;
};

// Tested in this order: a name with both "intel" and "microsoft" is Intel's.
constexpr VendorWord kVendorWords[] = {
    {"nvidia", EncoderVendor::Nvidia},       {"intel", EncoderVendor::Intel},
    {"quick sync", EncoderVendor::Intel},    {"amd", EncoderVendor::Amd},
    {"microsoft", EncoderVendor::Microsoft},
};

}  // namespace

EncoderVendor classify_vendor(std::string_view friendly_name) {
  const std::string lowered = platform::ascii_lowercase(friendly_name);
  for (const VendorWord& known : kVendorWords) {
    if (platform::contains_text(lowered, known.word)) return known.vendor;
  }
  return EncoderVendor::Other;
}

}  // namespace velkaron::probe
