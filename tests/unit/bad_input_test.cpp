// Inputs at and past the sizes a real machine gives: the longest command line the system
// allows, thousands of encoders, a hundred thousand input types, empty and 65,535-unit friendly
// names. Each run must complete with exactly the output it would have for small inputs, hold
// the platform's objects no longer than needed (one input type at a time), and release
// everything once.

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "front_end.h"
#include "probe_scenario.h"
#include "recording_probe.h"

namespace velkaron::probe {
namespace {

using cli::ExitStatus;
using cli::wide_word;
using test_support::RecordingProbe;

// The system's limit for a process's command line, in UTF-16 units.
constexpr std::size_t kLongestCommandLine = 32'767;

std::u16string repeated(std::u16string_view piece, std::size_t times) {
  std::u16string text;
  text.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(BadInputCommandLine, OneArgumentFillingTheLongestLineReachesTheProbeWhole) {
  // Program name, blank, and one quoted argument with an escaped quote and a run of
  // backslashes before the closing quote (2n give n), up to the limit exactly.
  const std::u16string inside = repeated(u"ab", (kLongestCommandLine - 15) / 2);
  const std::u16string line = u"probe \"" + inside + u"\\\"c\\\\\\\\\"";
  ASSERT_EQ(line.size(), kLongestCommandLine);

  RecordingProbe probe;
  const cli::FrontEndResult result =
      cli::run_front_end(cli::parse_command_line(line), probe.function());
  std::string expected;
  for (std::size_t i = 0; i < inside.size() / 2; ++i) expected += "ab";
  expected += "\"c\\\\";
  ASSERT_EQ(probe.calls.size(), 1u);
  EXPECT_EQ(probe.calls.front(), expected);
  EXPECT_EQ(result.status, ExitStatus::probe_failed);
  EXPECT_EQ(result.text, "scripted failure\n");
}

TEST(BadInputCommandLine, SixteenThousandArgumentsGiveTheUsageLineWithoutProbing) {
  const std::u16string line = u"p" + repeated(u" a", (kLongestCommandLine - 1) / 2);
  ASSERT_EQ(line.size(), kLongestCommandLine);

  const std::vector<wide_word> words = cli::split_command_line(line);
  EXPECT_EQ(words.size(), 1 + (kLongestCommandLine - 1) / 2);
  RecordingProbe probe;
  const cli::FrontEndResult result =
      cli::run_front_end(cli::parse_command_line(line), probe.function());
  EXPECT_TRUE(probe.calls.empty());
  EXPECT_EQ(result.status, ExitStatus::usage);
  EXPECT_EQ(result.text, "usage: velkaron-h264-input-types-probe [mft_selector]\n");
}

TEST(BadInputCommandLine, UnpairedSurrogateAsTheLastUnitIsRefusedWithoutProbing) {
  std::u16string line = u"p " + repeated(u"x", kLongestCommandLine - 3);
  line += static_cast<char16_t>(0xD800);
  ASSERT_EQ(line.size(), kLongestCommandLine);

  RecordingProbe probe;
  const cli::FrontEndResult result =
      cli::run_front_end(cli::parse_command_line(line), probe.function());
  EXPECT_TRUE(probe.calls.empty());
  EXPECT_EQ(result.status, ExitStatus::undecodable_command_line);
  EXPECT_EQ(result.stream, cli::StandardStream::error);
}

class BadInputProbe : public ProbeScenario {
 protected:
  // `count` encoders named "Other <i>" with CLSID kClsidA, every tenth "NVIDIA <i>"; none of
  // them activates.
  void play_many_encoders(std::size_t count) {
    std::vector<world::Encoder> made;
    made.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      const std::string index = std::to_string(i);
      const std::u16string vendor = i % 10 == 9 ? u"NVIDIA " : u"Other ";
      made.push_back(world::named(vendor + std::u16string(index.begin(), index.end()), kClsidA));
      made.back().activation = world::fails(E_FAIL);
    }
    play(std::move(made));
  }
};

constexpr std::size_t kManyEncoders = 3'000;

TEST_F(BadInputProbe, ThousandsOfEncodersThatFailToActivateAreAllListedAndReleased) {
  play_many_encoders(kManyEncoders);

  const ProbeOutcome outcome = run_probe(std::nullopt);
  ASSERT_FALSE(outcome.has_value());
  const std::string& message = outcome.error();
  constexpr std::string_view kStart =
      "IMFActivate::ActivateObject<IMFTransform> failed for enumerated hardware encoders: ";
  ASSERT_TRUE(message.starts_with(kStart));
  // NVIDIA's encoders first, in enumeration order, then the others; then every encoder as
  // enumerated. One separator between neighbours in each list.
  EXPECT_TRUE(
      message.substr(kStart.size())
          .starts_with("NVIDIA 9 [" + std::string(kClsidAText) + "]: 0x80004005 | NVIDIA 19 ["));
  const std::string available = ". Available encoders: Other 0 [" + std::string(kClsidAText) + "]";
  EXPECT_NE(message.find(available), std::string::npos);
  EXPECT_TRUE(message.ends_with("NVIDIA 2999 [" + std::string(kClsidAText) + "]"));
  std::size_t separators = 0;
  for (std::size_t at = message.find(" | "); at != std::string::npos;
       at = message.find(" | ", at + 1)) {
    ++separators;
  }
  EXPECT_EQ(separators, 2 * (kManyEncoders - 1));
  EXPECT_EQ(platform_.calls_starting("ActivateObject").size(), kManyEncoders);
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(BadInputProbe, ThousandsOfEncodersTheSelectorMissesAreListedInEnumerationOrder) {
  play_many_encoders(kManyEncoders);

  const ProbeOutcome outcome = run_probe("  No Such Encoder ");
  ASSERT_FALSE(outcome.has_value());
  EXPECT_TRUE(outcome.error().starts_with(
      "No enumerated hardware H.264 MFT matched selector 'no such encoder'. Available encoders: "
      "Other 0 [" +
      std::string(kClsidAText) + "] | Other 1 ["));
  EXPECT_TRUE(outcome.error().ends_with(" | NVIDIA 2999 [" + std::string(kClsidAText) + "]"));
  EXPECT_TRUE(platform_.calls_starting("ActivateObject").empty());
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(BadInputProbe, AHundredThousandInputTypesAreAllReportedOneAtATime) {
  constexpr std::size_t kTypes = 100'000;
  constexpr GUID kSubtypes[] = {mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2,
                                mf::MFVideoFormat_ARGB32};
  world::Encoder encoder = nvidia();
  for (std::size_t i = 0; i < kTypes; ++i) encoder.inputs.push_back({kSubtypes[i % 3], {}, {}});
  play({std::move(encoder)});
  // The shell hands out one media type for every index and faults a second one held at once;
  // a hundred thousand calls in the ledger would only slow the test.
  platform_.ledger().object_calls = false;

  const ProbeOutcome outcome = run_probe(std::nullopt);
  ASSERT_TRUE(outcome.has_value()) << outcome.error();
  const std::string text = report::to_pretty_json(*outcome);
  std::size_t entries = 0;
  for (std::size_t at = text.find("\"index\": "); at != std::string::npos;
       at = text.find("\"index\": ", at + 1)) {
    ++entries;
  }
  EXPECT_EQ(entries, kTypes);
  EXPECT_TRUE(text.starts_with(R"({
  "entries": [
    {
      "index": 0,
      "label": "NV12",
      "subtype": "3231564E-0000-0010-8000-00AA00389B71"
    },)"));
  EXPECT_NE(text.find(R"(
    {
      "index": 99999,
      "label": "NV12",
      "subtype": "3231564E-0000-0010-8000-00AA00389B71"
    }
  ],
  "mftClsid")"),
            std::string::npos);
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

class FriendlyNameLength : public BadInputProbe {
 protected:
  // One working encoder with this friendly name (and reported length), offering NV12.
  ProbeOutcome probe_named(std::u16string name, std::optional<UINT32> reported,
                           std::optional<std::string_view> selector = std::nullopt) {
    world::Encoder encoder =
        world::named(std::move(name), kClsidA).offers({mf::MFVideoFormat_NV12});
    encoder.name->reported = reported;
    play({std::move(encoder)});
    return run_probe(selector);
  }

  static std::string reported_name(const ProbeOutcome& outcome) {
    const auto& members = std::get<report::ReportObject>(outcome->storage()).members();
    for (const auto& member : members) {
      if (member.key == "mftFriendlyName") return std::get<std::string>(member.value.storage());
    }
    return "<absent>";
  }
};

constexpr std::size_t kLongestName = 65'535;

TEST_F(FriendlyNameLength, ReportedLengthZeroKeepsTheNameWhole) {
  EXPECT_EQ(outcome_text(probe_named(u"NVIDIA H.264 Encoder MFT", 0)), R"({
  "entries": [
    {
      "index": 0,
      "label": "NV12",
      "subtype": "3231564E-0000-0010-8000-00AA00389B71"
    }
  ],
  "mftClsid": "12345678-9ABC-4DEF-8123-456789ABCDEF",
  "mftFriendlyName": "NVIDIA H.264 Encoder MFT",
  "mftSelector": null,
  "ok": true
})");
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(FriendlyNameLength, EmptyNameIsReportedEmpty) {
  const ProbeOutcome outcome = probe_named(u"", 0);
  ASSERT_TRUE(outcome.has_value()) << outcome.error();
  EXPECT_EQ(reported_name(outcome), "");
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(FriendlyNameLength, LongestNameIsReportedWholeWithNonAsciiAndSurrogatePairs) {
  // 65,535 units: e-acute, a pair for U+1F600 and "x", repeated; the reported length equals
  // the units, which is less than the UTF-8 bytes but not less than the characters.
  std::u16string name = repeated(u"\u00E9\U0001F600x", kLongestName / 4);
  name += repeated(u"y", kLongestName - name.size());
  ASSERT_EQ(name.size(), kLongestName);
  std::string expected;
  for (std::size_t i = 0; i < kLongestName / 4; ++i) expected += "\xC3\xA9\xF0\x9F\x98\x80x";
  expected += std::string(kLongestName - kLongestName / 4 * 4, 'y');

  const ProbeOutcome outcome = probe_named(name, static_cast<UINT32>(kLongestName));
  ASSERT_TRUE(outcome.has_value()) << outcome.error();
  EXPECT_EQ(reported_name(outcome), expected);
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(FriendlyNameLength, LongestNameIsCutToAShorterReportedLength) {
  const ProbeOutcome outcome = probe_named(repeated(u"\u00E9", kLongestName), 1'000);
  ASSERT_TRUE(outcome.has_value()) << outcome.error();
  std::string expected;
  for (int i = 0; i < 1'000; ++i) expected += "\xC3\xA9";
  EXPECT_EQ(reported_name(outcome), expected);
}

TEST_F(FriendlyNameLength, LongestNameWithAnUnpairedSurrogateIsUnknownAndFreed) {
  std::u16string name = repeated(u"a", kLongestName - 1);
  name += static_cast<char16_t>(0xDC00);
  const ProbeOutcome outcome = probe_named(name, std::nullopt);
  ASSERT_TRUE(outcome.has_value()) << outcome.error();
  EXPECT_EQ(reported_name(outcome), "<unknown>");
  EXPECT_TRUE(platform_.ledger().holds_no_memory());
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(FriendlyNameLength, LongestNameAppearsWholeInTheListOfAvailableEncoders) {
  const ProbeOutcome outcome =
      probe_named(repeated(u"z", kLongestName), std::nullopt, "no such encoder");
  ASSERT_FALSE(outcome.has_value());
  EXPECT_EQ(outcome.error(),
            "No enumerated hardware H.264 MFT matched selector 'no such encoder'. Available "
            "encoders: " +
                std::string(kLongestName, 'z') + " [" + std::string(kClsidAText) + "]");
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

}  // namespace
}  // namespace velkaron::probe
