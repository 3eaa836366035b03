#include "remote/webrtc/input_types.h"

#include <gtest/gtest.h>

#include <string>

#include "probe_scenario.h"
#include "remote/webrtc/subtype_label.h"

namespace velkaron::probe {
namespace {

// A subtype no label names: NV12's base with one byte changed.
constexpr GUID kNearlyNv12 = {
    0x3231564E, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x72}};

using InputTypesTest = ProbeScenario;

TEST(SubtypeLabelTest, AllSixteenBytesMustMatch) {
  EXPECT_EQ(subtype_label(mf::MFVideoFormat_H264), "H264");
  EXPECT_EQ(subtype_label(mf::MFVideoFormat_NV12), "NV12");
  EXPECT_EQ(subtype_label(mf::MFVideoFormat_RGB32), "RGB32");
  EXPECT_EQ(subtype_label(mf::MFVideoFormat_ARGB32), "ARGB32");
  EXPECT_EQ(subtype_label(mf::MFVideoFormat_YUY2), "YUY2");
  EXPECT_EQ(subtype_label(kNearlyNv12), "unknown");
  EXPECT_EQ(subtype_label(GUID{}), "unknown");
}

// The road of a typical run: three encoders, a selector, an asynchronous
// encoder that offers NV12 and ARGB32.
TEST_F(InputTypesTest, TypicalRunReportsEveryInputTypeAndReleasesInOrder) {
  world::Encoder chosen = nvidia().offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_ARGB32});
  chosen.async = 1;
  play({world::named(u"Intel® Quick Sync Video H.264 Encoder MFT", kClsidB),
        world::named(u"Microsoft H264 Encoder MFT", kClsidC), chosen});

  const ProbeOutcome outcome = run_probe("nvidia");
  EXPECT_EQ(outcome_text(outcome), R"({
  "entries": [
    {
      "index": 0,
      "label": "NV12",
      "subtype": "3231564E-0000-0010-8000-00AA00389B71"
    },
    {
      "index": 1,
      "label": "ARGB32",
      "subtype": "00000015-0000-0010-8000-00AA00389B71"
    }
  ],
  "mftClsid": "12345678-9ABC-4DEF-8123-456789ABCDEF",
  "mftFriendlyName": "NVIDIA H.264 Encoder MFT",
  "mftSelector": "nvidia",
  "ok": true
})");
  EXPECT_EQ(platform_.calls_starting("SetUINT32 encoder 2 transform attributes"),
            Calls{"SetUINT32 encoder 2 transform attributes "
                  "E5666D6B-3422-4EB6-A421-DA7DB1F8E207 1"});
  // Each input type is released before the next one is asked for: the shell faults otherwise.
  EXPECT_TRUE(released_in_order({"encoder 0", "encoder 1", "encoder 2 transform attributes",
                                 "encoder 2 transform input", "output type", "encoder 2 transform",
                                 "encoder 2"}));
}

TEST_F(InputTypesTest, NoInputTypeGivesEmptyEntriesAndTheSelectorAsTyped) {
  play({nvidia()});
  EXPECT_EQ(outcome_text(run_probe("  NVIDIA ")), R"({
  "entries": [],
  "mftClsid": "12345678-9ABC-4DEF-8123-456789ABCDEF",
  "mftFriendlyName": "NVIDIA H.264 Encoder MFT",
  "mftSelector": "  NVIDIA ",
  "ok": true
})");
  const ProbeOutcome blank = run_probe(" ");
  ASSERT_TRUE(blank.has_value());
  EXPECT_NE(outcome_text(blank).find("\"mftSelector\": \" \","), std::string::npos);
  const ProbeOutcome absent = run_probe(std::nullopt);
  ASSERT_TRUE(absent.has_value());
  EXPECT_NE(outcome_text(absent).find("\"mftSelector\": null,"), std::string::npos);
}

TEST_F(InputTypesTest, DuplicateAndUnknownSubtypesEachKeepTheirIndex) {
  play({nvidia().offers(
      {mf::MFVideoFormat_NV12, kNearlyNv12, mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2})});
  const ProbeOutcome outcome = run_probe(std::nullopt);
  ASSERT_TRUE(outcome.has_value());
  const std::string text = outcome_text(outcome);
  const std::string expected_entries = R"("entries": [
    {
      "index": 0,
      "label": "NV12",
      "subtype": "3231564E-0000-0010-8000-00AA00389B71"
    },
    {
      "index": 1,
      "label": "unknown",
      "subtype": "3231564E-0000-0010-8000-00AA00389B72"
    },
    {
      "index": 2,
      "label": "NV12",
      "subtype": "3231564E-0000-0010-8000-00AA00389B71"
    },
    {
      "index": 3,
      "label": "YUY2",
      "subtype": "32595559-0000-0010-8000-00AA00389B71"
    }
  ],)";
  EXPECT_NE(text.find(expected_entries), std::string::npos) << text;
  EXPECT_TRUE(
      released_in_order({"encoder 0 transform input", "output type", "encoder 0 transform"}));
}

TEST_F(InputTypesTest, FailureAtIndexThreeDiscardsTheEntriesRead) {
  world::Encoder encoder = nvidia().offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2,
                                            mf::MFVideoFormat_RGB32, mf::MFVideoFormat_ARGB32});
  encoder.inputs[3].offer =
      world::fails(E_NOTIMPL, world::described(u"Not implemented for this stream."));
  play({encoder});
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            "MFT GetInputAvailableType failed: Not implemented for this stream. (0x80004001)");
  EXPECT_TRUE(released_in_order({"encoder 0 transform input", "encoder 0 transform offer 3 error",
                                 "output type", "encoder 0 transform"}));
}

TEST_F(InputTypesTest, SuccessWithoutATypeIsAFailure) {
  world::Encoder encoder = nvidia().offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2});
  encoder.inputs[1].offer = world::no_object();
  play({encoder});
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)), "MFT GetInputAvailableType failed: 0x00000000");
  EXPECT_TRUE(platform_.calls_starting("GetInputAvailableType encoder 0 transform 0 2").empty());
  EXPECT_TRUE(
      released_in_order({"encoder 0 transform input", "output type", "encoder 0 transform"}));
}

TEST_F(InputTypesTest, UnreadableSubtypeIsReleasedBeforeTheOutputTypeAndTransform) {
  world::Encoder encoder = nvidia().offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2});
  encoder.inputs[1].subtype_read = world::fails(MF_E_ATTRIBUTENOTFOUND);
  play({encoder});
  EXPECT_EQ(outcome_text(run_probe(std::nullopt)),
            "MFT input type GetGUID(MF_MT_SUBTYPE) failed: 0xC00D36E6");
  EXPECT_TRUE(
      released_in_order({"encoder 0 transform input", "output type", "encoder 0 transform"}));
}

}  // namespace
}  // namespace velkaron::probe
