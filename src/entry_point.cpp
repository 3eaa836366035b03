#include "entry_point.h"

#include <windows.h>

#include "standard_streams.h"

namespace velkaron::cli {

int run_entry_point(const ProbeFunction& probe) {
  // The C runtime's own argv went through the ANSI code page; the UTF-16 line did not.
  const CommandLineWords words = parse_command_line(platform::wide_view(::GetCommandLineW()));
  const FrontEndResult result = run_front_end(words, probe);
  if (auto written = write_standard_stream(result.stream, result.text); !written) {
    // The original text is not retried; this report of the failure is best effort.
    (void)write_standard_stream(StandardStream::error,
                                write_failure_message(result.stream, written.error()));
    return static_cast<int>(ExitStatus::write_failed);
  }
  return static_cast<int>(result.status);
}

}  // namespace velkaron::cli
