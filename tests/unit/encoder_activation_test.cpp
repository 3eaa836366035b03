#include "remote/webrtc/encoder_activation.h"

#include <gtest/gtest.h>

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
  ScriptedActivate& failing(std::string object, std::u16string name, const GUID& clsid) {
    ScriptedActivate& made = activation(std::move(object), std::move(name), clsid);
    made.activate_status = kDeviceLost;
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
  std::vector<ScriptedActivate*> enumerated;
  for (std::size_t i = 0; i < 6; ++i) {
    enumerated.push_back(&failing("encoder " + std::to_string(i), names[i], clsids[i]));
  }
  platform_.enumerate(enumerated);

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
  auto& microsoft = failing("microsoft", u"Microsoft H264 Encoder MFT", kClsidA);
  auto& skipped = failing("skipped", u"Unrelated", kClsidC);
  auto& nvidia = failing("nvidia", u"NVIDIA H.264 Encoder MFT", kClsidB);
  platform_.enumerate({&microsoft, &skipped, &nvidia});
  EXPECT_EQ(outcome_text(run_probe(" Encoder MFT ")),
            std::string(kActivationFailed) + failed("Microsoft H264 Encoder MFT", kClsidAText) +
                " | " + failed("NVIDIA H.264 Encoder MFT", kClsidBText) +
                ". Available encoders: " + entry("Microsoft H264 Encoder MFT", kClsidAText) +
                " | " + entry("Unrelated", kClsidCText) + " | " +
                entry("NVIDIA H.264 Encoder MFT", kClsidBText));
  EXPECT_TRUE(platform_.calls_starting("ActivateObject skipped").empty());
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderActivationTest, SelectorThatMatchesNothingQuotesItNormalised) {
  auto& nvidia = activation("nvidia", u"NVIDIA H.264 Encoder MFT", kClsidA);
  auto& intel = activation("intel", u"Intel® Quick Sync Video H.264 Encoder MFT", kClsidB);
  platform_.enumerate({&nvidia, nullptr, &intel});
  EXPECT_EQ(outcome_text(run_probe("  Radeon ")),
            "No enumerated hardware H.264 MFT matched selector 'radeon'. Available encoders: " +
                entry("NVIDIA H.264 Encoder MFT", kClsidAText) + " | " +
                entry("Intel® Quick Sync Video H.264 Encoder MFT", kClsidBText));
  EXPECT_TRUE(platform_.calls_starting("ActivateObject").empty());
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderActivationTest, OnlyNullEntriesLeaveNothingToTryOrList) {
  platform_.enumerate({nullptr, nullptr});
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
  auto& empty = activation("empty", u"NVIDIA H.264 Encoder MFT", kClsidA);
  platform_.enumerate({&empty});
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            std::string(kActivationFailed) + entry("NVIDIA H.264 Encoder MFT", kClsidAText) +
                ": The operation completed successfully. (0x00000000). Available encoders: " +
                entry("NVIDIA H.264 Encoder MFT", kClsidAText));
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(EncoderActivationTest, FirstSuccessEndsTheSearchAndReleasesTheUntried) {
  auto& broken = failing("broken", u"NVIDIA H.264 Encoder MFT", kClsidA);
  auto& intel = activation("intel", u"Intel® Quick Sync Video H.264 Encoder MFT", kClsidB);
  auto& amd = activation("amd", u"AMDh264Encoder", kClsidC);
  auto& microsoft = activation("microsoft", u"Microsoft H264 Encoder MFT", kClsidA);
  working_encoder(intel, {});
  transform_of(amd);
  created_output_type();
  platform_.enumerate({&microsoft, &amd, &intel, &broken});

  const ProbeOutcome outcome = run_probe(std::nullopt);
  ASSERT_TRUE(outcome.has_value()) << outcome.error();
  EXPECT_NE(outcome_text(outcome).find("\"mftFriendlyName\": \"Intel® Quick Sync Video H.264 "
                                       "Encoder MFT\""),
            std::string::npos);
  EXPECT_EQ(platform_.calls_starting("ActivateObject"),
            (Calls{"ActivateObject broken", "ActivateObject intel"}));
  // The untried ones go before the transform is used; the winner's activation object goes last.
  EXPECT_TRUE(released_in_order({"broken", "amd", "microsoft"}));
  EXPECT_LT(platform_.position_of("Release microsoft"),
            platform_.position_of("GetAttributes intel transform"));
  EXPECT_TRUE(
      released_in_order({"intel transform attributes", "output type", "intel transform", "intel"}));
}

