#pragma once

// The whole process around one probe call: the command line in, one text out,
// and the exit status.

#include "front_end.h"

namespace velkaron::cli {

// Reads the process's UTF-16 command line and returns the exit status for `main`
// to return, so that every run ends through the same orderly exit.
int run_entry_point(const ProbeFunction& probe);

}  // namespace velkaron::cli
