#include "stream_write_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "wide_units.h"

namespace velkaron::cli {
namespace {

using test::wide;

TEST(WritePath, ConsolesTakeUnitsUnlessUtf8AndUnreadableCharacterDevicesAreTriedAsOne) {
  struct Case {
    StreamHandleTraits handle;
    WritePath path;
  };
  // Console mode readable, character device, console code page UTF-8.
  const Case cases[] = {
      {{true, true, false}, WritePath::console},
      {{true, true, true}, WritePath::bytes},
      // A console handle without read access, or the NUL device.
      {{false, true, false}, WritePath::console_else_bytes},
      {{false, true, true}, WritePath::bytes},
      // Files and pipes.
      {{false, false, false}, WritePath::bytes},
      {{false, false, true}, WritePath::bytes},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(choose_write_path(c.handle), c.path)
        << c.handle.console_mode_readable << c.handle.character_device
        << c.handle.console_takes_utf8;
  }
}

TEST(ConsoleChunk, CutsAtTheLimitButNeverInsideASurrogatePair) {
  // U+1F3A5 is the pair D83C DFA5; the limit is 4 units.
  const auto length = [](std::u16string_view text) { return console_chunk_length(wide(text), 4); };
  EXPECT_EQ(length(u"abc\U0001F3A5d"), 3u);  // the pair straddles the boundary
  EXPECT_EQ(length(u"abcd\U0001F3A5"), 4u);  // the boundary just before a pair
  EXPECT_EQ(length(u"ab\U0001F3A5cd"), 4u);  // the boundary just after a pair
  EXPECT_EQ(length(u"a\U0001F3A5"), 3u);     // shorter than one chunk
  EXPECT_EQ(length(u"ab\U0001F3A5"), 4u);    // exactly one chunk, ending in a pair
  EXPECT_EQ(console_chunk_length(wide(std::u16string(kConsoleChunkUnits + 1, u'x'))),
            kConsoleChunkUnits);
}

constexpr int kRefuse = -1;

// A system write call in the manner of WriteFile and WriteConsoleW (see write_through): call
// N takes at most takes[N] units of what it is asked, or fails when that is kRefuse; calls past
// the script take all they are asked. It keeps what it took, and the size of every request.
template <class Unit>
struct ScriptedSystemWrite {
  explicit ScriptedSystemWrite(std::vector<int> script = {}) : takes(std::move(script)) {}

  std::vector<int> takes;
  std::vector<std::size_t> asked;
  std::basic_string<Unit> taken;

