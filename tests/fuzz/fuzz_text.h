#pragma once

// Text for the fuzz targets: fuzz bytes as UTF-16 units, and the C library's converter
// (iconv) as the reference for every conversion between UTF-8, UTF-16 and code points.

#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/unique_any.h"
#include "platform/wide_text.h"

namespace velkaron::fuzz {

using platform::wide_string;
using platform::wide_unit;
using platform::wide_view;

// The bytes as little-endian UTF-16 units; an odd last byte is left out.
inline wide_string units_of(const std::uint8_t* data, std::size_t size) {
  wide_string units(size / 2, 0);
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<wide_unit>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  return units;
}

// Up to `most` units, each one of `special` or any unit at all.
inline wide_string units_from(FuzzedDataProvider& input, std::size_t most,
                              std::span<const wide_unit> special) {
  wide_string units;
  const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, most);
  for (std::size_t i = 0; i < length && input.remaining_bytes() > 0; ++i) {
    units += input.ConsumeBool()
                 ? special[input.ConsumeIntegralInRange<std::size_t>(0, special.size() - 1)]
                 : static_cast<wide_unit>(input.ConsumeIntegral<std::uint16_t>());
  }
  return units;
}

class Recoder {
 public:
  Recoder(const char* from, const char* to) : descriptor_(::iconv_open(to, from)) {
    FUZZ_CHECK(descriptor_.get() != reinterpret_cast<iconv_t>(-1));
  }

  // Converts `in` up to its end, up to the first place that is not valid input (an
  // incomplete character at the end too), or until `most` bytes are written; `in` keeps
  // what was not converted.
  std::string convert(std::string_view& in, std::size_t most = std::string::npos) const {
    std::string out;
    char buffer[256];
    char* in_at = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    while (in_left > 0 && out.size() < most) {
      char* out_at = buffer;
      std::size_t out_left = std::min(sizeof buffer, most - out.size());
      const std::size_t result = ::iconv(descriptor_.get(), &in_at, &in_left, &out_at, &out_left);
      out.append(buffer, out_at);
      if (result == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    in.remove_prefix(in.size() - in_left);
    return out;
  }

  // The whole text converted, or nullopt where it is not valid input.
  std::optional<std::string> strict(std::string_view in) const {
    std::string out = convert(in);
    if (!in.empty()) return std::nullopt;
    return out;
  }

  // The whole text converted, with `replacement` for every `step` bytes that do not convert.
  std::string lossy(std::string_view in, std::size_t step, std::string_view replacement) const {
    std::string out = convert(in);
    while (!in.empty()) {
      out += replacement;
      in.remove_prefix(std::min(step, in.size()));
      out += convert(in);
    }
    return out;
  }

 private:
  platform::unique_any<iconv_t, &::iconv_close> descriptor_;
};

// The units' bytes as they lie in memory: little-endian on every machine that fuzzes.
inline std::string_view bytes_of(wide_view units) {
  return {reinterpret_cast<const char*>(units.data()), units.size() * sizeof(wide_unit)};
}

inline wide_string units_of(std::string_view bytes) {
  return units_of(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// UTF-16 units as UTF-8: nullopt for an unpaired surrogate (strict), else U+FFFD for each.
inline std::optional<std::string> utf8_of_strict(wide_view units) {
  return Recoder("UTF-16LE", "UTF-8").strict(bytes_of(units));
}
inline std::string utf8_of_lossy(wide_view units) {
  return Recoder("UTF-16LE", "UTF-8").lossy(bytes_of(units), sizeof(wide_unit), "\uFFFD");
}

// UTF-8 bytes as UTF-16 units, with U+FFFD for each byte that starts no character.
inline wide_string utf16_of_lossy(std::string_view utf8) {
  return units_of(Recoder("UTF-8", "UTF-16LE").lossy(utf8, 1, "\xFD\xFF"));
}

inline std::string utf8_of(char32_t code_point) {
  const char bytes[] = {static_cast<char>(code_point), static_cast<char>(code_point >> 8),
                        static_cast<char>(code_point >> 16), 0};
  const auto text = Recoder("UTF-32LE", "UTF-8").strict({bytes, sizeof bytes});
  FUZZ_CHECK(text.has_value());
  return *text;
}

struct CodePoint {
  char32_t value;
  std::size_t offset;  // where its bytes start in the text
};

// The code points of valid UTF-8 text; nullopt for any other bytes.
inline std::optional<std::vector<CodePoint>> code_points(std::string_view utf8) {
  const Recoder recoder("UTF-8", "UTF-32LE");
  std::vector<CodePoint> points;
  std::string_view rest = utf8;
  while (!rest.empty()) {
    const std::size_t offset = utf8.size() - rest.size();
    const std::string one = recoder.convert(rest, 4);  // one character
    if (one.size() != 4) return std::nullopt;
    const auto byte = [&one](std::size_t i) {
      return static_cast<char32_t>(static_cast<unsigned char>(one[i]));
    };
    points.push_back({byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24, offset});
  }
  return points;
}

}  // namespace velkaron::fuzz
