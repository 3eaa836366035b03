// The encoder fixture's in-process COM server. It counts the objects it hands
// out and records, in the file that VELKARON_FIXTURE_RECORD names, every call
// made on them and, when the DLL is unloaded, which of them are still alive.

#include <windows.h>

#include "event_record.h"
#include "fixture_encoders.h"
#include "object_ledger.h"
#include "platform/com_ptr.h"
#include "tracked_object.h"

namespace velkaron::wine_test {
namespace {

class FixtureClassFactory final : public TrackedObject<IClassFactory> {
 public:
  explicit FixtureClassFactory(const FixtureEncoder& encoder)
      : TrackedObject<IClassFactory>("class-factory"), encoder_(encoder) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!alive("CreateInstance")) return E_UNEXPECTED;
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    const std::string call = "CreateInstance(" + guid_name(iid) + ")";
    if (outer != nullptr) return recorded(call, CLASS_E_NOAGGREGATION);
    return recorded(call, activate_sdk_transform(encoder_, iid, out));
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  void* interface_for(REFIID iid) override {
    if (same_guid(iid, test_support::kIidClassFactory)) return static_cast<IClassFactory*>(this);
    return TrackedObject::interface_for(iid);
  }

  const FixtureEncoder& encoder_;
};

}  // namespace
}  // namespace velkaron::wine_test

using namespace velkaron::wine_test;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  record_module_life(reason, L"VELKARON_FIXTURE_RECORD");
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const FixtureEncoder* encoder = find_fixture_encoder(clsid);
  const std::string call = "DllGetClassObject(" + guid_name(clsid) + ", " + guid_name(iid) + ")";
  if (encoder == nullptr || encoder->activation.status == CLASS_E_CLASSNOTAVAILABLE) {
    return record_result(call, CLASS_E_CLASSNOTAVAILABLE);
  }
  // Memory never returned: see TrackedObject.
  const velkaron::platform::com_ptr<FixtureClassFactory> factory(new FixtureClassFactory(*encoder));
  return record_result(call, factory->QueryInterface(iid, out));
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return live_objects() == 0 ? S_OK : S_FALSE;
}
