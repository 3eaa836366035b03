#include "error_information.h"

#include <oleauto.h>

#include "event_record.h"
#include "known_guids.h"
#include "platform/com_ptr.h"
#include "tracked_object.h"

namespace velkaron::wine_test {
namespace {

BSTR allocate_text(const std::wstring& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// One object behind two interfaces; the counting is shared, so a reference
// taken through either is released through either.
class ScriptedErrorInfo final : public TrackedObject<IErrorInfo, IRestrictedErrorInfo> {
 public:
  explicit ScriptedErrorInfo(const ErrorInformation& information)
      : TrackedObject<IErrorInfo, IRestrictedErrorInfo>("errorinfo"), information_(information) {}

  HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override {
    if (!alive("GetGUID")) return E_UNEXPECTED;
    if (guid != nullptr) *guid = GUID{};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSource(BSTR* source) override {
    if (!alive("GetSource")) return E_UNEXPECTED;
    if (source != nullptr) *source = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override {
    if (!alive("GetDescription")) return E_UNEXPECTED;
    record_line(name() + " GetDescription");
    if (description == nullptr) return E_POINTER;
    *description = allocate_text(information_.description);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* file) override {
    if (!alive("GetHelpFile")) return E_UNEXPECTED;
    if (file != nullptr) *file = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* context) override {
    if (!alive("GetHelpContext")) return E_UNEXPECTED;
    if (context != nullptr) *context = 0;
    return E_NOTIMPL;
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
    *description = allocate_text(information_.details_description);
    *error = E_FAIL;
    *restricted_description = allocate_text(information_.restricted_description);
    *capability_sid = SysAllocString(L"S-1-15-3-1");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetReference(BSTR* reference) override {
    if (!alive("GetReference")) return E_UNEXPECTED;
    if (reference != nullptr) *reference = nullptr;
    return E_NOTIMPL;
  }

 private:
  // IRestrictedErrorInfo only when the script says so.
  void* interface_for(REFIID iid) override {
    if (!same_guid(iid, iid_of<IRestrictedErrorInfo>)) return TrackedObject::interface_for(iid);
    if (!information_.restricted) return nullptr;
    record_line(name() + " QueryInterface(IRestrictedErrorInfo)");
    return static_cast<IRestrictedErrorInfo*>(this);
  }

  ErrorInformation information_;
};

}  // namespace

HRESULT fail_with(HRESULT status, const ErrorInformation* information) {
  if (information == nullptr) {
    SetErrorInfo(0, nullptr);
    return status;
  }
  // Memory never returned: see TrackedObject. The thread's slot keeps the one
  // reference that remains once ours goes.
  platform::com_ptr<ScriptedErrorInfo> error_info(new ScriptedErrorInfo(*information));
  SetErrorInfo(0, error_info.get());
  return status;
}

}  // namespace velkaron::wine_test
