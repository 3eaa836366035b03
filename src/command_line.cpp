#include "command_line.h"

namespace velkaron::cli {
namespace {

using platform::wide_unit;
using platform::wide_view;

constexpr wide_unit kQuote = u'"';
constexpr wide_unit kBackslash = u'\\';

bool is_blank(wide_unit unit) noexcept {
  return unit == u' ' || unit == u'\t';
}

// The program name takes no escapes: a quote only toggles whether blanks end it.
std::size_t read_program_name(wide_view line, wide_word& name) {
  bool in_quotes = false;
  std::size_t at = 0;
  for (; at < line.size(); ++at) {
    const wide_unit unit = line[at];
    if (unit == kQuote) {
      in_quotes = !in_quotes;
    } else if (!in_quotes && is_blank(unit)) {
      break;
    } else {
      name += unit;
    }
  }
  return at;
}

}  // namespace

std::vector<wide_word> split_command_line(wide_view line) {
  std::vector<wide_word> words(1);
  std::size_t at = read_program_name(line, words.front());

  while (true) {
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at == line.size()) break;

    wide_word& word = words.emplace_back();
    bool in_quotes = false;
    while (at < line.size()) {
      std::size_t backslashes = 0;
      while (at < line.size() && line[at] == kBackslash) {
        ++backslashes;
        ++at;
      }
      if (at < line.size() && line[at] == kQuote) {
        word.append(backslashes / 2, kBackslash);
        if (backslashes % 2 == 1) {
          word += kQuote;
        } else if (in_quotes && at + 1 < line.size() && line[at + 1] == kQuote) {
          word += kQuote;
          ++at;
        } else {
          in_quotes = !in_quotes;
        }
        ++at;
        continue;
      }
      word.append(backslashes, kBackslash);
      if (at == line.size() || (!in_quotes && is_blank(line[at]))) break;
      word += line[at];
      ++at;
    }
  }
  return words;
}

CommandLineWords decode_words(const std::vector<wide_word>& words) {
  std::vector<std::string> decoded;
  decoded.reserve(words.size());
  for (const wide_word& word : words) {
    auto text = platform::decode_utf16_strict(word);
    if (!text) {
      return std::unexpected(UndecodableWord{decoded.size(), platform::decode_utf16_lossy(word)});
    }
    decoded.push_back(std::move(*text));
  }
  return decoded;
}

CommandLineWords parse_command_line(wide_view command_line) {
  return decode_words(split_command_line(command_line));
}

}  // namespace velkaron::cli
