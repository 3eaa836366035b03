#pragma once

// The encoder probe: one call per process, owning COM and Media Foundation
// from start-up to shutdown.

#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "report/json_value.h"

namespace velkaron::probe {

// The run's outcome: the report, or the one message that ended the run.
using ProbeOutcome = std::expected<report::JsonValue, std::string>;

// Enumerates the hardware H.264 encoders, picks and activates one, sets the
// fixed output type and reports every input type it offers.
ProbeOutcome run_probe(std::optional<std::string_view> selector);

// The frame alone: COM and Media Foundation start, `phases` runs, and both are
// shut down again on every path that started them. All platform objects the
// phases acquire must be released before they return.
ProbeOutcome run_in_platform_frame(const std::function<ProbeOutcome()>& phases);

}  // namespace velkaron::probe
