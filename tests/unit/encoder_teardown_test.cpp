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
  void (*script)(world::Encoder& chosen);
  std::string message;  // empty: the report

  friend void PrintTo(const TeardownCase& c, std::ostream* out) { *out << c.path; }
};

class EncoderTeardownTest : public ProbeScenario,
                            public ::testing::WithParamInterface<TeardownCase> {
 protected:
  EncoderTeardownTest() { system_knows(kDeviceLost, u"The GPU device instance was removed."); }

  // A failure that leaves error information on the thread.
  static world::Answer described_failure(HRESULT status, const std::u16string& what) {
    return world::fails(status, world::described(u"Described by " + what));
  }

  // The ledger position of the last call made on the chosen transform, its attribute store or
  // its input type.
  std::size_t last_use_of_chosen_transform() const {
    const auto& calls = platform_.ledger().calls;
    std::size_t last = calls.size();
    for (std::size_t i = 0; i != calls.size(); ++i) {
      const bool reference = calls[i].starts_with("Release ") || calls[i].starts_with("AddRef ");
      if (!reference && calls[i].find("encoder 1 transform") != std::string::npos) last = i;
    }
    return last;
  }
};

TEST_P(EncoderTeardownTest, ShutdownComesBetweenTheLastUseAndTheReleases) {
  // Tried in vendor order: NVIDIA's (2) fails, Intel's (1) is chosen, Microsoft's (0) is never
  // tried. Every ShutdownObject fails and leaves error information, which must change nothing.
  world::Encoder broken = nvidia();
  broken.activation = described_failure(kDeviceLost, u"activation info");
  broken.shutdown_object = described_failure(E_FAIL, u"broken shutdown info");
  world::Encoder chosen = world::named(u"Intel® Quick Sync Video H.264 Encoder MFT", kClsidB)
                              .offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2});
  chosen.shutdown_object = described_failure(E_FAIL, u"chosen shutdown info");
  GetParam().script(chosen);
  play({world::named(u"Microsoft H264 Encoder MFT", kClsidC), chosen, broken});

  const ProbeOutcome outcome = run_probe(std::nullopt);
  EXPECT_EQ(outcome ? "" : outcome.error(), GetParam().message);
  EXPECT_EQ(platform_.calls_starting("ShutdownObject"),
            (Calls{"ShutdownObject encoder 2", "ShutdownObject encoder 1"}));
  // The failed candidate: its error is taken and dropped, then it is shut down and released.
  EXPECT_TRUE(platform_.in_ledger_order(
      {"Release encoder 2 ActivateObject error", "ShutdownObject encoder 2", "Release encoder 2"}));
  // The chosen one.
  EXPECT_LT(last_use_of_chosen_transform(), platform_.position_of("ShutdownObject encoder 1"));
  EXPECT_TRUE(platform_.in_ledger_order(
      {"ShutdownObject encoder 1", "Release encoder 1 transform", "Release encoder 1"}));
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, EncoderTeardownTest,
    ::testing::Values(
        TeardownCase{"report", [](world::Encoder&) {}, ""},
        TeardownCase{"unlock_refused",
                     [](world::Encoder& chosen) {
                       chosen.async = 1;
                       chosen.unlock = world::fails(kDeviceLost);
                     },
                     "Failed to unlock async H.264 MFT: " + std::string(kLost)},
        TeardownCase{"output_type_refused",
                     [](world::Encoder& chosen) { chosen.set_output = world::fails(kDeviceLost); },
                     "MFT SetOutputType(H264) failed: " + std::string(kLost)},
        TeardownCase{
            "input_walk_failed",
            [](world::Encoder& chosen) { chosen.inputs[1].offer = world::fails(kDeviceLost); },
            "MFT GetInputAvailableType failed: " + std::string(kLost)},
        TeardownCase{"subtype_unreadable",
                     [](world::Encoder& chosen) {
                       chosen.inputs[1].subtype_read = world::fails(kDeviceLost);
                     },
                     "MFT input type GetGUID(MF_MT_SUBTYPE) failed: " + std::string(kLost)}),
    [](const auto& param_info) { return std::string(param_info.param.path); });

}  // namespace
}  // namespace velkaron::probe
