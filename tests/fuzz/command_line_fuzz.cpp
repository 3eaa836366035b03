// The command-line splitter and the strict decoding of its words.
//
// Two round trips through a quoting written here (each word in quotes, 2n+1
// backslashes before a quote inside it, 2n before the closing quote): words
// made from the input come back unchanged, and any line's words, quoted again,
// split to the same words. Splitting never makes text out of nothing, and
// decoding either decodes every word as the C library's converter does or names
// the first word it refuses.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "command_line.h"
#include "fuzz_check.h"
#include "fuzz_text.h"

namespace {

using velkaron::cli::wide_word;
using velkaron::platform::wide_unit;
using velkaron::platform::wide_view;

constexpr wide_unit kQuote = u'"';
constexpr wide_unit kBackslash = u'\\';

void append_quoted(wide_word& line, const wide_word& word) {
  line += kQuote;
  std::size_t backslashes = 0;
  for (const wide_unit unit : word) {
    if (unit == kBackslash) {
      ++backslashes;
      continue;
    }
    line.append(unit == kQuote ? 2 * backslashes + 1 : backslashes, kBackslash);
    line += unit;
    backslashes = 0;
  }
  line.append(2 * backslashes, kBackslash);
  line += kQuote;
}

// The program name cannot hold a quote: it is quoted whole, without escapes.
wide_word join(const std::vector<wide_word>& words) {
  wide_word line;
  line += kQuote;
  line += words.front();
  line += kQuote;
  for (std::size_t i = 1; i < words.size(); ++i) {
    line += u' ';
    append_quoted(line, words[i]);
  }
  return line;
}

// Units weighted towards the ones the splitter treats specially.
wide_word word_from(FuzzedDataProvider& input, bool program_name) {
  constexpr wide_unit kSpecial[] = {u'"', u'\\', u' ', u'\t', u'a', 0, 0xD800, 0xDC00};
  wide_word word = velkaron::fuzz::units_from(input, 24, kSpecial);
  if (program_name) std::ranges::replace(word, kQuote, wide_unit{u'q'});
  return word;
}

void check_decoding(const std::vector<wide_word>& words) {
  const auto decoded = velkaron::cli::decode_words(words);
  std::vector<std::string> expected;
  for (const wide_word& word : words) {
    auto text = velkaron::fuzz::utf8_of_strict(word);
    if (!text) break;
    expected.push_back(std::move(*text));
  }
  const std::size_t first_bad = expected.size();
  if (first_bad == words.size()) {
    FUZZ_CHECK(decoded == expected);
  } else {
    FUZZ_CHECK(!decoded.has_value());
    FUZZ_CHECK(decoded.error().index == first_bad);
    FUZZ_CHECK(decoded.error().lossy_text == velkaron::fuzz::utf8_of_lossy(words[first_bad]));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input's bytes as a raw command line.
  const wide_word raw = velkaron::fuzz::units_of(data, size);
  const wide_view line(raw);
  const std::vector<wide_word> words = velkaron::cli::split_command_line(line);
  FUZZ_CHECK(!words.empty());
  std::size_t units = 0;
  for (const wide_word& word : words) units += word.size();
  FUZZ_CHECK(units <= line.size());
  FUZZ_CHECK(velkaron::cli::split_command_line(join(words)) == words);
  check_decoding(words);
  FUZZ_CHECK(velkaron::cli::parse_command_line(line) == velkaron::cli::decode_words(words));

  // The same bytes as words, quoted into a line and split again.
  FuzzedDataProvider input(data, size);
  std::vector<wide_word> made{word_from(input, true)};
  const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 8);
  for (std::size_t i = 0; i < count; ++i) made.push_back(word_from(input, false));
  FUZZ_CHECK(velkaron::cli::split_command_line(join(made)) == made);
  return 0;
}
