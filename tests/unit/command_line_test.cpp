#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkaron::cli {
namespace {

// The tests spell command lines as char16_t; on Windows the units are wchar_t.
wide_word wide(std::u16string_view text) {
  return wide_word(text.begin(), text.end());
}

std::vector<wide_word> wide_words(const std::vector<std::u16string_view>& texts) {
  std::vector<wide_word> words;
  for (const auto text : texts) words.push_back(wide(text));
  return words;
}

std::vector<wide_word> split(std::u16string_view line) {
  return split_command_line(wide(line));
}

struct SplitCase {
  std::u16string_view line;
  std::vector<std::u16string_view> words;
};

TEST(SplitCommandLine, FollowsTheRuntimeRulesForArguments) {
  const SplitCase cases[] = {
      {u"probe", {u"probe"}},
      {u"probe nvidia", {u"probe", u"nvidia"}},
      {u"probe  \t a \t b\t", {u"probe", u"a", u"b"}},
      {uR"(probe "two words")", {u"probe", u"two words"}},
      {uR"(probe ab"c d"ef g)", {u"probe", u"abc def", u"g"}},
      {uR"(probe "")", {u"probe", u""}},
      {uR"(probe "" "")", {u"probe", u"", u""}},
      {uR"(probe "unclosed  blanks)", {u"probe", u"unclosed  blanks"}},
      // Backslashes are literal unless a quote follows them.
      {uR"(probe a\b\\c\ d\\)", {u"probe", uR"(a\b\\c\)", uR"(d\\)"}},
      // 2n backslashes and a quote: n backslashes, the quote toggles.
      {uR"(probe a\\"b c" d)", {u"probe", uR"(a\b c)", u"d"}},
      {uR"(probe a\\\\"b c")", {u"probe", uR"(a\\b c)"}},
      // 2n+1 backslashes and a quote: n backslashes and a literal quote.
      {uR"(probe a\"b c)", {u"probe", uR"(a"b)", u"c"}},
      {uR"(probe a\\\"b c)", {u"probe", uR"(a\"b)", u"c"}},
      {uR"(probe "a\"b c")", {u"probe", uR"(a"b c)"}},
      // A doubled quote inside quotes is a literal quote and quoting goes on.
      {uR"(probe "a""b c")", {u"probe", uR"(a"b c)"}},
      {uR"(probe """")", {u"probe", uR"(")"}},
      {uR"(probe """ x)", {u"probe", uR"(" x)"}},
      // Outside quotes two quotes open and close: an empty group.
      {uR"(probe a""b)", {u"probe", u"ab"}},
      {uR"(probe "a"" b")", {u"probe", uR"(a" b)"}},
      {uR"(probe "a" "b)", {u"probe", u"a", u"b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "line " << (&c - cases));
    EXPECT_EQ(split(c.line), wide_words(c.words));
  }
}

TEST(SplitCommandLine, ProgramNameTakesNoEscapes) {
  const SplitCase cases[] = {
      {u"", {u""}},
      {u" probe", {u"", u"probe"}},
      {uR"("C:\Program Files\probe.exe" x)", {uR"(C:\Program Files\probe.exe)", u"x"}},
      {uR"(C:\"Program Files"\probe.exe x)", {uR"(C:\Program Files\probe.exe)", u"x"}},
      // A backslash before a quote escapes nothing in the program name.
      {uR"("C:\dir\"x y)", {uR"(C:\dir\x)", u"y"}},
      {uR"(C:\dir\\probe.exe)", {uR"(C:\dir\\probe.exe)"}},
      {u"\"unclosed name x", {u"unclosed name x"}},
      {u"probe\tx", {u"probe", u"x"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "line " << (&c - cases));
    EXPECT_EQ(split(c.line), wide_words(c.words));
  }
}

TEST(SplitCommandLine, OnlySpaceAndTabSeparate) {
  EXPECT_EQ(split(u"probe a\u00A0b\u3000c\nd"), wide_words({u"probe", u"a\u00A0b\u3000c\nd"}));
}

TEST(ParseCommandLine, DecodesEveryWordToUtf8) {
  const auto words = parse_command_line(wide(u"probe \"\u00E9ncod\u00E9ur \U0001F3A5\" \u4E2D"));
  ASSERT_TRUE(words.has_value());
  EXPECT_EQ(*words, (std::vector<std::string>{"probe", "\xC3\xA9ncod\xC3\xA9ur \xF0\x9F\x8E\xA5",
                                              "\xE4\xB8\xAD"}));
}

TEST(ParseCommandLine, UnpairedSurrogateRefusesTheWholeLine) {
  const std::u16string lone_high = u"x\xD800y";
  const std::u16string lone_low = u"\xDC00";
  const std::u16string reversed_pair = u"\xDE00\xD83C";

  auto refused = parse_command_line(wide(u"probe ok " + lone_high + u" more words"));
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error(), (UndecodableWord{2, "x\xEF\xBF\xBDy"}));

  refused = parse_command_line(wide(u"\"probe" + lone_low + u".exe\" fine"));
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error().index, 0u);

  refused = parse_command_line(wide(u"probe " + reversed_pair));
  ASSERT_FALSE(refused.has_value());
  EXPECT_EQ(refused.error(), (UndecodableWord{1, "\xEF\xBF\xBD\xEF\xBF\xBD"}));
}

}  // namespace
}  // namespace velkaron::cli
