#include "remote/webrtc/output_type.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "probe_scenario.h"
#include "remote/webrtc/output_attributes.h"

namespace velkaron::probe {
namespace {

// The setter calls, in order, as the ledger records them on "output type":
// the one place the tests write each attribute's expected key and value.
const Calls kSetterCalls = {
    "SetGUID output type 48EBA18E-F8C9-4687-BF11-0A74C9F96A8F "
    "73646976-0000-0010-8000-00AA00389B71",
    "SetGUID output type F7E34C9A-42E8-4714-B74B-CB29D72C35E5 "
    "34363248-0000-0010-8000-00AA00389B71",
    "SetUINT64 output type 1652C33D-D6B2-4012-B834-72030849A37D 8246337209400",
    "SetUINT64 output type C459A2E8-3D2C-4E44-B132-FEE5156C7BB0 257698037761",
    "SetUINT32 output type 20332624-FB0D-4D9E-BD0D-CBF6786C102E 10000000",
    "SetUINT32 output type E2724BB8-E676-4806-B4B2-A8D6EFB44CCD 2",
    "SetUINT32 output type AD76A80B-2D5C-4E0B-B375-64E520137036 77",
};

class OutputTypeTest : public ProbeScenario {
 protected:
  OutputTypeTest() {
    system_knows(E_INVALIDARG, u"The parameter is incorrect.");
    machine_.encoders.push_back(nvidia().offers({mf::MFVideoFormat_NV12}));
  }
  Calls output_calls() const {
    return platform_.calls_starting_any({"MFCreateMediaType", "Set", "GetInputAvailableType"});
  }

  // One working encoder that offers NV12; a test changes what it needs before playing it.
  world::World machine_;
};

TEST_F(OutputTypeTest, EachAttributeInOrderThenSetOutputTypeOnStreamZero) {
  const PlayedWorld played = play(machine_);
  ASSERT_TRUE(run_probe(std::nullopt).has_value());
  Calls expected = {"MFCreateMediaType"};
  expected.insert(expected.end(), kSetterCalls.begin(), kSetterCalls.end());
  expected.push_back("SetOutputType encoder 0 transform 0 0");
  expected.push_back("GetInputAvailableType encoder 0 transform 0 0");
  expected.push_back("GetInputAvailableType encoder 0 transform 0 1");
  EXPECT_EQ(output_calls(), expected);
  const auto& type = *played.output_type;
  EXPECT_EQ(played.activations[0]->transform->output_type, &type);
  // Width and height, numerator and denominator, in the upper and lower halves.
  const UINT64 frame_size = std::get<UINT64>(*type.find(mf::MF_MT_FRAME_SIZE));
  EXPECT_EQ(frame_size >> 32, 1920u);
  EXPECT_EQ(frame_size & 0xFFFFFFFFu, 1080u);
  const UINT64 frame_rate = std::get<UINT64>(*type.find(mf::MF_MT_FRAME_RATE));
  EXPECT_EQ(frame_rate >> 32, 60u);
  EXPECT_EQ(frame_rate & 0xFFFFFFFFu, 1u);
  EXPECT_TRUE(
      released_in_order({"encoder 0 transform input", "output type", "encoder 0 transform"}));
}

TEST_F(OutputTypeTest, CreationFailureOrNoObjectEndsTheRunBeforeAnySetter) {
  machine_.media_type = world::fails(E_OUTOFMEMORY);
  play(machine_);
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)), "MFCreateMediaType(output) failed: 0x8007000E");
  EXPECT_EQ(output_calls(), Calls{"MFCreateMediaType"});
  EXPECT_TRUE(released_in_order({"encoder 0 transform"}));

  platform_.ledger().calls.clear();
  system_knows(S_OK, u"Success.");
  machine_.media_type = world::no_object();
  play(machine_);
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            "MFCreateMediaType(output) failed: Success. (0x00000000)");
  EXPECT_EQ(output_calls(), Calls{"MFCreateMediaType"});
  EXPECT_TRUE(released_in_order({"encoder 0 transform"}));
}

TEST_F(OutputTypeTest, FirstFailingSetterStopsTheRestAndTheTypeGoesFirst) {
  ASSERT_EQ(kSetterCalls.size(), std::size(kOutputAttributes));
  for (std::size_t failing = 0; failing < kSetterCalls.size(); ++failing) {
    SCOPED_TRACE(kSetterCalls[failing]);
    platform_.ledger().calls.clear();
    machine_.output_type_refuses = {{kOutputAttributes[failing].key, world::fails(E_INVALIDARG)}};
    play(machine_);
    EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
              "Failed to configure MFT output media type: The parameter is incorrect. "
              "(0x80070057)");
    Calls expected = {"MFCreateMediaType"};
    expected.insert(expected.end(), kSetterCalls.begin(),
                    kSetterCalls.begin() + static_cast<std::ptrdiff_t>(failing) + 1);
    EXPECT_EQ(output_calls(), expected);
    EXPECT_TRUE(released_in_order({"output type", "encoder 0 transform"}));
  }
}

TEST_F(OutputTypeTest, RejectedOutputTypeEndsTheRunWithoutAskingForInputTypes) {
  machine_.encoders[0].set_output = world::fails(static_cast<HRESULT>(0xC00D36B4u));
  machine_.encoders.insert(machine_.encoders.begin(),
                           world::named(u"Intel Quick Sync Video H.264 Encoder MFT", kClsidB));
  play(machine_);
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)), "MFT SetOutputType(H264) failed: 0xC00D36B4");
  EXPECT_TRUE(platform_.calls_starting("GetInputAvailableType").empty());
  EXPECT_EQ(platform_.calls_starting("ActivateObject"), Calls{"ActivateObject encoder 1"});
  EXPECT_TRUE(released_in_order({"encoder 0", "output type", "encoder 1 transform"}));
}

}  // namespace
}  // namespace velkaron::probe