  bool operator()(const Unit* data, std::uint32_t count, std::uint32_t* written) {
    asked.push_back(count);
    *written = count;
    if (asked.size() <= takes.size()) {
      const int take = takes[asked.size() - 1];
      if (take == kRefuse) return false;
      *written = std::min(count, static_cast<std::uint32_t>(take));
    }
    taken.append(data, *written);
    return true;
  }
};

// What a write of bytes asks for: all that is left.
std::size_t whole_rest(std::string_view rest) {
  return rest.size();
}

TEST(WriteAll, WritesTheRestUntilDoneAndStopsAtTheFirstFailedCall) {
  const std::string_view text = "0123456789";
  ScriptedSystemWrite<char> partial({4, 0, 6});
  EXPECT_EQ(write_through<std::uint32_t>(text, whole_rest, partial).end, WriteEnd::complete);
  EXPECT_EQ(partial.asked, (std::vector<std::size_t>{10, 6, 6}));
  EXPECT_EQ(partial.taken, text);

  ScriptedSystemWrite<char> failing({3, kRefuse});
  const WriteProgress failed = write_through<std::uint32_t>(text, whole_rest, failing);
  EXPECT_EQ(failed.end, WriteEnd::call_failed);
  EXPECT_EQ(failed.written, 3u);
  EXPECT_EQ(failing.asked.size(), 2u);
}

TEST(WriteAll, SuccessesThatWriteNothingEndAsAFailureAfterTheBoundedTries) {
  // Progress in between starts the count again.
  std::vector<int> takes(kFruitlessWriteLimit - 1, 0);
  takes.push_back(1);
  takes.insert(takes.end(), kFruitlessWriteLimit, 0);
  ScriptedSystemWrite<char> stalled(takes);

  const WriteProgress progress =
      write_through<std::uint32_t>(std::string_view("ab"), whole_rest, stalled);
  EXPECT_EQ(progress.end, WriteEnd::no_progress);
  EXPECT_EQ(progress.written, 1u);
  EXPECT_EQ(stalled.asked.size(), takes.size());
}

TEST(WriteThrough, AWriterThatTakesPartOfEachBufferStillGetsAllOfTheTextInOrder) {
  // Like a pipe in no-wait mode: half of what it is asked for, and every third call nothing.
  // The count type holds at most 255, so no call is asked for more.
  const std::string text = "{\"entries\": []}\n" + std::string(300, 'x');
  std::string received;
  std::size_t calls = 0;
  std::uint8_t largest = 0;
  const WriteProgress progress = write_through<std::uint8_t>(
      std::string_view(text), whole_rest,
      [&](const char* data, std::uint8_t asked, std::uint8_t* written) {
        largest = std::max(largest, asked);
        *written = ++calls % 3 == 0 ? std::uint8_t{0} : static_cast<std::uint8_t>((asked + 1) / 2);
        received.append(data, *written);
        return true;
      });
  EXPECT_EQ(progress.end, WriteEnd::complete);
  EXPECT_EQ(received, text);
  EXPECT_EQ(largest, 255);
}

TEST(WriteText, ConsoleWritesAreChunksThatKeepEachPairWholeAndTheTextArrivesInOrder) {
  std::string text;
  for (int i = 0; i < 10'000; ++i) text += "x\xF0\x9F\x8E\xA5";  // x U+1F3A5: pairs at every phase
  ScriptedSystemWrite<platform::wide_unit> console;
  ScriptedSystemWrite<char> bytes;
  EXPECT_EQ(write_text<std::uint32_t>(WritePath::console, text, console, bytes),
            WriteEnd::complete);
  EXPECT_EQ(console.taken, platform::encode_utf16(text));
  std::size_t start = 0;
  for (const std::size_t units : console.asked) {
    EXPECT_LE(units, kConsoleChunkUnits);
    EXPECT_FALSE(platform::is_high_surrogate(console.taken[start + units - 1])) << start;
    start += units;
  }
  EXPECT_TRUE(bytes.asked.empty());
}

TEST(WriteText, AConsoleThatRefusesBeforeTakingAnythingIsWrittenAsBytes) {
  const std::string text = "Encod\xC3\xA9r";  // 7 units, 8 bytes
  struct Case {
    WritePath path;
    std::vector<int> console_takes;
    WriteEnd end;
    bool as_bytes;
  };
  const Case cases[] = {
      {WritePath::bytes, {}, WriteEnd::complete, true},
      {WritePath::console_else_bytes, {}, WriteEnd::complete, false},        // a console after all
      {WritePath::console_else_bytes, {kRefuse}, WriteEnd::complete, true},  // NUL: the bytes
      {WritePath::console_else_bytes, {0, 0, 0}, WriteEnd::complete, true},  // nothing taken
      // Refused after taking part of the text: it is not written again.
      {WritePath::console_else_bytes, {4, kRefuse}, WriteEnd::call_failed, false},
      {WritePath::console, {kRefuse}, WriteEnd::call_failed, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.console_takes));
    ScriptedSystemWrite<platform::wide_unit> console(c.console_takes);
    ScriptedSystemWrite<char> bytes;
    EXPECT_EQ(write_text<std::uint32_t>(c.path, text, console, bytes), c.end);
    EXPECT_EQ(bytes.taken, c.as_bytes ? text : "");
  }
}

}  // namespace
}  // namespace velkaron::cli
