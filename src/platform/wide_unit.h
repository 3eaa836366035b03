#pragma once

namespace velkaron::platform {

// One UTF-16 code unit as the platform spells it: WCHAR is wchar_t on Windows;
// the substitute platform uses char16_t, which has the same width everywhere.
#if defined(_WIN32)
using wide_unit = wchar_t;
#else
using wide_unit = char16_t;
#endif
static_assert(sizeof(wide_unit) == 2);

// The two halves of a surrogate pair; either one alone is not text.
constexpr bool is_high_surrogate(char32_t unit) noexcept {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool is_low_surrogate(char32_t unit) noexcept {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr bool is_surrogate(char32_t unit) noexcept {
  return is_high_surrogate(unit) || is_low_surrogate(unit);
}

}  // namespace velkaron::platform
