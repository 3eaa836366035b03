#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/wide_text.h"
#include "wide_units.h"

namespace velkaron::platform {
namespace {

// UTF-8 of one BMP code point, made by the UTF-16 decoder rather than by hand.
std::string utf8_of(char16_t code_point) {
  return decode_utf16_strict(test::wide_units({code_point})).value();
}

TEST(TrimWhitespace, RemovesEveryUnicodeWhiteSpaceCharacterAtBothEnds) {
  const char16_t white_space[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,
                                  0xA0,   0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004,
                                  0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028,
                                  0x2029, 0x202F, 0x205F, 0x3000};
  for (const char16_t c : white_space) {
    const std::string space = utf8_of(c);
    EXPECT_EQ(trim_whitespace(space + space + "in" + space + "side" + space), "in" + space + "side")
        << "U+" << std::hex << static_cast<int>(c);
  }
}

TEST(TrimWhitespace, KeepsCharactersOutsideTheSet) {
  // Neighbours of the set's ranges, and characters often mistaken for white space.
  const char16_t not_white_space[] = {0x08,   0x0E,   0x1F,   0x21,   0x84,   0x86,   0x9F,
                                      0xA1,   0x180E, 0x1FFF, 0x200B, 0x2027, 0x202A, 0x2030,
                                      0x205E, 0x2060, 0x2FFF, 0x3001, 0xFEFF, 0x00C2};
  for (const char16_t c : not_white_space) {
    const std::string other = utf8_of(c);
    EXPECT_EQ(trim_whitespace(other + "x" + other), other + "x" + other)
        << "U+" << std::hex << static_cast<int>(c);
  }
}

TEST(TrimWhitespace, GivesAViewOfTheInputAndEmptyForOnlyWhiteSpace) {
  const std::string text = " \t nvidia \xE3\x80\x80";
  const std::string_view trimmed = trim_whitespace(text);
  EXPECT_EQ(trimmed, "nvidia");
  EXPECT_EQ(trimmed.data(), text.data() + 3);

  EXPECT_EQ(trim_whitespace("  \t\xE3\x80\x80\xC2\xA0 "), "");
  EXPECT_EQ(trim_whitespace(""), "");
}

TEST(TrimWhitespace, StopsAtMalformedBytesAtEitherEnd) {
  // A truncated or stray sequence is not white space, whatever its bytes resemble.
  EXPECT_EQ(trim_whitespace("\xE3\x80 x \x80"), "\xE3\x80 x \x80");
  EXPECT_EQ(trim_whitespace("\x80\x80 x"), "\x80\x80 x");
  // An overlong encoding of a blank is not a blank.
  EXPECT_EQ(trim_whitespace("\xC0\xA0x\xC0\xA0"), "\xC0\xA0x\xC0\xA0");
}

TEST(AsciiLowercase, ChangesOnlyTheAsciiCapitals) {
  std::string every_byte;
  std::string expected;
  for (int byte = 0; byte < 256; ++byte) {
    every_byte += static_cast<char>(byte);
    expected += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
  }
  EXPECT_EQ(ascii_lowercase(every_byte), expected);
  EXPECT_EQ(ascii_lowercase("NVIDIA H.264 Encoder \xC3\x84"), "nvidia h.264 encoder \xC3\x84");
}

TEST(ContainsText, IsAByteExactSubstringTest) {
  EXPECT_TRUE(contains_text("intel quick sync", "quick"));
  EXPECT_TRUE(contains_text("intel", "intel"));
  EXPECT_TRUE(contains_text("intel", "l"));
  EXPECT_TRUE(contains_text("intel", ""));
  EXPECT_TRUE(contains_text("", ""));
  EXPECT_FALSE(contains_text("intel", "Intel"));
  EXPECT_FALSE(contains_text("intel", "intels"));
  EXPECT_FALSE(contains_text("", "a"));
  EXPECT_FALSE(contains_text("in tel", "intel"));
}

TEST(TakeChars, CountsScalarValuesAndNeverCutsASequence) {
  // One character each of 1, 2, 3 and 4 bytes.
  const std::string text = "a\xC3\xA9\xE2\x84\xA2\xF0\x9D\x84\x9E";
  EXPECT_EQ(take_chars(text, 0), "");
  EXPECT_EQ(take_chars(text, 1), "a");
  EXPECT_EQ(take_chars(text, 2), "a\xC3\xA9");
  EXPECT_EQ(take_chars(text, 3), "a\xC3\xA9\xE2\x84\xA2");
  EXPECT_EQ(take_chars(text, 4), text);
  EXPECT_EQ(take_chars(text, 5), text);
  EXPECT_EQ(take_chars("", 3), "");
}

}  // namespace
}  // namespace velkaron::platform
