#pragma once

// Writing text to the process's standard output and standard error.

#include <expected>
#include <string_view>

#include "front_end.h"

namespace velkaron::cli {

// Writes all of `utf8`. A file, a pipe or a console set to code page 65001 gets
// the bytes unchanged; any other console gets the text as UTF-16 through the
// console's own call. A process without that stream drops the text: success.
std::expected<void, StreamWriteError> write_standard_stream(StandardStream stream,
                                                            std::string_view utf8);

}  // namespace velkaron::cli
