// Strict and lossy decoding of the platform's UTF-16 text and the encoding of UTF-8 text
// back into it, against the C library's converter: the input's bytes, read as UTF-16,
// decode as it decodes them (U+FFFD for each unpaired surrogate when lossy, failure when
// strict), and read as UTF-8 they encode as it encodes them (U+FFFD for each byte that
// starts no character). Decoding and encoding undo each other.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "fuzz_text.h"
#include "platform/wide_text.h"

namespace {

using velkaron::platform::wide_string;
using velkaron::platform::wide_unit;
using velkaron::platform::wide_view;

bool is_space_or_control_blank(wide_unit unit) {
  return unit == 0x20 || (unit >= 0x09 && unit <= 0x0D);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const wide_string units = velkaron::fuzz::units_of(data, size);
  const wide_view view(units);

  const std::string lossy = velkaron::platform::decode_utf16_lossy(view);
  FUZZ_CHECK(lossy == velkaron::fuzz::utf8_of_lossy(view));
  const auto strict = velkaron::platform::decode_utf16_strict(view);
  const auto expected_strict = velkaron::fuzz::utf8_of_strict(view);
  FUZZ_CHECK(strict.has_value() == expected_strict.has_value());
  if (strict) {
    FUZZ_CHECK(*strict == *expected_strict);
    FUZZ_CHECK(velkaron::platform::encode_utf16(*strict) == units);
  }
  FUZZ_CHECK(velkaron::platform::decode_utf16_strict(velkaron::platform::encode_utf16(lossy)) ==
             lossy);

  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(velkaron::platform::encode_utf16(bytes) == velkaron::fuzz::utf16_of_lossy(bytes));

  // The NUL-terminated form reads up to the first NUL and nothing after it.
  const std::size_t first_nul = std::min(view.find(wide_unit{0}), view.size());
  FUZZ_CHECK(velkaron::platform::decode_wide_string(units.c_str()) ==
             velkaron::platform::decode_utf16_strict(view.substr(0, first_nul)));

  // Trimming the end keeps a prefix and drops only blanks and control blanks.
  const wide_view trimmed = velkaron::platform::trim_wide_end(view);
  FUZZ_CHECK(trimmed.data() == view.data() && trimmed.size() <= view.size());
  for (std::size_t i = trimmed.size(); i < view.size(); ++i) {
    FUZZ_CHECK(is_space_or_control_blank(view[i]));
  }
  FUZZ_CHECK(trimmed.empty() || !is_space_or_control_blank(trimmed.back()));
  return 0;
}
