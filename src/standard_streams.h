#pragma once

// Writing text to the process's standard output and standard error, and the line
// that reports a write that failed.

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

namespace velkaron::cli {

enum class StandardStream { output, error };

// A write to a standard stream failed with the system's error `code`.
struct StreamWriteError {
  std::uint32_t code;
  std::string system_text;  // may be empty
};

// Writes all of `utf8`. A file, a pipe or a console set to code page 65001 gets
// the bytes unchanged; any other console gets the text as UTF-16 through the
// console's own call. A process without that stream drops the text: success. Windows
// programs only.
std::expected<void, StreamWriteError> write_standard_stream(StandardStream stream,
                                                            std::string_view utf8);

// "failed printing to stdout: " (or "stderr"), the system's text and " (os error N)", and "\n".
std::string write_failure_message(StandardStream stream, const StreamWriteError& error);

}  // namespace velkaron::cli
