#pragma once

// Scripted COM objects for the substitute platform. Each object counts its
// references and writes every hand-out and release into the substitute's
// ledger, so a test can prove that each reference was released exactly once,
// and when. Objects live in a ScriptedPlatform arena for the whole test, so a
// call past the last release is recorded as a fault instead of touching freed
// memory.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "counted_object.h"
#include "platform/guid.h"
#include "substitute_platform.h"

namespace velkaron::test_support {

// The scripted platform's ledger: every reference taken and released, in order.
struct SubstituteLedger {
  static void referenced(const std::string& name) { substitute::ledger().record("AddRef " + name); }
  static void released(const std::string& name, ULONG) {
    substitute::ledger().record("Release " + name);
  }
  static void misused(const std::string& name, std::string_view method) {
    substitute::ledger().fault(std::string(method) + " of " + name + " without a reference");
  }
};

// Made with no reference: the platform call that delivers it gives the first.
template <class Interface>
class Scripted : public CountedObject<SubstituteLedger, Interface> {
 public:
  explicit Scripted(std::string name)
      : CountedObject<SubstituteLedger, Interface>(std::move(name), 0) {}

  // One reference for the caller, as a platform call that delivers this object.
  Interface* hand_out() {
    substitute::ledger().record("Acquire " + this->name());
    this->add_reference();
    return this;
  }
};

// An attribute store: values by key, and per key a status that a getter or
// setter returns instead of doing its work.
template <class Interface>
class ScriptedAttributes : public Scripted<Interface> {
 public:
  using Scripted<Interface>::Scripted;

  struct Text {
    std::u16string units;            // stored with a terminator appended
    std::optional<UINT32> reported;  // the length reported; units.size() when absent
  };
  using Value = std::variant<UINT32, UINT64, GUID, Text>;

  std::vector<std::pair<GUID, Value>> values;
  std::vector<std::pair<GUID, HRESULT>> failures;  // key -> status of any call on it

  void set(const GUID& key, Value value) {
    for (auto& [k, v] : values) {
      if (platform::same_guid(k, key)) {
        v = std::move(value);
        return;
      }
    }
    values.emplace_back(key, std::move(value));
  }
  void fail(const GUID& key, HRESULT status) { failures.emplace_back(key, status); }
  const Value* find(const GUID& key) const {
    for (const auto& [k, v] : values) {
      if (platform::same_guid(k, key)) return &v;
    }
    return nullptr;
  }

  HRESULT GetUINT32(REFGUID key, UINT32* value) override {
    record("GetUINT32", key);
    return get(key, value);
  }
  HRESULT GetGUID(REFGUID key, GUID* value) override {
    record("GetGUID", key);
    return get(key, value);
  }
  HRESULT GetAllocatedString(REFGUID key, LPWSTR* value, UINT32* length) override {
    record("GetAllocatedString", key);
    if (const auto status = failure(key)) return *status;
    const Value* stored = find(key);
    if (stored == nullptr || !std::holds_alternative<Text>(*stored)) return MF_E_ATTRIBUTENOTFOUND;
    const Text& text = std::get<Text>(*stored);
    *value = substitute::alloc_task_string(text.units);
    *length = text.reported.value_or(static_cast<UINT32>(text.units.size()));
    return S_OK;
  }
  HRESULT SetUINT32(REFGUID key, UINT32 value) override {
    record("SetUINT32", key, std::to_string(value));
    return store(key, Value(value));
  }
  HRESULT SetUINT64(REFGUID key, UINT64 value) override {
    record("SetUINT64", key, std::to_string(value));
    return store(key, Value(value));
  }
  HRESULT SetGUID(REFGUID key, REFGUID value) override {
    record("SetGUID", key, platform::guid_text(value));
    return store(key, Value(value));
  }

 private:
  void record(const char* method, const GUID& key, const std::string& value = {}) {
    std::string call = std::string(method) + " " + this->name() + " " + platform::guid_text(key);
    if (!value.empty()) call += " " + value;
    substitute::ledger().record(std::move(call));
  }
  std::optional<HRESULT> failure(const GUID& key) const {
    for (const auto& [k, status] : failures) {
      if (platform::same_guid(k, key)) return status;
    }
    return std::nullopt;
  }
  template <class T>
  HRESULT get(const GUID& key, T* out) {
    if (const auto status = failure(key)) return *status;
    const Value* stored = find(key);
    if (stored == nullptr || !std::holds_alternative<T>(*stored)) return MF_E_ATTRIBUTENOTFOUND;
    *out = std::get<T>(*stored);
    return S_OK;
  }
  HRESULT store(const GUID& key, Value value) {
    if (const auto status = failure(key)) return *status;
    set(key, std::move(value));
    return S_OK;
  }
};

using ScriptedAttributeStore = ScriptedAttributes<IMFAttributes>;
using ScriptedMediaType = ScriptedAttributes<IMFMediaType>;

class ScriptedTransform : public Scripted<IMFTransform> {
 public:
  using Scripted::Scripted;

