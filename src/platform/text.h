#pragma once

// Small helpers on UTF-8 text, used on the selector and on encoder names.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velkaron::platform {

struct Utf8Char {
  std::optional<char32_t> value;  // none where no well-formed character starts
  std::size_t length;             // bytes taken: the character's, or 1
};

// The character at the start of `text`, which must not be empty. Overlong forms,
// surrogates and values past U+10FFFF are not characters.
Utf8Char first_utf8_char(std::string_view text) noexcept;

// The text without leading and trailing Unicode White_Space characters; a view of the input.
std::string_view trim_whitespace(std::string_view text) noexcept;

// A copy with A-Z mapped to a-z; every other byte unchanged.
std::string ascii_lowercase(std::string_view text);

// Byte-exact substring test; an empty needle is contained in every haystack.
bool contains_text(std::string_view haystack, std::string_view needle) noexcept;

// The first `count` Unicode scalar values of valid UTF-8 text, or all of it.
std::string take_chars(std::string_view text, std::size_t count);

}  // namespace velkaron::platform
