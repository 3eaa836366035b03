#include "remote/webrtc/encoder_listing.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kSeparator = " | ";
constexpr std::string_view kAvailableEncoders = ". Available encoders: ";
constexpr std::string_view kNoEncoders = "<none>";

}  // namespace

std::string encoder_label(std::string_view friendly_name, std::string_view clsid_text) {
  std::string label(friendly_name);
  label += " [";
  label += clsid_text;
  label += "]";
  return label;
}

std::string join_labels(const std::vector<std::string>& parts, std::string_view when_empty) {
  if (parts.empty()) return std::string(when_empty);
  std::string joined = parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) {
    joined += kSeparator;
    joined += parts[i];
  }
  return joined;
}

std::string available_encoders_tail(const std::vector<std::string>& available) {
  std::string tail(kAvailableEncoders);
  tail += join_labels(available, kNoEncoders);
  return tail;
}

}  // namespace velkaron::probe
