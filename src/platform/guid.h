#pragma once

// The platform's 128-bit identifier. On Windows it is the SDK's own GUID;
// elsewhere a struct of the same layout, so that the probe's logic and its
// constants build without the platform's headers.

#include <cstdint>
#include <string>

#if defined(_WIN32)
#include <guiddef.h>
#else
struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
#endif

namespace velkaron::platform {

// Field-wise equality over all 16 bytes.
constexpr bool same_guid(const GUID& a, const GUID& b) noexcept {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}

// 36 characters: uppercase hexadecimal in groups 8-4-4-4-12, no braces.
std::string guid_text(const GUID& guid);

}  // namespace velkaron::platform
