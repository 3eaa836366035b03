#pragma once

// The last phase: every input type the encoder offers with its output type in
// place, and the report built from them.

#include <optional>
#include <string_view>

#include "platform/guid.h"
#include "remote/webrtc/output_type.h"
#include "remote/webrtc/run_probe.h"

namespace velkaron::probe {

// The short name of a subtype the probe knows (all 16 bytes compared), else "unknown".
std::string_view subtype_label(const GUID& subtype);

// Walks the input types of stream 0 from index 0 to MF_E_NO_MORE_TYPES and
// builds the report, with the selector as `run_probe` received it. The input
// types, then the output type, then the transform are released before it returns.
ProbeOutcome report_input_types(ConfiguredEncoder configured,
                                std::optional<std::string_view> selector);

}  // namespace velkaron::probe
