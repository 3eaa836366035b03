#pragma once

// The scripted probe behind the front-end fixture program, shared with the tests
// that check what the program writes.

#include <optional>
#include <string>
#include <string_view>

#include "remote/webrtc/run_probe.h"

namespace velkaron::wine_test {

// A selector starting with this gives a report; any other selector, or none, an error.
inline constexpr std::string_view kReportSelectorPrefix = "report";
// Gives a report only when the process has neither a stdout nor a stderr handle.
inline constexpr std::string_view kNoHandlesSelector = "no-handles?";

inline report::JsonValue fixture_report(std::string_view selector) {
  report::ReportObject object;
  object.insert("ok", report::JsonValue::boolean(true));
  object.insert("mftFriendlyName", report::JsonValue::string("Encodeur vid\xC3\xA9o \xE2\x84\xA2"));
  object.insert("mftSelector", report::JsonValue::string(selector));
  return report::JsonValue::object(std::move(object));
}

inline std::string fixture_message(std::optional<std::string_view> selector) {
  if (!selector) return "scripted probe: no selector";
  return "scripted probe: selector '" + std::string(*selector) + "'";
}

}  // namespace velkaron::wine_test
