#include "platform/wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "wide_units.h"

namespace velkaron::platform {
namespace {

using test::wide;
using test::wide_units;
using test::WideString;

TEST(DecodeUtf16Strict, EncodesEachCodePointInTheShortestUtf8Form) {
  struct Case {
    test::WideString units;
    std::string utf8;
  };
  const Case cases[] = {
      {wide_units({}), ""},
      {wide_units({0x0000}), std::string(1, '\0')},
      {wide_units({0x007F}), "\x7F"},
      {wide_units({0x0080}), "\xC2\x80"},
      {wide_units({0x07FF}), "\xDF\xBF"},
      {wide_units({0x0800}), "\xE0\xA0\x80"},
      {wide_units({0xD7FF}), "\xED\x9F\xBF"},
      {wide_units({0xE000}), "\xEE\x80\x80"},
      {wide_units({0xFFFF}), "\xEF\xBF\xBF"},
      {wide_units({0xD800, 0xDC00}), "\xF0\x90\x80\x80"},
      {wide_units({0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF"},
      {wide(u"Caf\u00E9 \u2122 \U0001D11E"), "Caf\xC3\xA9 \xE2\x84\xA2 \xF0\x9D\x84\x9E"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decode_utf16_strict(c.units), c.utf8);
    EXPECT_EQ(decode_utf16_lossy(c.units), c.utf8);
    EXPECT_EQ(encode_utf16(c.utf8), c.units);
  }
}

TEST(EncodeUtf16, ReplacesEachByteThatStartsNoCharacter) {
  const auto replaced = [](std::size_t count) { return WideString(count, 0xFFFD); };
  EXPECT_EQ(encode_utf16("\xC0\x80"), replaced(2));                // overlong
  EXPECT_EQ(encode_utf16("\xED\xA0\x80"), replaced(3));            // a surrogate's form
  EXPECT_EQ(encode_utf16("\xF4\x90\x80\x80"), replaced(4));        // past U+10FFFF
  EXPECT_EQ(encode_utf16("a\xE2\x82"), wide(u"a") + replaced(2));  // cut short
  EXPECT_EQ(encode_utf16("\xFF"
                         "b\xC3\xA9"),
            replaced(1) + wide(u"b\u00E9"));
  // Overlong 3- and 4-byte forms, up to the last before E0 A0 80 and F0 90 80 80 (characters).
  for (const std::string_view overlong :
       {"\xE0\x80\x80", "\xE0\x9F\xBF", "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF"}) {
    EXPECT_EQ(encode_utf16(overlong), replaced(overlong.size())) << overlong.size();
  }
}

TEST(DecodeUtf16Strict, FailsOnEveryUnpairedSurrogate) {
  const test::WideString unpaired[] = {
      wide_units({0xDC00}),                  // low on its own
      wide_units({'a', 0xD800}),             // high as the last unit
      wide_units({0xD800, 'a'}),             // high followed by a plain unit
      wide_units({0xD800, 0xD800, 0xDC00}),  // high followed by another high
      wide_units({0xDFFF, 0xDBFF}),          // a pair in the wrong order
  };
  for (const auto& units : unpaired) {
    EXPECT_EQ(decode_utf16_strict(units), std::unexpected(Utf16DecodeError{}));
  }
}

TEST(DecodeWideString, StopsAtTheFirstNul) {
  EXPECT_EQ(decode_wide_string(wide_units({0}).c_str()), "");
  EXPECT_EQ(decode_wide_string(wide(u"Encoder").c_str()), "Encoder");
  // Nothing after the terminator is read, not even an unpaired surrogate.
  EXPECT_EQ(decode_wide_string(wide_units({'o', 'k', 0, 0xD800, 'x'}).c_str()), "ok");
  EXPECT_EQ(decode_wide_string(wide_units({'o', 0xDC00, 'k', 0}).c_str()),
            std::unexpected(Utf16DecodeError{}));
}

TEST(DecodeUtf16Lossy, ReplacesEachUnpairedSurrogateAndKeepsTheUnitAfterIt) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(decode_utf16_lossy(wide_units({'a', 0xDC00, 'b'})), "a" + replacement + "b");
  EXPECT_EQ(decode_utf16_lossy(wide_units({'a', 0xD800})), "a" + replacement);
  EXPECT_EQ(decode_utf16_lossy(wide_units({0xD800, 'b'})), replacement + "b");
  EXPECT_EQ(decode_utf16_lossy(wide_units({0xD800, 0xD800, 0xDC00})),
            replacement + "\xF0\x90\x80\x80");
  EXPECT_EQ(decode_utf16_lossy(wide_units({0xDC00, 0xD800})), replacement + replacement);
}

TEST(TrimWideEnd, DropsOnlyTrailingAsciiWhiteSpace) {
  EXPECT_EQ(trim_wide_end(wide(u"Failed.\r\n")), wide(u"Failed."));
  EXPECT_EQ(trim_wide_end(wide(u"line\none\n")), wide(u"line\none"));
  EXPECT_EQ(trim_wide_end(wide(u"  lead \t\v\f \t")), wide(u"  lead"));
  EXPECT_EQ(trim_wide_end(wide(u" \t\r\n")), wide(u""));
  EXPECT_EQ(trim_wide_end(wide(u"")), wide(u""));
  // Other white space, and the control bytes next to the trimmed range, stay.
  EXPECT_EQ(trim_wide_end(wide(u"x\u00A0")), wide(u"x\u00A0"));
  EXPECT_EQ(trim_wide_end(wide(u"x\u3000")), wide(u"x\u3000"));
  EXPECT_EQ(trim_wide_end(wide_units({'x', 0x08})), wide_units({'x', 0x08}));
  EXPECT_EQ(trim_wide_end(wide_units({'x', 0x0E})), wide_units({'x', 0x0E}));
}

}  // namespace
}  // namespace velkaron::platform
