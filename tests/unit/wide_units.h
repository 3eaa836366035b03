#pragma once

// Builds the platform's wide strings in tests. The unit type differs between
// Windows (wchar_t) and elsewhere (char16_t), so literals are copied unit by unit.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/wide_unit.h"

namespace velkaron::test {

using WideString = std::basic_string<platform::wide_unit>;

// From a u"" literal.
inline WideString wide(std::u16string_view units) {
  WideString text;
  for (const char16_t unit : units) text.push_back(static_cast<platform::wide_unit>(unit));
  return text;
}

// From raw code units; use it for lone surrogates and embedded NULs.
inline WideString wide_units(std::initializer_list<std::uint16_t> units) {
  WideString text;
  for (const std::uint16_t unit : units) text.push_back(static_cast<platform::wide_unit>(unit));
  return text;
}

}  // namespace velkaron::test
