#include "remote/webrtc/encoder_activation.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "probe_scenario.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kActivationFailed =
    "IMFActivate::ActivateObject<IMFTransform> failed for enumerated hardware encoders: ";

class EncoderActivationTest : public ProbeScenario {
 protected:
  EncoderActivationTest() { system_knows(kDeviceLost, u"The GPU device instance was removed."); }

  // An encoder whose activation fails with kDeviceLost.
  static world::Encoder failing(std::u16string name, const GUID& clsid) {
    world::Encoder made = world::named(std::move(name), clsid);
    made.activation = world::fails(kDeviceLost);
    return made;
  }
  static std::string entry(std::string_view name, std::string_view clsid) {
    return std::string(name) + " [" + std::string(clsid) + "]";
  }
  static std::string failed(std::string_view name, std::string_view clsid) {
    return entry(name, clsid) + ": The GPU device instance was removed. (0x887A0005)";
  }
};

TEST_F(EncoderActivationTest, VendorOrderKeepsTiesInEnumerationOrder) {
  const GUID clsids[] = {kClsidA, kClsidB, kClsidC, kClsidA, kClsidB, kClsidC};
  const std::u16string names[] = {u"Microsoft H264 Encoder MFT", u"AMDh264Encoder",
                                  u"NVIDIA H.264 Encoder MFT",   u"Acme Video Encoder",
                                  u"NVIDIA H.264 Encoder #2",    u"Intel® Quick Sync Video H.264"};
  std::vector<world::Encoder> enumerated;
  for (std::size_t i = 0; i < 6; ++i) enumerated.push_back(failing(names[i], clsids[i]));
  play(std::move(enumerated));

  const std::string microsoft = "Microsoft H264 Encoder MFT", amd = "AMDh264Encoder",
                    nvidia = "NVIDIA H.264 Encoder MFT", other = "Acme Video Encoder",
                    nvidia2 = "NVIDIA H.264 Encoder #2", intel = "Intel® Quick Sync Video H.264";
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            std::string(kActivationFailed) + failed(nvidia, kClsidCText) + " | " +
                failed(nvidia2, kClsidBText) + " | " + failed(intel, kClsidCText) + " | " +
                failed(amd, kClsidBText) + " | " + failed(other, kClsidAText) + " | " +
                failed(microsoft, kClsidAText) + ". Available encoders: " +
                entry(microsoft, kClsidAText) + " | " + entry(amd, kClsidBText) + " | " +
                entry(nvidia, kClsidCText) + " | " + entry(other, kClsidAText) + " | " +
                entry(nvidia2, kClsidBText) + " | " + entry(intel, kClsidCText));
  // Each activation object is released as soon as its own attempt is over.
  EXPECT_EQ(platform_.calls_starting_any({"ActivateObject", "Release"}),
            (Calls{"ActivateObject encoder 2", "Release encoder 2", "ActivateObject encoder 4",
                   "Release encoder 4", "ActivateObject encoder 5", "Release encoder 5",
                   "ActivateObject encoder 1", "Release encoder 1", "ActivateObject encoder 3",
                   "Release encoder 3", "ActivateObject encoder 0", "Release encoder 0"}));
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderActivationTest, SelectorKeepsEnumerationOrderAndListsOnlyItsFailures) {
  play({failing(u"Microsoft H264 Encoder MFT", kClsidA), failing(u"Unrelated", kClsidC),
        failing(u"NVIDIA H.264 Encoder MFT", kClsidB)});
  EXPECT_EQ(outcome_text(run_probe(" Encoder MFT ")),
            std::string(kActivationFailed) + failed("Microsoft H264 Encoder MFT", kClsidAText) +
                " | " + failed("NVIDIA H.264 Encoder MFT", kClsidBText) +
                ". Available encoders: " + entry("Microsoft H264 Encoder MFT", kClsidAText) +
                " | " + entry("Unrelated", kClsidCText) + " | " +
                entry("NVIDIA H.264 Encoder MFT", kClsidBText));
  EXPECT_TRUE(platform_.calls_starting("ActivateObject encoder 1").empty());
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderActivationTest, SelectorThatMatchesNothingQuotesItNormalised) {
  play({nvidia(), world::null_entry(),
        world::named(u"Intel® Quick Sync Video H.264 Encoder MFT", kClsidB)});
  EXPECT_EQ(outcome_text(run_probe("  Radeon ")),
            "No enumerated hardware H.264 MFT matched selector 'radeon'. Available encoders: " +
                entry("NVIDIA H.264 Encoder MFT", kClsidAText) + " | " +
                entry("Intel® Quick Sync Video H.264 Encoder MFT", kClsidBText));
  EXPECT_TRUE(platform_.calls_starting("ActivateObject").empty());
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderActivationTest, OnlyNullEntriesLeaveNothingToTryOrList) {
  play({world::null_entry(), world::null_entry()});
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            std::string(kActivationFailed) +
                "no activation attempts were made. Available encoders: <none>");
  EXPECT_EQ(outcome_text(run_probe("NVIDIA")),
            "No enumerated hardware H.264 MFT matched selector 'nvidia'. Available encoders: "
            "<none>");
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderActivationTest, SuccessWithoutAnObjectIsAFailedAttempt) {
  system_knows(S_OK, u"The operation completed successfully.\r\n");
  world::Encoder empty = nvidia();
  empty.activation = world::no_object();
  play({empty});
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            std::string(kActivationFailed) + entry("NVIDIA H.264 Encoder MFT", kClsidAText) +
                ": The operation completed successfully. (0x00000000). Available encoders: " +
                entry("NVIDIA H.264 Encoder MFT", kClsidAText));
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderActivationTest, FirstSuccessEndsTheSearchAndReleasesTheUntried) {
  // In vendor order: NVIDIA's (3) fails, Intel's (2) works, AMD's (1) and Microsoft's (0) wait.
  play({world::named(u"Microsoft H264 Encoder MFT", kClsidA),
        world::named(u"AMDh264Encoder", kClsidC),
        world::named(u"Intel® Quick Sync Video H.264 Encoder MFT", kClsidB),
        failing(u"NVIDIA H.264 Encoder MFT", kClsidA)});

  const ProbeOutcome outcome = run_probe(std::nullopt);
  ASSERT_TRUE(outcome.has_value()) << outcome.error();
  EXPECT_NE(outcome_text(outcome).find("\"mftFriendlyName\": \"Intel® Quick Sync Video H.264 "
                                       "Encoder MFT\""),
            std::string::npos);
  EXPECT_EQ(platform_.calls_starting("ActivateObject"),
            (Calls{"ActivateObject encoder 3", "ActivateObject encoder 2"}));
  // The untried ones go before the transform is used; the winner's activation object goes last.
  EXPECT_TRUE(released_in_order({"encoder 3", "encoder 1", "encoder 0"}));
  EXPECT_LT(platform_.position_of("Release encoder 0"),
            platform_.position_of("GetAttributes encoder 2 transform"));
  EXPECT_TRUE(released_in_order(
      {"encoder 2 transform attributes", "output type", "encoder 2 transform", "encoder 2"}));
}