  // GetAttributes: the store handed out, or this status; success with no store when null.
  HRESULT get_attributes_status = S_OK;
  ScriptedAttributeStore* attributes = nullptr;

  HRESULT set_output_type_status = S_OK;

  // GetInputAvailableType: entry i is index i's type (null: success without an object);
  // past the end, `end_status`; at `fail_at`, `fail_status`.
  std::vector<ScriptedMediaType*> input_types;
  HRESULT end_status = MF_E_NO_MORE_TYPES;
  std::optional<DWORD> fail_at;
  HRESULT fail_status = E_NOTIMPL;

  HRESULT GetAttributes(IMFAttributes** store) override {
    substitute::ledger().record("GetAttributes " + name());
    if (get_attributes_status < 0) return get_attributes_status;
    *store = attributes != nullptr ? attributes->hand_out() : nullptr;
    return get_attributes_status;
  }
  HRESULT GetInputAvailableType(DWORD stream, DWORD index, IMFMediaType** type) override {
    substitute::ledger().record("GetInputAvailableType " + name() + " " + std::to_string(stream) +
                                " " + std::to_string(index));
    if (fail_at && *fail_at == index) return fail_status;
    if (index >= input_types.size()) return end_status;
    ScriptedMediaType* offered = input_types[index];
    *type = offered != nullptr ? offered->hand_out() : nullptr;
    return S_OK;
  }
  HRESULT SetOutputType(DWORD stream, IMFMediaType* type, DWORD flags) override {
    substitute::ledger().record("SetOutputType " + name() + " " + std::to_string(stream) + " " +
                                std::to_string(flags));
    output_type = type;
    return set_output_type_status;
  }

  IMFMediaType* output_type = nullptr;  // what SetOutputType was given (not a reference)
};

class ScriptedActivate : public ScriptedAttributes<IMFActivate> {
 public:
  using ScriptedAttributes::ScriptedAttributes;

  // ActivateObject and ShutdownObject return these statuses, a failure after putting its
  // error information, if any, on the thread.
  HRESULT activate_status = S_OK;
  Scripted<IErrorInfo>* activate_info = nullptr;
  ScriptedTransform* transform = nullptr;  // null with a success status: no object delivered
  HRESULT shutdown_status = S_OK;
  Scripted<IErrorInfo>* shutdown_info = nullptr;

  // Like the platform, asks the new object for the interface the caller wants.
  HRESULT ActivateObject(REFIID iid, void** object) override {
    substitute::ledger().record("ActivateObject " + name());
    *object = nullptr;
    if (activate_status < 0) return failed(activate_status, activate_info);
    if (transform == nullptr) return activate_status;
    if (!transform->implements(iid)) return E_NOINTERFACE;
    *object = static_cast<IMFTransform*>(transform->hand_out());
    return activate_status;
  }
  HRESULT ShutdownObject() override {
    substitute::ledger().record("ShutdownObject " + name());
    return shutdown_status < 0 ? failed(shutdown_status, shutdown_info) : shutdown_status;
  }

 private:
  static HRESULT failed(HRESULT status, Scripted<IErrorInfo>* info) {
    if (info != nullptr) substitute::set_error_info(info->hand_out());
    return status;
  }
};

class ScriptedRestrictedErrorInfo : public Scripted<IRestrictedErrorInfo> {
 public:
  using Scripted::Scripted;

  std::optional<std::u16string> description;
  std::optional<std::u16string> restricted_description;
  std::optional<std::u16string> capability_sid;

  HRESULT GetErrorDetails(BSTR* plain, HRESULT* error, BSTR* restricted, BSTR* sid) override {
    substitute::ledger().record("GetErrorDetails " + name());
    *plain = description ? substitute::alloc_bstr(*description) : nullptr;
    *error = E_FAIL;
    *restricted =
        restricted_description ? substitute::alloc_bstr(*restricted_description) : nullptr;
    *sid = capability_sid ? substitute::alloc_bstr(*capability_sid) : nullptr;
    return S_OK;
  }
};

class ScriptedErrorInfo : public Scripted<IErrorInfo> {
 public:
  using Scripted::Scripted;

  std::optional<std::u16string> description;
  // What QueryInterface offers for IRestrictedErrorInfo: a separate object,
  // so that a test can script the two apart.
  ScriptedRestrictedErrorInfo* restricted = nullptr;

  HRESULT QueryInterface(REFIID iid, void** object) override {
    substitute::ledger().record("QueryInterface " + name());
    if (restricted == nullptr || !platform::same_guid(iid, kIidRestrictedErrorInfo)) {
      return Scripted::QueryInterface(iid, object);
    }
    *object = static_cast<IRestrictedErrorInfo*>(restricted->hand_out());
    return S_OK;
  }
  HRESULT GetDescription(BSTR* text) override {
    substitute::ledger().record("GetDescription " + name());
    *text = description ? substitute::alloc_bstr(*description) : nullptr;
    return S_OK;
  }
};

}  // namespace velkaron::test_support
