#pragma once

// A probe stand-in for the front end: records each selector it is given and
// answers as scripted.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "front_end.h"

namespace velkaron::test_support {

struct RecordingProbe {
  RecordingProbe() = default;
  explicit RecordingProbe(probe::ProbeOutcome scripted) : answer(std::move(scripted)) {}

  probe::ProbeOutcome answer = std::unexpected(std::string("scripted failure"));
  std::vector<std::optional<std::string>> calls;

  cli::ProbeFunction function() {
    return [this](std::optional<std::string_view> selector) {
      calls.emplace_back(selector ? std::optional<std::string>(*selector) : std::nullopt);
      return answer;
    };
  }
};

}  // namespace velkaron::test_support
