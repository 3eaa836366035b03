#include "platform/wide_text.h"

#include <cstdint>

#include "platform/text.h"

namespace velkaron::platform {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

void append_utf8(std::string& out, char32_t code_point) {
  const auto byte = [&out](std::uint32_t value) { out += static_cast<char>(value); };
  const auto value = static_cast<std::uint32_t>(code_point);
  if (value < 0x80) {
    byte(value);
  } else if (value < 0x800) {
    byte(0xC0 | (value >> 6));
    byte(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    byte(0xE0 | (value >> 12));
    byte(0x80 | ((value >> 6) & 0x3F));
    byte(0x80 | (value & 0x3F));
  } else {
    byte(0xF0 | (value >> 18));
    byte(0x80 | ((value >> 12) & 0x3F));
    byte(0x80 | ((value >> 6) & 0x3F));
    byte(0x80 | (value & 0x3F));
  }
}

// Walks the units; `on_unpaired` decides what an unpaired surrogate becomes and
// returns false to stop the walk.
template <class OnUnpaired>
bool decode_utf16(wide_view units, std::string& out, OnUnpaired on_unpaired) {
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto unit = static_cast<char32_t>(units[i]);
    if (!is_surrogate(unit)) {
      append_utf8(out, unit);
      continue;
    }
    if (is_high_surrogate(unit) && i + 1 < units.size()) {
      const auto next = static_cast<char32_t>(units[i + 1]);
      if (is_low_surrogate(next)) {
        append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    // The unit after an unpaired high surrogate is not consumed here.
    if (!on_unpaired(out)) return false;
  }
  return true;
}

}  // namespace

std::expected<std::string, Utf16DecodeError> decode_utf16_strict(wide_view units) {
  std::string text;
  if (!decode_utf16(units, text, [](std::string&) { return false; })) {
    return std::unexpected(Utf16DecodeError{});
  }
  return text;
}

std::expected<std::string, Utf16DecodeError> decode_wide_string(const wide_unit* text) {
  return decode_utf16_strict(wide_view(text));
}

std::string decode_utf16_lossy(wide_view units) {
  std::string text;
  decode_utf16(units, text, [](std::string& out) {
    append_utf8(out, kReplacementCharacter);
    return true;
  });
  return text;
}

wide_string encode_utf16(std::string_view utf8) {
  wide_string units;
  units.reserve(utf8.size());
  while (!utf8.empty()) {
    const Utf8Char next = first_utf8_char(utf8);
    const char32_t value = next.value.value_or(kReplacementCharacter);
    if (value < 0x10000) {
      units += static_cast<wide_unit>(value);
    } else {
      units += static_cast<wide_unit>(0xD800 + ((value - 0x10000) >> 10));
      units += static_cast<wide_unit>(0xDC00 + ((value - 0x10000) & 0x3FF));
    }
    utf8.remove_prefix(next.length);
  }
  return units;
}

wide_view trim_wide_end(wide_view units) noexcept {
  while (!units.empty()) {
    const wide_unit last = units.back();
    if (last != 0x20 && (last < 0x09 || last > 0x0D)) break;
    units.remove_suffix(1);
  }
  return units;
}

}  // namespace velkaron::platform
