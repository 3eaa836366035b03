#include "error_information.h"

#include <oleauto.h>

#include "event_record.h"
#include "known_guids.h"
#include "object_ledger.h"
#include "platform/com_ptr.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#include "platform/restricted_error_info.h"
#pragma GCC diagnostic pop

namespace velkaron::wine_test {
namespace {

BSTR allocate_text(const std::wstring& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// One object behind two interfaces; the counting is shared, so a reference
// taken through either is released through either.
class ScriptedErrorInfo final : public IErrorInfo, public IRestrictedErrorInfo {
 public:
  explicit ScriptedErrorInfo(const ErrorInformation& information)
      : information_(information), name_(object_born("errorinfo")) {}
  virtual ~ScriptedErrorInfo() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!alive("QueryInterface")) return E_UNEXPECTED;
    if (same_guid(iid, kIidUnknown) || same_guid(iid, kIidErrorInfo)) {
      *out = static_cast<IErrorInfo*>(this);
    } else if (information_.restricted && same_guid(iid, kIidRestrictedErrorInfo)) {
      *out = static_cast<IRestrictedErrorInfo*>(this);
      record_line(name_ + " QueryInterface(IRestrictedErrorInfo)");
    } else {
      return E_NOINTERFACE;
    }
    ++references_;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    if (!alive("AddRef")) return 0;
    return ++references_;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    if (!alive("Release")) return 0;
    const ULONG left = --references_;
    if (left == 0) object_died(name_);
    return left;
  }

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
    record_line(name_ + " GetDescription");
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
    record_line(name_ + " GetErrorDetails");
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
  bool alive(const char* method) const {
    if (references_ > 0) return true;
    object_misused(name_, method);
    return false;
  }

  ErrorInformation information_;
  std::string name_;
  ULONG references_ = 1;
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