struct UnlockCase {
  const char* what;
  world::Answer attributes;  // GetAttributes
  std::optional<UINT32> asynchronous;
  world::Answer read_flag;
  bool unlocks;

  friend void PrintTo(const UnlockCase& c, std::ostream* out) { *out << c.what; }
};

class AsyncUnlockTest : public ProbeScenario, public ::testing::WithParamInterface<UnlockCase> {};

TEST_P(AsyncUnlockTest, TransformIsUnlockedOnlyWhenItSaysItIsAsynchronous) {
  const UnlockCase& c = GetParam();
  world::Encoder encoder = nvidia().offers({mf::MFVideoFormat_NV12});
  encoder.attributes = c.attributes;
  encoder.async = c.asynchronous;
  encoder.async_read = c.read_flag;
  play({encoder});

  const ProbeOutcome outcome = run_probe(std::nullopt);
  EXPECT_TRUE(outcome.has_value()) << outcome_text(outcome);
  EXPECT_EQ(platform_.calls_starting("SetUINT32 encoder 0 transform attributes"),
            c.unlocks ? Calls{"SetUINT32 encoder 0 transform attributes "
                              "E5666D6B-3422-4EB6-A421-DA7DB1F8E207 1"}
                      : Calls{});
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

INSTANTIATE_TEST_SUITE_P(
    Flags, AsyncUnlockTest,
    ::testing::Values(UnlockCase{"attributes fail", world::fails(E_NOTIMPL), 1, {}, false},
                      UnlockCase{"no store delivered", world::no_object(), std::nullopt, {}, false},
                      UnlockCase{"flag absent", {}, std::nullopt, {}, false},
                      UnlockCase{"flag unreadable", {}, 1, world::fails(E_FAIL), false},
                      UnlockCase{"flag zero", {}, 0, {}, false},
                      UnlockCase{"flag one", {}, 1, {}, true},
                      UnlockCase{"flag other nonzero", {}, 7, {}, true}),
    [](const auto& param_info) {
      std::string name = param_info.param.what;
      std::erase(name, ' ');
      return name;
    });

TEST_F(EncoderActivationTest, FailedUnlockEndsTheRunAfterReleasingStoreThenTransform) {
  world::Encoder encoder = nvidia().offers({mf::MFVideoFormat_NV12});
  encoder.async = 1;
  encoder.unlock = world::fails(kDeviceLost);
  play({world::named(u"Microsoft H264 Encoder MFT", kClsidB), encoder});

  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            "Failed to unlock async H.264 MFT: The GPU device instance was removed. (0x887A0005)");
  EXPECT_TRUE(platform_.calls_starting("MFCreateMediaType").empty());
  EXPECT_EQ(platform_.calls_starting("ActivateObject"), Calls{"ActivateObject encoder 1"});
  EXPECT_TRUE(released_in_order(
      {"encoder 0", "encoder 1 transform attributes", "encoder 1 transform", "encoder 1"}));
}

}  // namespace
}  // namespace velkaron::probe
