#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velkaron::probe {

// The selector as the probe matches it: trimmed of Unicode white space and
// ASCII-lowercased; blank counts as absent.
std::optional<std::string> normalise_selector(std::optional<std::string_view> raw_selector);

}  // namespace velkaron::probe
