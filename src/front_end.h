#pragma once

// What one run of the program does with its command line: which probe call,
// which text on which stream, and which exit status. No platform calls here;
// the probe is passed in so that tests can script it.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "command_line.h"
#include "remote/webrtc/run_probe.h"
#include "standard_streams.h"

namespace velkaron::cli {

enum class ExitStatus : int {
  success = 0,
  probe_failed = 1,
  usage = 2,
  undecodable_command_line = 3,
  write_failed = 4,
};

// The run's one piece of output: the complete text, line feed included.
struct FrontEndResult {
  StandardStream stream;
  std::string text;
  ExitStatus status;
};

using ProbeFunction = std::function<probe::ProbeOutcome(std::optional<std::string_view>)>;

// More than one argument gives the usage line without calling `probe`; otherwise
// `probe` runs once with the argument as typed, or with none.
FrontEndResult run_front_end(const CommandLineWords& words, const ProbeFunction& probe);

}  // namespace velkaron::cli
