#include "remote/webrtc/encoder_vendor.h"

#include <gtest/gtest.h>

#include "remote/webrtc/encoder_selector.h"

namespace velkaron::probe {
namespace {

TEST(EncoderVendorTest, FirstVendorWordInTheFoldedNameDecides) {
  EXPECT_EQ(classify_vendor("NVIDIA H.264 Encoder MFT"), EncoderVendor::Nvidia);
  EXPECT_EQ(classify_vendor("Intel® Quick Sync Video H.264 Encoder MFT"), EncoderVendor::Intel);
  EXPECT_EQ(classify_vendor("QUICK SYNC encoder"), EncoderVendor::Intel);
  EXPECT_EQ(classify_vendor("AMDh264Encoder"), EncoderVendor::Amd);
  EXPECT_EQ(classify_vendor("Microsoft H264 Encoder MFT"), EncoderVendor::Microsoft);
  // Earlier words win over "microsoft"; a plain substring test finds "amd" inside a word.
  EXPECT_EQ(classify_vendor("Intel encoder by Microsoft"), EncoderVendor::Intel);
  EXPECT_EQ(classify_vendor("Microsoft wrapper of an AMD encoder"), EncoderVendor::Amd);
  EXPECT_EQ(classify_vendor("Hamdan Video"), EncoderVendor::Amd);
  // Only ASCII letters fold, and a name that could not be read is nobody's.
  EXPECT_EQ(classify_vendor("NVİDİA"), EncoderVendor::Other);
  EXPECT_EQ(classify_vendor("<unknown>"), EncoderVendor::Other);
  EXPECT_EQ(classify_vendor(""), EncoderVendor::Other);
}

TEST(SelectorTest, BlankIsNoSelectorAndOnlyAsciiLettersFold) {
  EXPECT_EQ(normalise_selector(std::nullopt), std::nullopt);
  EXPECT_EQ(normalise_selector(""), std::nullopt);
  EXPECT_EQ(normalise_selector(" \t\r\n\u00A0\u2003\u3000"), std::nullopt);
  EXPECT_EQ(normalise_selector("\u00A0 NVIDIA H.264\t"), "nvidia h.264");
  EXPECT_EQ(normalise_selector("ÉLITE Ä"), "Élite Ä");
  // A zero width space is not white space.
  EXPECT_EQ(normalise_selector("\u200BAmd"), "\u200Bamd");
}

}  // namespace
}  // namespace velkaron::probe
