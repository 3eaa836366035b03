#pragma once

// Starts a program with an exact UTF-16 command line and chosen standard
// streams, waits for it, and hands back its exit status and output bytes.

#include <windows.h>

#include <string>

namespace velkaron::wine_test {

enum class ChildStreams {
  captured,            // stdout and stderr each to a file of ours
  none,                // no standard handles and no console at all
  stdout_closed_pipe,  // stdout a pipe whose read end is closed; stderr captured
  stderr_closed_pipe,  // stderr a pipe whose read end is closed; stdout captured
  stdout_full_pipe,    // stdout a full pipe in no-wait mode that nobody reads; stderr captured
  stdout_bogus,        // stdout, once the child has started, a non-null value that names no handle;
                       // stderr captured, and what was stdout at the start too
};

struct ChildRun {
  DWORD exit_code = 0;
  std::string out;  // bytes the child wrote to stdout (when captured)
  std::string err;  // bytes the child wrote to stderr (when captured), Wine's exit noise removed
};

// `program` is a Windows path; `command_line` is handed over unchanged, its first
// word included. Fails the calling test (and returns exit code 0xFFFFFFFF) when
// the child cannot be started or does not end within a minute.
ChildRun launch(const std::wstring& program, const std::wstring& command_line,
                ChildStreams streams = ChildStreams::captured);

// A Unix path as the Windows path Wine maps it to; other paths unchanged.
std::wstring windows_path(const std::string& path);

}  // namespace velkaron::wine_test
