#pragma once

// Fixed-width hexadecimal text, for GUIDs, status codes and JSON escapes alike.

#include <cstdint>
#include <string>

namespace velkaron::platform {

enum class HexLetters { upper, lower };

// Appends `value` as exactly `digits` hexadecimal digits, most significant first.
inline void append_hex(std::string& out, std::uint32_t value, int digits,
                       HexLetters letters = HexLetters::upper) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  // Setting bit 5 lowers the letters and leaves the decimal digits as they are.
  const char fold = letters == HexLetters::lower ? char{0x20} : char{0};
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
    out += static_cast<char>(kDigits[(value >> shift) & 0x0Fu] | fold);
  }
}

}  // namespace velkaron::platform
