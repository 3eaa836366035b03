// Strict and lossy decoding of the platform's UTF-16 text, checked against a
// re-encoding written here: whatever the units, the output is valid UTF-8 that
// encodes back to the input (strict) or to the input with each unpaired
// surrogate replaced (lossy), and strict fails exactly when a surrogate is unpaired.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/wide_text.h"

namespace {

using velkaron::platform::wide_unit;
using velkaron::platform::wide_view;

bool is_high(std::uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool is_low(std::uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
bool is_space_or_control_blank(wide_unit unit) {
  return unit == 0x20 || (unit >= 0x09 && unit <= 0x0D);
}

// Decodes UTF-8 that must be well formed (shortest forms, no surrogates, at most
// U+10FFFF) and encodes it as UTF-16.
std::u16string utf8_to_utf16(const std::string& text) {
  std::u16string units;
  std::size_t i = 0;
  const auto byte = [&](std::size_t at) {
    FUZZ_CHECK(at < text.size());
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[at]));
  };
  while (i < text.size()) {
    const std::uint32_t lead = byte(i);
    std::uint32_t code_point = 0;
    std::size_t length = 0;
    if (lead < 0x80) {
      code_point = lead;
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      code_point = lead & 0x1F;
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      code_point = lead & 0x0F;
      length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      code_point = lead & 0x07;
      length = 4;
    } else {
      FUZZ_FAIL("invalid UTF-8 lead byte");
    }
    for (std::size_t k = 1; k < length; ++k) {
      const std::uint32_t continuation = byte(i + k);
      FUZZ_CHECK((continuation & 0xC0) == 0x80);
      code_point = (code_point << 6) | (continuation & 0x3F);
    }
    constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    FUZZ_CHECK(code_point >= smallest[length]);
    FUZZ_CHECK(code_point <= 0x10FFFF);
    FUZZ_CHECK(code_point < 0xD800 || code_point > 0xDFFF);
    if (code_point < 0x10000) {
      units.push_back(static_cast<char16_t>(code_point));
    } else {
      units.push_back(static_cast<char16_t>(0xD800 + ((code_point - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF)));
    }
    i += length;
  }
  return units;
}

// The units with every surrogate that is not half of a high-low pair replaced by U+FFFD.
std::u16string with_unpaired_replaced(wide_view units, std::size_t& unpaired) {
  std::u16string out;
  unpaired = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto unit = static_cast<std::uint32_t>(units[i]);
    if (is_high(unit) && i + 1 < units.size() && is_low(static_cast<std::uint32_t>(units[i + 1]))) {
      out.push_back(static_cast<char16_t>(units[i]));
      out.push_back(static_cast<char16_t>(units[i + 1]));
      ++i;
    } else if (is_high(unit) || is_low(unit)) {
      out.push_back(u'\uFFFD');
      ++unpaired;
    } else {
      out.push_back(static_cast<char16_t>(unit));
    }
  }
  return out;
}

std::u16string as_u16(wide_view units) {
  std::u16string out;
  for (const wide_unit unit : units) out.push_back(static_cast<char16_t>(unit));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<wide_unit> units(size / 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<wide_unit>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  const wide_view view(units.data(), units.size());

  std::size_t unpaired = 0;
  const std::u16string expected_lossy = with_unpaired_replaced(view, unpaired);

  const std::string lossy = velkaron::platform::decode_utf16_lossy(view);
  FUZZ_CHECK(utf8_to_utf16(lossy) == expected_lossy);

  const auto strict = velkaron::platform::decode_utf16_strict(view);
  FUZZ_CHECK(strict.has_value() == (unpaired == 0));
  if (strict) {
    FUZZ_CHECK(*strict == lossy);
    FUZZ_CHECK(utf8_to_utf16(*strict) == as_u16(view));
  }

  // The NUL-terminated form reads up to the first NUL and nothing after it.
  std::vector<wide_unit> terminated(units);
  terminated.push_back(0);
  std::size_t first_nul = 0;
  while (terminated[first_nul] != 0) ++first_nul;
  const auto from_pointer = velkaron::platform::decode_wide_string(terminated.data());
  const auto prefix = velkaron::platform::decode_utf16_strict(view.substr(0, first_nul));
  FUZZ_CHECK(from_pointer == prefix);

  // Trimming the end keeps a prefix and drops only blanks and control blanks.
  const wide_view trimmed = velkaron::platform::trim_wide_end(view);
  FUZZ_CHECK(trimmed.data() == view.data() && trimmed.size() <= view.size());
  for (std::size_t i = trimmed.size(); i < view.size(); ++i) {
    FUZZ_CHECK(is_space_or_control_blank(view[i]));
  }
  FUZZ_CHECK(trimmed.empty() || !is_space_or_control_blank(trimmed.back()));
  return 0;
}
