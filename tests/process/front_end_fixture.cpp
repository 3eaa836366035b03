// The program's front end with a scripted probe in place of the encoder probe,
// so that process-level tests control what is written and where.

#include <windows.h>

#include "entry_point.h"
#include "front_end_fixture.h"

namespace {

velkaron::probe::ProbeOutcome scripted_probe(std::optional<std::string_view> selector) {
  using namespace velkaron::wine_test;
  if (selector == kNoHandlesSelector) {
    const bool none =
        ::GetStdHandle(STD_OUTPUT_HANDLE) == nullptr && ::GetStdHandle(STD_ERROR_HANDLE) == nullptr;
    if (none) return fixture_report(*selector);
  } else if (selector && selector->starts_with(kReportSelectorPrefix)) {
    return fixture_report(*selector);
  }
  return std::unexpected(fixture_message(selector));
}

}  // namespace

int main() {
  return velkaron::cli::run_entry_point(scripted_probe);
}
