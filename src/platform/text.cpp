#include "platform/text.h"

#include <optional>

#include "platform/wide_unit.h"

namespace velkaron::platform {
namespace {

bool is_continuation_byte(char byte) noexcept {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The Unicode White_Space property, complete.
bool is_white_space(char32_t c) noexcept {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

// The scalar value of `sequence` when its bytes are exactly one well-formed
// UTF-8 character.
std::optional<char32_t> decode_one(std::string_view sequence) noexcept {
  if (sequence.empty()) return std::nullopt;
  const Utf8Char first = first_utf8_char(sequence);
  if (first.length != sequence.size()) return std::nullopt;
  return first.value;
}

// Byte length of the first character, taking stray continuation bytes with it.
std::size_t first_char_length(std::string_view text) noexcept {
  std::size_t length = 1;
  while (length < text.size() && is_continuation_byte(text[length])) ++length;
  return length;
}

// Byte length of the last character (at most four bytes are looked at).
std::size_t last_char_length(std::string_view text) noexcept {
  std::size_t length = 1;
  while (length < text.size() && length < 4 && is_continuation_byte(text[text.size() - length])) {
    ++length;
  }
  return length;
}

bool is_white_space_char(std::string_view sequence) noexcept {
  const auto value = decode_one(sequence);
  return value && is_white_space(*value);
}

}  // namespace

Utf8Char first_utf8_char(std::string_view text) noexcept {
  constexpr Utf8Char kNoChar{std::nullopt, 1};
  const auto lead = static_cast<unsigned char>(text.front());
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07u;
  } else {
    return kNoChar;
  }
  if (text.size() < length) return kNoChar;
  for (std::size_t i = 1; i < length; ++i) {
    if (!is_continuation_byte(text[i])) return kNoChar;
    value = (value << 6) | (static_cast<unsigned char>(text[i]) & 0x3Fu);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  constexpr char32_t kSmallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallestOfLength[length] || value > 0x10FFFF || is_surrogate(value)) return kNoChar;
  return {value, length};
}

std::string_view trim_whitespace(std::string_view text) noexcept {
  while (!text.empty()) {
    const std::size_t length = first_char_length(text);
    if (!is_white_space_char(text.substr(0, length))) break;
    text.remove_prefix(length);
  }
  while (!text.empty()) {
    const std::size_t length = last_char_length(text);
    if (!is_white_space_char(text.substr(text.size() - length))) break;
    text.remove_suffix(length);
  }
  return text;
}

std::string ascii_lowercase(std::string_view text) {
  std::string lowered(text);
  for (char& byte : lowered) {
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<char>(byte + ('a' - 'A'));
  }
  return lowered;
}

bool contains_text(std::string_view haystack, std::string_view needle) noexcept {
  return haystack.find(needle) != std::string_view::npos;
}

std::string take_chars(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t taken = 0; taken < count && end < text.size(); ++taken) {
    end += first_char_length(text.substr(end));
  }
  return std::string(text.substr(0, end));
}

}  // namespace velkaron::platform
