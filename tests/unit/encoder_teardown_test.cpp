// The activated encoder's end on every path after its activation: the
// activation object shuts the transform down after the probe's last call on it
// and before its release; the activation object goes last, before MFShutdown.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "probe_scenario.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kLost = "The GPU device instance was removed. (0x887A0005)";

struct TeardownCase {
  const char* path;
  void (*script)(ScriptedTransform& chosen);
  std::string message;  // empty: the report

  friend void PrintTo(const TeardownCase& c, std::ostream* out) { *out << c.path; }
};

class EncoderTeardownTest : public ProbeScenario,
                            public ::testing::WithParamInterface<TeardownCase> {
 protected:
  EncoderTeardownTest() { system_knows(kDeviceLost, u"The GPU device instance was removed."); }

  // Error information a failed call leaves on the thread.
  ScriptedErrorInfo& info(std::string name) {
    auto& made = platform_.make<ScriptedErrorInfo>(std::move(name));
    made.description = u"Described by " + std::u16string(made.name().begin(), made.name().end());
    return made;
  }

  // The ledger position of the last call made on the chosen transform or its attribute store.
  std::size_t last_use_of_chosen_transform() const {
    const auto& calls = platform_.ledger().calls;
    std::size_t last = calls.size();
    for (std::size_t i = 0; i != calls.size(); ++i) {
      const bool reference = calls[i].starts_with("Release ") || calls[i].starts_with("AddRef ");
      if (!reference && calls[i].find("chosen transform") != std::string::npos) last = i;
    }
    return last;
  }
};

TEST_P(EncoderTeardownTest, ShutdownComesBetweenTheLastUseAndTheReleases) {
  // Tried in vendor order: "broken" fails, "chosen" activates, "untried" is never tried. Every
  // ShutdownObject fails and leaves error information, which must change nothing.
  auto& broken = activation("broken", u"NVIDIA H.264 Encoder MFT", kClsidA);
  broken.activate_status = {kDeviceLost, &info("activation info")};
  broken.shutdown_object_status = {E_FAIL, &info("broken shutdown info")};
  auto& chosen = activation("chosen", u"Intel® Quick Sync Video H.264 Encoder MFT", kClsidB);
  chosen.shutdown_object_status = {E_FAIL, &info("chosen shutdown info")};
  auto& untried = activation("untried", u"Microsoft H264 Encoder MFT", kClsidC);
  GetParam().script(working_encoder(chosen, {mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2}));
  created_output_type();
  platform_.enumerate({&untried, &chosen, &broken});

  const ProbeOutcome outcome = run_probe(std::nullopt);
  EXPECT_EQ(outcome ? "" : outcome.error(), GetParam().message);
  EXPECT_EQ(platform_.calls_starting("ShutdownObject"),
            (Calls{"ShutdownObject broken", "ShutdownObject chosen"}));
  // The failed candidate: its error is taken and dropped, then it is shut down and released.
  EXPECT_LT(platform_.position_of("Release activation info"),
            platform_.position_of("ShutdownObject broken"));
  EXPECT_LT(platform_.position_of("ShutdownObject broken"),
            platform_.position_of("Release broken"));
  // The chosen one.
  const std::size_t shutdown = platform_.position_of("ShutdownObject chosen");
  EXPECT_LT(last_use_of_chosen_transform(), shutdown);
  EXPECT_LT(shutdown, platform_.last_position_of("Release chosen transform"));
  EXPECT_LT(platform_.last_position_of("Release chosen transform"),
            platform_.last_position_of("Release chosen"));
  EXPECT_LT(platform_.last_position_of("Release chosen"), platform_.position_of("MFShutdown"));
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, EncoderTeardownTest,
    ::testing::Values(
        TeardownCase{"report", [](ScriptedTransform&) {}, ""},
        TeardownCase{"unlock_refused",
                     [](ScriptedTransform& chosen) {
                       chosen.attributes->set(mf::MF_TRANSFORM_ASYNC, UINT32{1});
                       chosen.attributes->fail(mf::MF_TRANSFORM_ASYNC_UNLOCK, kDeviceLost);
                     },
                     "Failed to unlock async H.264 MFT: " + std::string(kLost)},
        TeardownCase{"output_type_refused",
                     [](ScriptedTransform& chosen) { chosen.set_output_type_status = kDeviceLost; },
                     "MFT SetOutputType(H264) failed: " + std::string(kLost)},
        TeardownCase{"input_walk_failed",
                     [](ScriptedTransform& chosen) {
                       chosen.fail_at = 1;
                       chosen.fail_status = kDeviceLost;
                     },
                     "MFT GetInputAvailableType failed: " + std::string(kLost)},
        TeardownCase{"subtype_unreadable",
                     [](ScriptedTransform& chosen) {
                       chosen.input_types[1]->fail(mf::MF_MT_SUBTYPE, kDeviceLost);
                     },
                     "MFT input type GetGUID(MF_MT_SUBTYPE) failed: " + std::string(kLost)}),
    [](const auto& param_info) { return std::string(param_info.param.path); });

}  // namespace
}  // namespace velkaron::probe
