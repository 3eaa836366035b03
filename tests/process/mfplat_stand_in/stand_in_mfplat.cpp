// A stand-in for mfplat.dll, loaded in place of the platform's when it is
// installed as the system's mfplat.dll and WINEDLLOVERRIDES=mfplat=n. It plays the world that
// VELKARON_MFPLAT_SCENARIO names (stand_in_worlds.cpp), and records in the file named by
// VELKARON_MFPLAT_RECORD every call made to it and to the objects it hands out,
// which objects are still alive when MFShutdown is called, and again when the
// DLL is unloaded.

#include <mfapi.h>
#include <mftransform.h>
#include <windows.h>

#include <string>

#include "caller_memory.h"
#include "event_record.h"
#include "object_ledger.h"
#include "sdk_transform.h"
#include "stand_in_worlds.h"

namespace velkaron::wine_test {
namespace {

const world::World* scenario = nullptr;

// Chosen when the DLL is loaded.
void choose_scenario() {
  const std::wstring name = environment_text(L"VELKARON_MFPLAT_SCENARIO");
  scenario = find_stand_in_world(name.empty() ? L"empty" : name);
  if (scenario == nullptr) record_line("SCENARIO ERROR no world of that name");
}

class SdkActivation final : public AttributeStore<IMFActivate> {
 public:
  explicit SdkActivation(const world::Encoder& script)
      : AttributeStore<IMFActivate>("activation"), script_(script) {
    if (script_.name) store(mf::MFT_FRIENDLY_NAME_Attribute, *script_.name);
    fail_key(mf::MFT_FRIENDLY_NAME_Attribute, script_.name_read);
    if (script_.clsid) store(mf::MFT_TRANSFORM_CLSID_Attribute, *script_.clsid);
    fail_key(mf::MFT_TRANSFORM_CLSID_Attribute, script_.clsid_read);
  }

  HRESULT STDMETHODCALLTYPE ActivateObject(REFIID iid, void** out) override {
    if (!alive("ActivateObject")) return E_UNEXPECTED;
    const std::string call = "ActivateObject(" + guid_name(iid) + ")";
    if (out == nullptr) return recorded(call, E_POINTER);
    *out = nullptr;
    if (script_.activation.no_object) return recorded(call + " (no object)", S_OK);
    return recorded(call, activate_sdk_transform(script_, iid, out));
  }
  HRESULT STDMETHODCALLTYPE ShutdownObject() override {
    if (!alive("ShutdownObject")) return E_UNEXPECTED;
    return recorded("ShutdownObject", answer(script_.shutdown_object));
  }
  VELKARON_NOT_CALLED(DetachObject);

 private:
  const world::Encoder& script_;  // the worlds are static tables
};

std::string type_info_text(const MFT_REGISTER_TYPE_INFO* info) {
  if (info == nullptr) return "null";
  return "{" + guid_name(info->guidMajorType) + ", " + guid_name(info->guidSubtype) + "}";
}

}  // namespace
}  // namespace velkaron::wine_test

using namespace velkaron::wine_test;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (record_module_life(reason, L"VELKARON_MFPLAT_RECORD")) choose_scenario();
  return TRUE;
}

extern "C" HRESULT WINAPI MFStartup(ULONG version, DWORD flags) {
  const std::string call = "MFStartup(" + hresult_text(static_cast<HRESULT>(version)) + ", " +
                           std::to_string(flags) + ")";
  if (scenario == nullptr) return E_INVALIDARG;
  if (!watch_caller_memory()) record_line("cannot watch the memory handed to the program");
  return record_result(call, answer(scenario->startup));
}

extern "C" HRESULT WINAPI MFShutdown() {
  // The probe must have released every object before it shuts down.
  record_line("MFShutdown " + ledger_summary());
  return answer(scenario->shutdown);
}

extern "C" HRESULT WINAPI MFTEnumEx(GUID category, UINT32 flags,
                                    const MFT_REGISTER_TYPE_INFO* input_type,
                                    const MFT_REGISTER_TYPE_INFO* output_type,
                                    IMFActivate*** activations, UINT32* count) {
  const std::string call = "MFTEnumEx(" + guid_name(category) + ", " +
                           hresult_text(static_cast<HRESULT>(flags)) + ", " +
                           type_info_text(input_type) + ", " + type_info_text(output_type) + ")";
  if (activations == nullptr || count == nullptr) return E_POINTER;
  *activations = nullptr;
  *count = 0;
  if (scenario->enumeration.failed()) return record_result(call, answer(scenario->enumeration));
  const auto total = static_cast<UINT32>(scenario->encoders.size());
  if (scenario->count_without_array) {
    *count = total;
  } else if (total > 0) {
    auto** array = static_cast<IMFActivate**>(
        allocate_for_caller(total * sizeof(IMFActivate*), "activation-array"));
    if (array == nullptr) return E_OUTOFMEMORY;
    for (UINT32 i = 0; i < total; ++i) {
      const world::Encoder& encoder = scenario->encoders[i];
      // Memory never returned: see TrackedObject.
      array[i] = encoder.null_entry ? nullptr : new SdkActivation(encoder);
    }
    *activations = array;
    *count = total;
  }
  return record_result(call + " = " + std::to_string(*count), S_OK);
}

extern "C" HRESULT WINAPI MFCreateMediaType(IMFMediaType** type) {
  if (type == nullptr) return E_POINTER;
  *type = nullptr;
  if (scenario->media_type.failed()) {
    return record_result("MFCreateMediaType", answer(scenario->media_type));
  }
  if (scenario->media_type.no_object) return record_result("MFCreateMediaType (no object)", S_OK);
  // Memory never returned: see TrackedObject.
  auto* created = new SdkMediaType("output-type");
  for (const auto& [key, failure] : scenario->output_type_refuses) created->fail_key(key, failure);
  *type = created;
  return record_result("MFCreateMediaType = " + created->name(), S_OK);
}
