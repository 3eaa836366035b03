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

}  // namespace velkaron::platform
