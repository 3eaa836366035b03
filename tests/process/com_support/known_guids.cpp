#include "known_guids.h"

#include <array>
#include <cstring>

namespace velkaron::wine_test {
namespace {

struct NamedGuid {
  const char* name;
  const GUID* guid;
};

constexpr std::array kNamedGuids = {
    NamedGuid{"MFT_CATEGORY_VIDEO_ENCODER", &mf::MFT_CATEGORY_VIDEO_ENCODER},
    NamedGuid{"MFMediaType_Video", &mf::MFMediaType_Video},
    NamedGuid{"H264", &mf::MFVideoFormat_H264},
    NamedGuid{"NV12", &mf::MFVideoFormat_NV12},
    NamedGuid{"RGB32", &mf::MFVideoFormat_RGB32},
    NamedGuid{"ARGB32", &mf::MFVideoFormat_ARGB32},
    NamedGuid{"YUY2", &mf::MFVideoFormat_YUY2},
    NamedGuid{"MFT_FRIENDLY_NAME_Attribute", &mf::MFT_FRIENDLY_NAME_Attribute},
    NamedGuid{"MFT_TRANSFORM_CLSID_Attribute", &mf::MFT_TRANSFORM_CLSID_Attribute},
    NamedGuid{"MF_TRANSFORM_ASYNC", &mf::MF_TRANSFORM_ASYNC},
    NamedGuid{"MF_TRANSFORM_ASYNC_UNLOCK", &mf::MF_TRANSFORM_ASYNC_UNLOCK},
    NamedGuid{"MF_MT_MAJOR_TYPE", &mf::MF_MT_MAJOR_TYPE},
    NamedGuid{"MF_MT_SUBTYPE", &mf::MF_MT_SUBTYPE},
    NamedGuid{"MF_MT_FRAME_SIZE", &mf::MF_MT_FRAME_SIZE},
    NamedGuid{"MF_MT_FRAME_RATE", &mf::MF_MT_FRAME_RATE},
    NamedGuid{"MF_MT_AVG_BITRATE", &mf::MF_MT_AVG_BITRATE},
    NamedGuid{"MF_MT_INTERLACE_MODE", &mf::MF_MT_INTERLACE_MODE},
    NamedGuid{"MF_MT_MPEG2_PROFILE", &mf::MF_MT_MPEG2_PROFILE},
    NamedGuid{"IUnknown", &test_support::kIidUnknown},
    NamedGuid{"IClassFactory", &test_support::kIidClassFactory},
    NamedGuid{"IMFAttributes", &test_support::kIidAttributes},
    NamedGuid{"IMFMediaType", &test_support::kIidMediaType},
    NamedGuid{"IMFActivate", &test_support::kIidActivate},
    NamedGuid{"IMFTransform", &mf::IID_IMFTransform},
    NamedGuid{"IErrorInfo", &test_support::kIidErrorInfo},
    NamedGuid{"IRestrictedErrorInfo", &test_support::kIidRestrictedErrorInfo},
    // Last: the one GUID that the probe has no name for.
    NamedGuid{"I420", &kFormatI420},
};

}  // namespace

bool GuidLess::operator()(const GUID& a, const GUID& b) const {
  return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

std::string guid_name(const GUID& guid) {
  for (const auto& named : kNamedGuids) {
    if (same_guid(*named.guid, guid)) return named.name;
  }
  return "{" + platform::guid_text(guid) + "}";
}

}  // namespace velkaron::wine_test
