#include "error_information.h"

#include <oleauto.h>

#include <optional>

#include "event_record.h"
#include "known_guids.h"
#include "platform/com_ptr.h"
#include "tracked_object.h"

namespace velkaron::wine_test {
namespace {

BSTR allocate_text(const std::optional<std::u16string>& text) {
  if (!text) return nullptr;
  return SysAllocStringLen(reinterpret_cast<const wchar_t*>(text->data()),
                           static_cast<UINT>(text->size()));
}

// One object behind two interfaces; the counting is shared, so a reference
// taken through either is released through either.
class SdkErrorInfo final : public TrackedObject<IErrorInfo, IRestrictedErrorInfo> {
 public:
  explicit SdkErrorInfo(const world::ErrorText& information)
      : TrackedObject<IErrorInfo, IRestrictedErrorInfo>("errorinfo"), information_(information) {}

  VELKARON_NOT_CALLED(GetGUID, GUID*);
  VELKARON_NOT_CALLED(GetSource, BSTR*);
  VELKARON_NOT_CALLED(GetHelpFile, BSTR*);
  VELKARON_NOT_CALLED(GetHelpContext, DWORD*);
  VELKARON_NOT_CALLED(GetReference, BSTR*);

  HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override {
    if (!alive("GetDescription")) return E_UNEXPECTED;
    record_line(name() + " GetDescription");
    if (description == nullptr) return E_POINTER;
    *description = allocate_text(information_.description);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetErrorDetails(BSTR* description, HRESULT* error,
                                            BSTR* restricted_description,
                                            BSTR* capability_sid) override {
    if (!alive("GetErrorDetails")) return E_UNEXPECTED;
    record_line(name() + " GetErrorDetails");
    if (description == nullptr || error == nullptr || restricted_description == nullptr ||
        capability_sid == nullptr) {
      return E_POINTER;
    }
    *description = allocate_text(information_.details);
    *error = E_FAIL;
    *restricted_description = allocate_text(information_.restricted_description);
    *capability_sid = SysAllocString(L"S-1-15-3-1");
    return S_OK;
  }

 private:
  // IRestrictedErrorInfo only when the script says so.
  void* interface_for(REFIID iid) override {
    if (!same_guid(iid, test_support::kIidRestrictedErrorInfo))
      return TrackedObject::interface_for(iid);
    if (!information_.restricted) return nullptr;
    record_line(name() + " QueryInterface(IRestrictedErrorInfo)");
    return static_cast<IRestrictedErrorInfo*>(this);
  }

  world::ErrorText information_;
};

}  // namespace

HRESULT answer(const world::Answer& scripted) {
  if (!scripted.failed()) return scripted.status;
  if (!scripted.error) {
    SetErrorInfo(0, nullptr);
    return scripted.status;
  }
  // Memory never returned: see TrackedObject. The thread's slot keeps the one
  // reference that remains once ours goes.
  platform::com_ptr<SdkErrorInfo> error_info(new SdkErrorInfo(*scripted.error));
  SetErrorInfo(0, error_info.get());
  return scripted.status;
}

}  // namespace velkaron::wine_test
