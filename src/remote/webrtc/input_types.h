#pragma once

// The last phase: every input type the encoder offers with its output type in place.

#include <expected>
#include <string>

#include "remote/webrtc/output_type.h"
#include "report/json_value.h"

namespace velkaron::probe {

// One report entry per input type of stream 0, from index 0 to
// MF_E_NO_MORE_TYPES, in index order: its index, subtype and label. Each type
// is released before the next is asked for. The error is the run's message.
std::expected<report::JsonArray, std::string> read_input_types(const ConfiguredEncoder& configured);

}  // namespace velkaron::probe
