#pragma once

// The process's command line as words: split by the rules of today's Microsoft C
// runtime, then decoded strictly to UTF-8.

#include <cstddef>
#include <expected>
#include <string>
#include <vector>

#include "platform/wide_text.h"

namespace velkaron::cli {

using wide_word = std::basic_string<platform::wide_unit>;

// The words of a command line, the program name first. The program name ends at
// the first blank outside quotes; its quotes are dropped and its backslashes are
// literal. After it, blanks (space, tab) separate words and double quotes group;
// 2n backslashes before a quote give n backslashes and a quote that toggles
// quoting, 2n+1 give n backslashes and a literal quote; inside quotes a doubled
// quote is a literal quote; other backslashes are literal.
std::vector<wide_word> split_command_line(platform::wide_view command_line);

// A word that is not valid UTF-16 (an unpaired surrogate).
struct UndecodableWord {
  std::size_t index;       // 0 is the program name
  std::string lossy_text;  // the word with U+FFFD for each unpaired surrogate

  friend bool operator==(const UndecodableWord&, const UndecodableWord&) = default;
};

// Every word decoded, or the first that cannot be.
using CommandLineWords = std::expected<std::vector<std::string>, UndecodableWord>;

CommandLineWords decode_words(const std::vector<wide_word>& words);

// split_command_line followed by decode_words.
CommandLineWords parse_command_line(platform::wide_view command_line);

}  // namespace velkaron::cli
