#pragma once

#include <string>

#include "report/json_value.h"

namespace velkaron::report {

// The whole document: two-blank indentation, keys in byte order, no trailing newline.
std::string to_pretty_json(const JsonValue& value);

}  // namespace velkaron::report
