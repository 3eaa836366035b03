#include <cstddef>
#include <cstdint>

#include "platform/guid.h"

namespace velkaron::platform {
namespace {

// Appends `value` as exactly `digits` uppercase hexadecimal digits, most significant first.
void append_hex(std::string& out, std::uint32_t value, int digits) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
    out += kHexDigits[(value >> shift) & 0x0Fu];
  }
}

}  // namespace

std::string guid_text(const GUID& guid) {
  std::string text;
  text.reserve(36);
  append_hex(text, guid.Data1, 8);
  text += '-';
  append_hex(text, guid.Data2, 4);
  text += '-';
  append_hex(text, guid.Data3, 4);
  text += '-';
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == 2) text += '-';
    append_hex(text, guid.Data4[i], 2);
  }
  return text;
}

}  // namespace velkaron::platform
