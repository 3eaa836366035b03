#pragma once

// The whole process around one probe call: the command line in, one text out,
// and the exit status.

#include "front_end.h"

namespace velkaron::cli {

// Returns the exit status for `main` to return, so that every run ends through
// the same orderly exit. `argc` and `argv` are read only where the system hands
// over no UTF-16 command line.
int run_entry_point(int argc, char** argv, const ProbeFunction& probe);

}  // namespace velkaron::cli
