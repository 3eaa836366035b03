#include <gtest/gtest.h>

#include "platform/guid.h"

namespace velkaron::platform {
namespace {

TEST(GuidText, WritesNumberFieldsMostSignificantFirstAndBytesInStorageOrder) {
  const GUID nv12{0x3231564E, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  EXPECT_EQ(guid_text(nv12), "3231564E-0000-0010-8000-00AA00389B71");

  const GUID mixed{0x0A1B2C3D, 0x4E5F, 0x6071, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
  EXPECT_EQ(guid_text(mixed), "0A1B2C3D-4E5F-6071-0123-456789ABCDEF");
}

TEST(GuidText, PadsEveryFieldWithZeros) {
  EXPECT_EQ(guid_text(GUID{}), "00000000-0000-0000-0000-000000000000");
  EXPECT_EQ(guid_text(GUID{1, 2, 3, {0, 4, 0, 0, 0, 0, 0, 5}}),
            "00000001-0002-0003-0004-000000000005");
}

TEST(GuidText, WritesAllOnesInUppercase) {
  const GUID ones{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  EXPECT_EQ(guid_text(ones), "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF");
}

}  // namespace
}  // namespace velkaron::platform
