// Selector normalisation, the substring test, vendor classification and character cutting,
// against references built another way: the C library's converter finds the characters, the
// White_Space table and the C library's "C" locale folding decide trimming and case, and the
// vendor words are searched for case-blind, in vendor order. Any bytes at all are accepted
// without a fault; the references are compared where the text is UTF-8.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_text.h"
#include "platform/text.h"
#include "remote/webrtc/encoder_selector.h"
#include "remote/webrtc/encoder_vendor.h"

namespace {

using velkaron::probe::EncoderVendor;

using velkaron::fuzz::CodePoint;

// The Unicode White_Space property, as its table lists it.
bool is_white_space(char32_t c) {
  constexpr char32_t kWhiteSpace[] = {0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x0085,
                                      0x00A0, 0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004,
                                      0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028,
                                      0x2029, 0x202F, 0x205F, 0x3000};
  return std::ranges::binary_search(kWhiteSpace, c);
}

std::string reference_trim(std::string_view text, const std::vector<CodePoint>& points) {
  const auto blank = [](const CodePoint& point) { return is_white_space(point.value); };
  const auto first = std::ranges::find_if_not(points, blank);
  const auto last = std::find_if_not(points.rbegin(), std::make_reverse_iterator(first), blank);
  if (first == points.end()) return {};
  const std::size_t end = last == points.rbegin() ? text.size() : std::prev(last)->offset;
  return std::string(text.substr(first->offset, end - first->offset));
}

// The C library's folding: in the "C" locale it maps A-Z and nothing else.
char folded(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string reference_lowercase(std::string_view text) {
  std::string lowered;
  std::ranges::transform(text, std::back_inserter(lowered), folded);
  return lowered;
}

bool contains_folded(std::string_view name, std::string_view word) {
  const auto same = [](char a, char b) { return folded(a) == b; };
  return !std::ranges::search(name, word, same).empty();
}

EncoderVendor reference_vendor(std::string_view name) {
  if (contains_folded(name, "nvidia")) return EncoderVendor::Nvidia;
  if (contains_folded(name, "intel") || contains_folded(name, "quick sync")) {
    return EncoderVendor::Intel;
  }
  if (contains_folded(name, "amd")) return EncoderVendor::Amd;
  if (contains_folded(name, "microsoft")) return EncoderVendor::Microsoft;
  return EncoderVendor::Other;
}

// Short texts, often with white space, capitals and vendor words in them.
std::string text_from(FuzzedDataProvider& input) {
  constexpr std::string_view kPieces[] = {
      " ",          "\t",  "\xC2\xA0",  "\xE3\x80\x80", "\xE2\x80\x8B", "NVIDIA", "Intel",
      "Quick Sync", "AMD", "Microsoft", "\xC3\x89",     "\xC3\xA9",     "amd",    "x"};
  std::string text;
  const std::size_t parts = input.ConsumeIntegralInRange<std::size_t>(0, 8);
  for (std::size_t i = 0; i < parts && input.remaining_bytes() > 0; ++i) {
    if (input.ConsumeBool()) {
      text += kPieces[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kPieces) - 1)];
    } else {
      text += input.ConsumeRandomLengthString(8);
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string raw = text_from(input);
  const std::string name = text_from(input);
  const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 40);

  const std::optional<std::string> selector = velkaron::probe::normalise_selector(raw);
  FUZZ_CHECK(!velkaron::probe::normalise_selector(std::nullopt).has_value());
  FUZZ_CHECK(velkaron::probe::classify_vendor(name) == reference_vendor(name));
  FUZZ_CHECK(velkaron::platform::ascii_lowercase(name) == reference_lowercase(name));
  const std::string needle = selector.value_or(raw);
  FUZZ_CHECK(velkaron::platform::contains_text(name, needle) ==
             (std::string_view(name).find(needle) != std::string_view::npos));
  FUZZ_CHECK(velkaron::platform::contains_text(name, ""));

  if (const auto points = velkaron::fuzz::code_points(raw)) {
    const std::string trimmed = reference_trim(raw, *points);
    FUZZ_CHECK(std::string(velkaron::platform::trim_whitespace(raw)) == trimmed);
    if (trimmed.empty()) {
      FUZZ_CHECK(!selector.has_value());
    } else {
      FUZZ_CHECK(selector == reference_lowercase(trimmed));
      FUZZ_CHECK(velkaron::probe::normalise_selector(*selector) == selector);
    }

    const std::string cut = velkaron::platform::take_chars(raw, count);
    const std::size_t end = count < points->size() ? (*points)[count].offset : raw.size();
    FUZZ_CHECK(cut == raw.substr(0, end));
  } else {
    // Not UTF-8: no reference, but no fault either, and the selector is still folded.
    if (selector) FUZZ_CHECK(*selector == reference_lowercase(*selector));
    // Cutting is meant for UTF-8, yet it must stay inside the text and give a prefix of it.
    const std::string cut = velkaron::platform::take_chars(raw, count);
    FUZZ_CHECK(std::string_view(raw).starts_with(cut));
  }
  return 0;
}
