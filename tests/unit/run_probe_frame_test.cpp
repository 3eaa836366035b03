#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "remote/webrtc/run_probe.h"
#include "scripted_platform.h"

namespace velkaron::probe {
namespace {

using report::JsonValue;
using test_support::ScriptedErrorInfo;
using test_support::ScriptedPlatform;
using test_support::ScriptedTransform;
using test_support::Status;
using Calls = std::vector<std::string>;

// The one order the frame keeps whenever both start-ups succeed.
const Calls kWholeFrame = {"CoInitializeEx", "MFStartup", "phases", "MFShutdown", "CoUninitialize"};

class RunProbeFrameTest : public ::testing::Test {
 protected:
  // The frame's own calls, in order.
  Calls frame_calls() const {
    Calls calls;
    for (const std::string& call : platform_.ledger().calls) {
      if (call == "CoInitializeEx" || call == "MFStartup" || call == "MFShutdown" ||
          call == "CoUninitialize" || call == "phases") {
        calls.push_back(call);
      }
    }
    return calls;
  }
  // Phases that record themselves and end with `outcome`.
  std::function<ProbeOutcome()> phases(ProbeOutcome outcome) {
    return [this, outcome] {
      platform_.ledger().record("phases");
      return outcome;
    };
  }

  ScriptedPlatform platform_;
  const ProbeOutcome report_ = JsonValue::boolean(true);
};

TEST_F(RunProbeFrameTest, SuccessStartsAndStopsInOrder) {
  EXPECT_EQ(run_in_platform_frame(phases(report_)), report_);
  EXPECT_EQ(frame_calls(), kWholeFrame);
}

TEST_F(RunProbeFrameTest, ComAlreadyInitialisedStillObligesOneUninitialize) {
  platform_.script().co_initialize_ex = [] { return S_FALSE; };
  EXPECT_EQ(run_in_platform_frame(phases(report_)), report_);
  EXPECT_EQ(frame_calls(), kWholeFrame);
}

TEST_F(RunProbeFrameTest, FailedCoInitializeUndoesNothing) {
  auto& info = platform_.make<ScriptedErrorInfo>("info");
  info.description = u"No apartment.";
  platform_.script().co_initialize_ex = [&] {
    return Status(static_cast<HRESULT>(0x80010106u), &info).raise();
  };
  EXPECT_EQ(run_in_platform_frame(phases(report_)),
            ProbeOutcome(std::unexpect, "CoInitializeEx failed: No apartment. (0x80010106)"));
  EXPECT_EQ(frame_calls(), Calls{"CoInitializeEx"});
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

TEST_F(RunProbeFrameTest, FailedMFStartupUninitializesComButDoesNotShutDown) {
  platform_.script().mf_startup = [] { return static_cast<HRESULT>(0xC00D36E3u); };
  EXPECT_EQ(run_in_platform_frame(phases(report_)),
            ProbeOutcome(std::unexpect, "MFStartup failed: 0xC00D36E3"));
  EXPECT_EQ(frame_calls(), (Calls{"CoInitializeEx", "MFStartup", "CoUninitialize"}));
}

TEST_F(RunProbeFrameTest, FailedMFShutdownLeavesTheReportAndReleasesItsErrorInformation) {
  auto& info = platform_.make<ScriptedErrorInfo>("shutdown info");
  info.description = u"Still busy.";
  platform_.script().mf_shutdown = [&] { return Status(E_FAIL, &info).raise(); };
  EXPECT_EQ(run_in_platform_frame(phases(report_)), report_);
  EXPECT_EQ(frame_calls(), kWholeFrame);
  EXPECT_EQ(info.references(), 0u);
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
  // Nothing asked for the error's text: a shutdown failure has no message.
  EXPECT_TRUE(platform_.calls_starting("GetDescription").empty());
}

TEST_F(RunProbeFrameTest, PhaseFailureStillShutsDownAfterThePhaseReleasedItsObjects) {
  auto& transform = platform_.make<ScriptedTransform>("transform");
  const auto failing_phase = [&]() -> ProbeOutcome {
    platform::com_ptr<IMFTransform> held(transform.hand_out());
    return std::unexpected(std::string("phase failed"));
  };
  EXPECT_EQ(run_in_platform_frame(failing_phase), ProbeOutcome(std::unexpect, "phase failed"));
  EXPECT_EQ(frame_calls(), (Calls{"CoInitializeEx", "MFStartup", "MFShutdown", "CoUninitialize"}));
  EXPECT_LT(platform_.position_of("Release transform"), platform_.position_of("MFShutdown"));
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
}

}  // namespace
}  // namespace velkaron::probe
