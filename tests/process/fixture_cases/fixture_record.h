#pragma once

// What the fixture encoders' server recorded in one run of the program (VELKARON_FIXTURE_RECORD):
// whether it was loaded at all, every object released exactly once and none used after its
// release, and the calls a case names made, in order, or never made.

#include <string>
#include <utility>
#include <vector>

namespace velkaron::wine_test {

struct RecordExpectation {
  bool loaded;                     // Media Foundation activated a fixture encoder in the run
  std::vector<std::string> calls;  // each on a line of its own, in this order
  std::vector<std::string> never;  // on no line
};

// A record whose lines include these calls, in order, and never those.
inline RecordExpectation made(std::vector<std::string> calls, std::vector<std::string> never = {}) {
  return {true, std::move(calls), std::move(never)};
}
// No record at all: the fixture server was never loaded.
inline RecordExpectation not_loaded() {
  return {false, {}, {}};
}

// The record's faults against the expectation, one line each; empty when it meets it. `record` is
// the file's content, or nothing when `exists` is false.
std::vector<std::string> record_faults(bool exists, const std::string& record,
                                       const RecordExpectation& expected);

}  // namespace velkaron::wine_test
