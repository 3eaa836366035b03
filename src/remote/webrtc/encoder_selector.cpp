#include "remote/webrtc/encoder_selector.h"

#include "platform/text.h"

namespace velkaron::probe {

std::optional<std::string> normalise_selector(std::optional<std::string_view> raw_selector) {
  if (!raw_selector) return std::nullopt;
  const std::string_view trimmed = platform::trim_whitespace(*raw_selector);
  if (trimmed.empty()) return std::nullopt;
  return platform::ascii_lowercase(trimmed);
}

}  // namespace velkaron::probe
