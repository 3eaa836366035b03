#pragma once

// Wine itself, never the program, may write "wine client error:<thread id>:" to a program's stderr
// as the process exits: with or without a reason after it, with or without a line feed. Tests that
// compare stderr forgive that noise where it can only be Wine's, at the very end and starting a
// line; every byte before it is still the program's and compared exactly.
//
// tests/process/e2e/e2e.py reads kWineExitNoise from this file, so the pattern keeps to what
// std::regex (ECMAScript) and Python's re read alike.

#include <regex>
#include <string_view>

namespace velkaron::wine_test {

// One or more of Wine's exit lines, as the whole of a text.
inline constexpr const char* kWineExitNoise = R"((?:wine client error:[0-9a-fA-F]+:[^\n]*\n?)+)";

// `text` up to the run of Wine's exit lines that ends it, or all of `text` when it ends otherwise.
inline std::string_view without_wine_exit_noise(std::string_view text) {
  const std::regex noise(kWineExitNoise);
  for (std::size_t start = 0; start < text.size();) {
    if (text.substr(start).starts_with("wine client error:") &&
        std::regex_match(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(), noise)) {
      return text.substr(0, start);
    }
    const std::size_t line_feed = text.find('\n', start);
    if (line_feed == text.npos) break;
    start = line_feed + 1;
  }
  return text;
}

}  // namespace velkaron::wine_test
