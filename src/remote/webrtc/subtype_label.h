#pragma once

#include <string_view>

#include "platform/guid.h"

namespace velkaron::probe {

// The short name of a subtype the probe knows (all 16 bytes compared), else "unknown".
std::string_view subtype_label(const GUID& subtype);

}  // namespace velkaron::probe
