#pragma once

// The platform's UTF-16 strings and UTF-8 text, each way.

#include <expected>
#include <string>
#include <string_view>

#include "platform/wide_unit.h"

namespace velkaron::platform {

using wide_view = std::basic_string_view<wide_unit>;
using wide_string = std::basic_string<wide_unit>;

// Strict decoding failed: an unpaired surrogate. Carries nothing further.
struct Utf16DecodeError {
  friend bool operator==(Utf16DecodeError, Utf16DecodeError) = default;
};

// Strict: an unpaired surrogate fails the whole decoding.
std::expected<std::string, Utf16DecodeError> decode_utf16_strict(wide_view units);

// The units before the first NUL, decoded strictly. `text` must not be null.
std::expected<std::string, Utf16DecodeError> decode_wide_string(const wide_unit* text);

// Lossy: every unpaired surrogate becomes U+FFFD. For texts that only feed messages.
std::string decode_utf16_lossy(wide_view units);

// UTF-8 text as UTF-16; a byte that starts no well-formed character becomes U+FFFD.
wide_string encode_utf16(std::string_view utf8);

// Drops trailing U+0009..U+000D and U+0020; nothing else.
wide_view trim_wide_end(wide_view units) noexcept;

}  // namespace velkaron::platform