struct UnlockCase {
  const char* what;
  HRESULT get_attributes;
  bool store_delivered;
  std::optional<UINT32> asynchronous;
  HRESULT read_flag;
  bool unlocks;
};

class AsyncUnlockTest : public ProbeScenario, public ::testing::WithParamInterface<UnlockCase> {};

TEST_P(AsyncUnlockTest, TransformIsUnlockedOnlyWhenItSaysItIsAsynchronous) {
  const UnlockCase& c = GetParam();
  auto& encoder = activation("encoder", u"NVIDIA H.264 Encoder MFT", kClsidA);
  auto& transform = working_encoder(encoder, {mf::MFVideoFormat_NV12});
  ScriptedAttributeStore& store = *transform.attributes;
  store.values.clear();
  if (c.asynchronous) store.set(mf::MF_TRANSFORM_ASYNC, *c.asynchronous);
  if (c.read_flag < 0) store.fail(mf::MF_TRANSFORM_ASYNC, c.read_flag);
  if (!c.store_delivered) transform.attributes = nullptr;
  transform.get_attributes_status = c.get_attributes;
  created_output_type();
  platform_.enumerate({&encoder});

  const ProbeOutcome outcome = run_probe(std::nullopt);
  EXPECT_TRUE(outcome.has_value()) << outcome_text(outcome);
  EXPECT_EQ(platform_.calls_starting("SetUINT32 encoder transform attributes"),
            c.unlocks ? Calls{"SetUINT32 encoder transform attributes "
                              "E5666D6B-3422-4EB6-A421-DA7DB1F8E207 1"}
                      : Calls{});
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

INSTANTIATE_TEST_SUITE_P(
    Flags, AsyncUnlockTest,
    ::testing::Values(UnlockCase{"attributes fail", E_NOTIMPL, true, 1, S_OK, false},
                      UnlockCase{"no store delivered", S_OK, false, std::nullopt, S_OK, false},
                      UnlockCase{"flag absent", S_OK, true, std::nullopt, S_OK, false},
                      UnlockCase{"flag unreadable", S_OK, true, 1, E_FAIL, false},
                      UnlockCase{"flag zero", S_OK, true, 0, S_OK, false},
                      UnlockCase{"flag one", S_OK, true, 1, S_OK, true},
                      UnlockCase{"flag other nonzero", S_OK, true, 7, S_OK, true}),
    [](const auto& param_info) {
      std::string name = param_info.param.what;
      std::erase(name, ' ');
      return name;
    });

TEST_F(EncoderActivationTest, FailedUnlockEndsTheRunAfterReleasingStoreThenTransform) {
  auto& encoder = activation("encoder", u"NVIDIA H.264 Encoder MFT", kClsidA);
  auto& untried = activation("untried", u"Microsoft H264 Encoder MFT", kClsidB);
  auto& transform = working_encoder(encoder, {mf::MFVideoFormat_NV12});
  transform.attributes->set(mf::MF_TRANSFORM_ASYNC, UINT32{1});
  transform.attributes->fail(mf::MF_TRANSFORM_ASYNC_UNLOCK, kDeviceLost);
  created_output_type();
  platform_.enumerate({&untried, &encoder});

  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            "Failed to unlock async H.264 MFT: The GPU device instance was removed. (0x887A0005)");
  EXPECT_TRUE(platform_.calls_starting("MFCreateMediaType").empty());
  EXPECT_EQ(platform_.calls_starting("ActivateObject"), Calls{"ActivateObject encoder"});
  EXPECT_TRUE(released_in_order(
      {"untried", "encoder transform attributes", "encoder transform", "encoder"}));
}

}  // namespace
}  // namespace velkaron::probe
