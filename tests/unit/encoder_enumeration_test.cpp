#include "remote/webrtc/encoder_enumeration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe_scenario.h"

namespace velkaron::probe {
namespace {

class EncoderEnumerationTest : public ProbeScenario {
 protected:
  static std::vector<std::string> names_of(const EncoderEnumeration& enumeration) {
    std::vector<std::string> names;
    for (const EncoderCandidate& candidate : enumeration.candidates) {
      names.push_back(candidate.friendly_name + " [" + candidate.clsid_text + "]");
    }
    return names;
  }
  static std::string key_text(const GUID& key) { return " " + platform::guid_text(key); }
};

TEST_F(EncoderEnumerationTest, AsksForHardwareH264EncodersAndEndsWithItsMessages) {
  world::World failing;
  failing.enumeration =
      world::fails(E_FAIL, world::described(u"The encoder list is not available."));
  play(std::move(failing));
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            "MFTEnumEx(H264 hardware encoder) failed: The encoder list is not available. "
            "(0x80004005)");
  EXPECT_EQ(platform_.ledger().enum_requests,
            Calls{"F79EAC7D-E545-4387-BDEE-D647D7BDE42A 73646976-0000-0010-8000-00AA00389B71 "
                  "34363248-0000-0010-8000-00AA00389B71"});
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());  // the error information too

