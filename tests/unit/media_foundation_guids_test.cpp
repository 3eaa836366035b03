#include "platform/media_foundation_guids.h"

#include <gtest/gtest.h>

#include <string_view>

#if defined(_WIN32)
#include "platform/platform_api.h"
#endif

namespace velkaron::probe {
namespace {

struct KnownGuid {
  std::string_view name;
  const GUID& ours;
  std::string_view text;  // as the platform's documentation writes it, without braces
#if defined(_WIN32)
  const GUID& sdk;  // the SDK's own definition, from mfuuid
#endif
};

#if defined(_WIN32)
#define KNOWN_GUID(name, text) \
  { #name, mf::name, text, ::name }
#else
#define KNOWN_GUID(name, text) \
  { #name, mf::name, text }
#endif

// Every constant against its documented value, typed in independently of the
// header, and on Windows against the SDK's definition as well.
const KnownGuid kKnownGuids[] = {
    KNOWN_GUID(MFT_CATEGORY_VIDEO_ENCODER, "F79EAC7D-E545-4387-BDEE-D647D7BDE42A"),
    KNOWN_GUID(MFT_FRIENDLY_NAME_Attribute, "314FFBAE-5B41-4C95-9C19-4E7D586FACE3"),
    KNOWN_GUID(MFT_TRANSFORM_CLSID_Attribute, "6821C42B-65A4-4E82-99BC-9A88205ECD0C"),
    KNOWN_GUID(IID_IMFTransform, "BF94C121-5B05-4E6F-8000-BA598961414D"),
    KNOWN_GUID(MF_TRANSFORM_ASYNC, "F81A699A-649A-497D-8C73-29F8FED6AD7A"),
    KNOWN_GUID(MF_TRANSFORM_ASYNC_UNLOCK, "E5666D6B-3422-4EB6-A421-DA7DB1F8E207"),
    KNOWN_GUID(MF_MT_MAJOR_TYPE, "48EBA18E-F8C9-4687-BF11-0A74C9F96A8F"),
    KNOWN_GUID(MF_MT_SUBTYPE, "F7E34C9A-42E8-4714-B74B-CB29D72C35E5"),
    KNOWN_GUID(MF_MT_FRAME_SIZE, "1652C33D-D6B2-4012-B834-72030849A37D"),
    KNOWN_GUID(MF_MT_FRAME_RATE, "C459A2E8-3D2C-4E44-B132-FEE5156C7BB0"),
    KNOWN_GUID(MF_MT_AVG_BITRATE, "20332624-FB0D-4D9E-BD0D-CBF6786C102E"),
    KNOWN_GUID(MF_MT_INTERLACE_MODE, "E2724BB8-E676-4806-B4B2-A8D6EFB44CCD"),
    KNOWN_GUID(MF_MT_MPEG2_PROFILE, "AD76A80B-2D5C-4E0B-B375-64E520137036"),
    KNOWN_GUID(MFMediaType_Video, "73646976-0000-0010-8000-00AA00389B71"),
    KNOWN_GUID(MFVideoFormat_H264, "34363248-0000-0010-8000-00AA00389B71"),
    KNOWN_GUID(MFVideoFormat_NV12, "3231564E-0000-0010-8000-00AA00389B71"),
    KNOWN_GUID(MFVideoFormat_RGB32, "00000016-0000-0010-8000-00AA00389B71"),
    KNOWN_GUID(MFVideoFormat_ARGB32, "00000015-0000-0010-8000-00AA00389B71"),
    KNOWN_GUID(MFVideoFormat_YUY2, "32595559-0000-0010-8000-00AA00389B71"),
};

TEST(MediaFoundationGuidsTest, EachConstantHasItsDocumentedValue) {
  for (const KnownGuid& known : kKnownGuids) {
    EXPECT_EQ(platform::guid_text(known.ours), known.text) << known.name;
  }
}

#if defined(_WIN32)
TEST(MediaFoundationGuidsTest, EachConstantEqualsTheSdkDefinition) {
  for (const KnownGuid& known : kKnownGuids) {
    EXPECT_TRUE(platform::same_guid(known.ours, known.sdk))
        << known.name << ": ours " << platform::guid_text(known.ours) << ", the SDK's "
        << platform::guid_text(known.sdk);
  }
}
#endif

}  // namespace
}  // namespace velkaron::probe
