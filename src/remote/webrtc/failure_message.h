#pragma once

#include <string>
#include <string_view>

#include "platform/platform_error.h"

namespace velkaron::probe {

// A run's message for a failed platform call: the step's context text, which
// ends in ": ", followed directly by the error's display text.
inline std::string failure_message(std::string_view context, const platform::PlatformError& error) {
  std::string message(context);
  message += error.display_text();
  return message;
}

}  // namespace velkaron::probe
