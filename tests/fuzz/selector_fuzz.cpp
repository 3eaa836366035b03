// Selector normalisation, the substring test, vendor classification and character cutting,
// against plain reference versions written here from their definitions: trimming of the
// Unicode White_Space set, A-Z folding only, the first vendor word found deciding. Any bytes
// at all are accepted without a fault; the references are compared where the text is UTF-8.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/text.h"
#include "remote/webrtc/encoder_selector.h"
#include "remote/webrtc/encoder_vendor.h"

namespace {

using velkaron::probe::EncoderVendor;

// The code points of valid UTF-8 text, each with the offset where it starts; nullopt otherwise.
struct CodePoint {
  char32_t value;
  std::size_t offset;
};
std::optional<std::vector<CodePoint>> code_points(std::string_view text) {
  std::vector<CodePoint> points;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
      length = 1;
      value = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      value = lead & 0x07u;
    } else {
      return std::nullopt;
    }
    if (i + length > text.size()) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      value = (value << 6) | (next & 0x3Fu);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      return std::nullopt;
    }
    points.push_back({value, i});
    i += length;
  }
  return points;
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::string reference_trim(std::string_view text, const std::vector<CodePoint>& points) {
  std::size_t first = 0;
  std::size_t last = points.size();
  while (first < last && is_white_space(points[first].value)) ++first;
  while (last > first && is_white_space(points[last - 1].value)) --last;
  const std::size_t begin = first < points.size() ? points[first].offset : text.size();
  const std::size_t end = last < points.size() ? points[last].offset : text.size();
  return std::string(text.substr(begin, end - begin));
}

std::string reference_lowercase(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

EncoderVendor reference_vendor(std::string_view name) {
  const std::string lowered = reference_lowercase(name);
  struct Word {
    std::string_view text;
    EncoderVendor vendor;
  };
  constexpr Word kWords[] = {{"nvidia", EncoderVendor::Nvidia},
                             {"intel", EncoderVendor::Intel},
                             {"quick sync", EncoderVendor::Intel},
                             {"amd", EncoderVendor::Amd},
                             {"microsoft", EncoderVendor::Microsoft}};
  for (const Word& word : kWords) {
    if (lowered.find(word.text) != std::string::npos) return word.vendor;
  }
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

  if (const auto points = code_points(raw)) {
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
