#include "known_guids.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

namespace velkaron::wine_test {
namespace {

struct NamedGuid {
  const char* name;
  const GUID* guid;
};

constexpr std::array kNamedGuids = {
    NamedGuid{"MFT_CATEGORY_VIDEO_ENCODER", &kMftCategoryVideoEncoder},
    NamedGuid{"MFMediaType_Video", &kMediaTypeVideo},
    NamedGuid{"H264", &kFormatH264},
    NamedGuid{"NV12", &kFormatNv12},
    NamedGuid{"RGB32", &kFormatRgb32},
    NamedGuid{"ARGB32", &kFormatArgb32},
    NamedGuid{"YUY2", &kFormatYuy2},
    NamedGuid{"I420", &kFormatI420},
    NamedGuid{"MFT_FRIENDLY_NAME_Attribute", &kFriendlyNameKey},
    NamedGuid{"MFT_TRANSFORM_CLSID_Attribute", &kTransformClsidKey},
    NamedGuid{"MF_TRANSFORM_ASYNC", &kAsyncKey},
    NamedGuid{"MF_TRANSFORM_ASYNC_UNLOCK", &kAsyncUnlockKey},
    NamedGuid{"MF_MT_MAJOR_TYPE", &kMajorTypeKey},
    NamedGuid{"MF_MT_SUBTYPE", &kSubtypeKey},
    NamedGuid{"MF_MT_FRAME_SIZE", &kFrameSizeKey},
    NamedGuid{"MF_MT_FRAME_RATE", &kFrameRateKey},
    NamedGuid{"MF_MT_AVG_BITRATE", &kAvgBitrateKey},
    NamedGuid{"MF_MT_INTERLACE_MODE", &kInterlaceModeKey},
    NamedGuid{"MF_MT_MPEG2_PROFILE", &kMpeg2ProfileKey},
    NamedGuid{"IUnknown", &kIidUnknown},
    NamedGuid{"IClassFactory", &kIidClassFactory},
    NamedGuid{"IMFAttributes", &kIidAttributes},
    NamedGuid{"IMFMediaType", &kIidMediaType},
    NamedGuid{"IMFActivate", &kIidActivate},
    NamedGuid{"IMFTransform", &kIidTransform},
    NamedGuid{"IErrorInfo", &kIidErrorInfo},
    NamedGuid{"IRestrictedErrorInfo", &kIidRestrictedErrorInfo},
};

std::string braced_text(const GUID& guid) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool same_guid(const GUID& a, const GUID& b) {
  return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

bool GuidLess::operator()(const GUID& a, const GUID& b) const {
  return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

std::string guid_name(const GUID& guid) {
  for (const auto& named : kNamedGuids) {
    if (same_guid(*named.guid, guid)) return named.name;
  }
  return braced_text(guid);
}

bool parse_guid(std::string_view text, GUID& out) {
  for (const auto& named : kNamedGuids) {
    if (text == named.name) {
      out = *named.guid;
      return true;
    }
  }
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return false;
  // 32 hexadecimal digits, with dashes after the 8th, 12th, 16th and 20th.
  std::array<unsigned char, 16> bytes{};
  std::size_t digit = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return false;
      continue;
    }
    const int value = hex_digit(text[i]);
    if (value < 0) return false;
    bytes[digit / 2] = static_cast<unsigned char>(bytes[digit / 2] * 16 + value);
    ++digit;
  }
  out.Data1 = static_cast<unsigned long>(bytes[0]) << 24 |
              static_cast<unsigned long>(bytes[1]) << 16 |
              static_cast<unsigned long>(bytes[2]) << 8 | bytes[3];
  out.Data2 = static_cast<unsigned short>(bytes[4] << 8 | bytes[5]);
  out.Data3 = static_cast<unsigned short>(bytes[6] << 8 | bytes[7]);
  for (int i = 0; i < 8; ++i) out.Data4[i] = bytes[static_cast<std::size_t>(8 + i)];
  return true;
}

std::string hresult_hex(HRESULT status) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
  return text;
}

}  // namespace velkaron::wine_test
