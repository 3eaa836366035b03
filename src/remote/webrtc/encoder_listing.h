#pragma once

// How encoders appear in the run's messages, shared by the phases that name them.

#include <string>
#include <string_view>
#include <vector>

namespace velkaron::probe {

// "name [CLSID]".
std::string encoder_label(std::string_view friendly_name, std::string_view clsid_text);

// The parts joined by " | ", or `when_empty` when there are none.
std::string join_labels(const std::vector<std::string>& parts, std::string_view when_empty);

// The end of every message that says no encoder could be used: ". Available encoders: " and
// every enumerated encoder's label, or "<none>".
std::string available_encoders_tail(const std::vector<std::string>& available);

}  // namespace velkaron::probe
