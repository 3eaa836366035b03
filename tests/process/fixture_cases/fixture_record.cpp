#include "fixture_record.h"

#include <algorithm>
#include <cstddef>
#include <sstream>

namespace velkaron::wine_test {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

bool has(const std::string& line, const std::string& part) {
  return line.find(part) != std::string::npos;
}

}  // namespace

std::vector<std::string> record_faults(bool exists, const std::string& record,
                                       const RecordExpectation& expected) {
  if (!expected.loaded) {
    return exists ? std::vector<std::string>{"the fixture server was loaded"}
                  : std::vector<std::string>{};
  }
  if (!exists) return {"no record: the fixture server was never loaded"};
  const std::vector<std::string> lines = lines_of(record);
  std::vector<std::string> faults;
  for (const auto& line : lines) {
    if (line.starts_with("MISUSE") || line.starts_with("cannot watch")) faults.push_back(line);
  }
  // The server's last word, at unload: nothing alive, nothing used after its release.
  if (lines.empty() || lines.back() != "detach live=0 misused=0") {
    faults.push_back("objects left or misused at the end: " +
                     (lines.empty() ? std::string("(empty)") : lines.back()));
  }
  std::size_t position = 0;
  for (const auto& call : expected.calls) {
    const auto found = std::find_if(lines.begin() + static_cast<std::ptrdiff_t>(position),
                                    lines.end(), [&](const auto& line) { return has(line, call); });
    if (found == lines.end()) {
      faults.push_back("lacks, at this point or later: " + call);
    } else {
      position = static_cast<std::size_t>(found - lines.begin()) + 1;
    }
  }
  for (const auto& unwanted : expected.never) {
    for (const auto& line : lines) {
      if (has(line, unwanted)) faults.push_back("has unexpected: " + line);
    }
  }
  return faults;
}

}  // namespace velkaron::wine_test
