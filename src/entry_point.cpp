#include "entry_point.h"

#include "standard_streams.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace velkaron::cli {
namespace {

#if defined(_WIN32)
// The C runtime's own argv went through the ANSI code page; the UTF-16 line did not.
CommandLineWords read_command_line(int /*argc*/, char** /*argv*/) {
  return parse_command_line(platform::wide_view(::GetCommandLineW()));
}
#else
// Elsewhere the words arrive split and as bytes already.
CommandLineWords read_command_line(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}
#endif

}  // namespace

int run_entry_point(int argc, char** argv, const ProbeFunction& probe) {
  const FrontEndResult result = run_front_end(read_command_line(argc, argv), probe);
  if (auto written = write_standard_stream(result.stream, result.text); !written) {
    // The original text is not retried; this report of the failure is best effort.
    (void)write_standard_stream(StandardStream::error,
                                write_failure_message(result.stream, written.error()));
    return static_cast<int>(ExitStatus::write_failed);
  }
  return static_cast<int>(result.status);
}

}  // namespace velkaron::cli