  // Success without encoders: no array at all, or an array of no entries.
  world::World no_array;
  no_array.count_without_array = true;
  no_array.encoders = {nvidia(), nvidia()};
  play(std::move(no_array));
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)), "No hardware H.264 MFT encoder was enumerated.");
  play(world::World{});
  EXPECT_EQ(outcome_text(run_probe("nvidia")), "No hardware H.264 MFT encoder was enumerated.");
  EXPECT_TRUE(platform_.calls_starting("GetAllocatedString").empty());
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderEnumerationTest, NullEntriesAreSkippedAndUnreadableTextsBecomeUnknown) {
  world::Encoder unnamed = world::named(u"", kClsidA);
  unnamed.name_read = world::fails(MF_E_ATTRIBUTENOTFOUND);
  world::Encoder no_clsid = world::named(u"Vendor Encoder MFT", kClsidB);
  no_clsid.clsid_read = world::fails(E_FAIL);
  const PlayedWorld played =
      play({world::null_entry(), unnamed, world::null_entry(), no_clsid,
            world::named(std::u16string{u'B', 0xD800, u'd'}, kClsidC), world::null_entry()});

  auto enumeration = enumerate_encoders(std::nullopt);
  ASSERT_TRUE(enumeration.has_value());
  const std::vector<std::string> expected = {
      "<unknown> [" + std::string(kClsidAText) + "]",
      "Vendor Encoder MFT [<unknown>]",
      "<unknown> [" + std::string(kClsidCText) + "]",
  };
  EXPECT_EQ(names_of(*enumeration), expected);
  EXPECT_EQ(enumeration->available_encoders, expected);
  EXPECT_TRUE(enumeration->vendor_order);
  // Both names that were handed out are freed, the undecodable one too, and so is the array.
  EXPECT_TRUE(platform_.ledger().holds_no_memory());
  EXPECT_EQ(platform_.calls_starting("CoTaskMemFree").size(), 3u);

  // The candidates own their references until the next phase takes them.
  EXPECT_EQ(played.activations[1]->references(), 1u);
  enumeration->candidates.clear();
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderEnumerationTest, ReportedLengthCutsTheNameByCharacters) {
  // Seven characters in eight UTF-8 bytes: a length of 7 keeps the name whole.
  const world::Encoder whole = world::named(u"Encodér", kClsidA);
  // A length shorter than the name cuts it to that many characters, never inside one.
  world::Encoder cut = world::named(u"Ünïcødé Encoder", kClsidB);
  cut.name->reported = 7;
  // A character outside the basic plane is one character of two units.
  play({whole, cut, world::named(u"GPU \U0001F3A5 MFT", kClsidC)});

  auto enumeration = enumerate_encoders(std::nullopt);
  ASSERT_TRUE(enumeration.has_value());
  EXPECT_EQ(names_of(*enumeration),
            (std::vector<std::string>{"Encodér [" + std::string(kClsidAText) + "]",
                                      "Ünïcødé [" + std::string(kClsidBText) + "]",
                                      "GPU \U0001F3A5 MFT [" + std::string(kClsidCText) + "]"}));
  enumeration->candidates.clear();
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderEnumerationTest, SelectorIsTrimmedFoldedAndMatchedAgainstNameOrClsid) {
  // The last has neither a name nor a CLSID.
  const PlayedWorld played = play({nvidia(), world::named(u"Encodér Élite", kClsidB), {}});
  const std::vector<std::string> everyone = {
      "NVIDIA H.264 Encoder MFT [" + std::string(kClsidAText) + "]",
      "Encodér Élite [" + std::string(kClsidBText) + "]",
      "<unknown> [<unknown>]",
  };

  const std::string available =
      ". Available encoders: " + everyone[0] + " | " + everyone[1] + " | " + everyone[2];

  // A selector that passes nothing ends the phase, quoted as it was matched.
  const struct {
    std::optional<std::string_view> typed;
    std::optional<std::string> normalised;
    std::vector<std::string> passed;
  } cases[] = {
      {"  NVIDIA\t", "nvidia", {everyone[0]}},
      {"\u3000NVidia\u00A0\u2029", "nvidia", {everyone[0]}},
      {"9abc-4def", "9abc-4def", {everyone[0]}},
      {"FEDCBA98-7654", "fedcba98-7654", {everyone[1]}},
      {"{12345678-9ABC-4DEF-8123-456789ABCDEF}", "{12345678-9abc-4def-8123-456789abcdef}", {}},
      {"unknown", "unknown", {everyone[2]}},
      // Only ASCII letters fold: a capital E acute never meets a small one.
      {"ENCODÉR", "encodÉr", {}},
      {"élite", "élite", {}},
      {"Élite", "Élite", {everyone[1]}},
      {"h.264", "h.264", {everyone[0]}},
      // Blank counts as no selector: nothing is filtered, and vendor order decides.
      {"", std::nullopt, everyone},
      {" \t\u3000", std::nullopt, everyone},
      {std::nullopt, std::nullopt, everyone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.typed.value_or("<absent>")));
    auto enumeration = enumerate_encoders(c.typed);
    if (c.passed.empty()) {
      ASSERT_FALSE(enumeration.has_value());
      EXPECT_EQ(enumeration.error(), "No enumerated hardware H.264 MFT matched selector '" +
                                         *c.normalised + "'" + available);
    } else {
      ASSERT_TRUE(enumeration.has_value());
      EXPECT_EQ(enumeration->vendor_order, !c.normalised.has_value());
      EXPECT_EQ(names_of(*enumeration), c.passed);
      EXPECT_EQ(enumeration->available_encoders, everyone);
    }
    // Whoever did not pass was released during the walk, before the array was freed.
    std::size_t held = 0;
    for (const auto* activation : played.activations) held += activation->references();
    EXPECT_EQ(held, c.passed.size());
    EXPECT_LT(platform_.last_position_of("Release encoder 2"),
              platform_.last_position_of("CoTaskMemFree"));
    if (enumeration) enumeration->candidates.clear();
    EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
  }
}

TEST_F(EncoderEnumerationTest, WalkReadsEachEntryInTurnAndFreesTheArrayLast) {
  play({world::named(u"AMD H.264 Encoder MFT", kClsidA), nvidia()});
  auto enumeration = enumerate_encoders("nvidia");
  ASSERT_TRUE(enumeration.has_value());
  // An entry the selector turns away is let go before the next one is read,
  // and the array outlives every entry's reads.
  EXPECT_TRUE(platform_.in_ledger_order(
      {"GetGUID encoder 0" + key_text(mf::MFT_TRANSFORM_CLSID_Attribute), "Release encoder 0",
       "GetAllocatedString encoder 1" + key_text(mf::MFT_FRIENDLY_NAME_Attribute)}));
  EXPECT_EQ(platform_.ledger().calls.back(), "CoTaskMemFree");
  enumeration->candidates.clear();
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

}  // namespace
}  // namespace velkaron::probe
