#include "enumerated_encoders.h"

#include <mfapi.h>
#include <mfidl.h>
#include <mftransform.h>

#include "platform/activation_array.h"
#include "platform/com_ptr.h"
#include "platform/guid.h"
#include "platform/media_foundation_guids.h"
#include "platform/platform_memory.h"
#include "platform/wide_text.h"

namespace velkaron::wine_test {
namespace {

namespace mf = probe::mf;

constexpr const char* kUnknown = "<unknown>";

HRESULT enumerate(platform::ActivationArray& activations) {
  MFT_REGISTER_TYPE_INFO h264_output = {mf::MFMediaType_Video, mf::MFVideoFormat_H264};
  return MFTEnumEx(mf::MFT_CATEGORY_VIDEO_ENCODER,
                   MFT_ENUM_FLAG_HARDWARE | MFT_ENUM_FLAG_SORTANDFILTER, nullptr, &h264_output,
                   activations.put_array(), activations.put_count());
}

std::string friendly_name(IMFActivate& activation) {
  platform::unique_cotaskmem_string name;
  UINT32 length = 0;
  if (FAILED(activation.GetAllocatedString(mf::MFT_FRIENDLY_NAME_Attribute, name.put(), &length)) ||
      !name) {
    return kUnknown;
  }
  return platform::decode_utf16_lossy(platform::wide_view(name.get(), length));
}

}  // namespace

std::string clsid_text(const GUID& clsid) {
  wchar_t braced[40] = {};
  const int length = StringFromGUID2(clsid, braced, 40);
  // "{" 36 characters "}" and the NUL.
  return length == 39 ? platform::decode_utf16_lossy(platform::wide_view(braced + 1, 36))
                      : kUnknown;
}

std::expected<std::vector<EnumeratedEncoder>, HRESULT> enumerated_encoders() {
  platform::ActivationArray activations;
  if (const HRESULT status = enumerate(activations); FAILED(status)) {
    return std::unexpected(status);
  }
  std::vector<EnumeratedEncoder> encoders;
  for (std::size_t index = 0; index < activations.size(); ++index) {
    const platform::com_ptr<IMFActivate> activation = activations.take(index);
    EnumeratedEncoder encoder{{}, kUnknown, kUnknown};
    if (activation) {
      encoder.name = friendly_name(*activation);
      if (SUCCEEDED(activation->GetGUID(mf::MFT_TRANSFORM_CLSID_Attribute, &encoder.clsid))) {
        encoder.clsid_text = clsid_text(encoder.clsid);
      }
    }
    encoders.push_back(std::move(encoder));
  }
  return encoders;
}

HRESULT activation_status(const GUID& clsid) {
  platform::ActivationArray activations;
  if (const HRESULT status = enumerate(activations); FAILED(status)) return status;
  for (std::size_t index = 0; index < activations.size(); ++index) {
    const platform::com_ptr<IMFActivate> activation = activations.take(index);
    GUID enumerated{};
    if (!activation ||
        FAILED(activation->GetGUID(mf::MFT_TRANSFORM_CLSID_Attribute, &enumerated)) ||
        !platform::same_guid(enumerated, clsid)) {
      continue;
    }
    platform::com_ptr<IMFTransform> transform;
    const HRESULT status = activation->ActivateObject(mf::IID_IMFTransform, transform.put_void());
    if (SUCCEEDED(status)) activation->ShutdownObject();
    return status;
  }
  return E_FAIL;
}

}  // namespace velkaron::wine_test
